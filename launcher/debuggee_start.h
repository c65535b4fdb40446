// An editor whose start the system would hand to a registered debugger is
// started the way a debugger starts a program, which the system leaves alone,
// and let go of at once.
#pragma once

#include <windows.h>

// Starts `"<editor>" <params>` with `showState` in its STARTUPINFO. Returns
// the editor's process handle for the caller to wait on or close, or NULL when
// it could not be started or let go of (then it is not left running).
HANDLE StartAsDebuggee(const char* editor, const char* params, int showState);
