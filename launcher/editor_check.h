// Which editor to start, and whether starting it would only start this
// program again: this program under another spelling, a copy of it, or an
// editor whose start a debugger registration redirects to this program.
#pragma once

#include "launcher/paths.h"

enum EditorCheck {
    kEditorReady,         // `editor` holds the path to start
    kEditorIsThisProgram, // this program or a copy: starting it would start it again, without end
    kEditorRedirectsHere, // a registration redirects its start here: start it as a debuggee
    kEditorMissing
};

// Resolves the editor setting the way the system searches for files (a
// setting that cannot be resolved is kept as it is) and checks it. An editor
// whose start a registration redirects here, and which cannot be started as a
// debuggee of this program (another architecture's), counts as this program.
EditorCheck CheckEditor(const char* setting, CHeapText* editor);
