// What an editor needs on its command line besides the file, known by its
// file name: the arguments that make it wait until its file is closed (many
// editors hand a file to their running instance and exit at once), and those
// that make it print. Users and administrators add or override rows under
// Editors\<file name> of their settings (WaitArguments, PrintArguments).
#pragma once

#include <windows.h>

#include "launcher/paths.h"

struct EditorArguments {
    CHeapText wait;     // before the quoted path where the caller waits
    CHeapText print;    // in place of "/p" on the print road; "" for none
    bool known = false; // a row says how it waits: it is never suspected of handing on
};

// The arguments for `editor` (a full path). Where the caller waits and the
// editor has a companion that waits for it (Sublime Text's subl.exe), `editor`
// becomes that companion. Reads nothing from the registry but the Editors key
// of the one editor. False when no memory could be had.
bool FindEditorArguments(CHeapText* editor, bool callerWaits, EditorArguments* arguments);
