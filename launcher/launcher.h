#pragma once

#include <windows.h>

// The exit code of a request that a waiting caller sees fail without an
// editor's own exit code: nothing was started, or a start failed.
enum { kNoEditorStarted = 1 };

// The whole run of the program: stores the instance handle and caption, opens
// and loads the settings, then runs the launcher and returns its exit code.
// `tooManyHops`: this start is one of a chain of starts of this program that
// is too long to be anything but a loop.
int LauncherMain(HINSTANCE instance, const char* commandLine, int showState,
                 bool tooManyHops = false);

// Either runs the settings sheet or starts the chosen editor once per file
// path found on `commandLine` (the whole line, the program's name first),
// with `showState`. Settings must be loaded. Returns 0, except where the
// caller waits for the editors: then the first non-zero exit code of an
// editor, or kNoEditorStarted when none could be started (or one failed to).
int RunLauncher(const char* commandLine, int showState, bool tooManyHops = false);
