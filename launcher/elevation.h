// An elevated start runs its editor with the administrator's full token. The
// user's settings, their PATH and their profile folders can all be changed
// by any of the user's unelevated programs, so such a start takes only an
// editor that a standard user cannot replace.
#pragma once

#include "launcher/paths.h"

// Whether this process runs with an elevated token.
bool IsElevated();

// Whether `editor` (a full path) lies in the Windows folder, the system
// folder or a Program Files folder, which standard users cannot change.
bool LiesInProtectedFolder(const char* editor);

// A bare file name found in the system folder or the Windows folder alone.
bool SearchSystemFolders(const char* name, CHeapText* out);

// The system's own Notepad, as Setup names it: the System32 one, which a
// 32-bit program finds in SysWOW64.
bool GetSystemNotepad(CHeapText* out);
