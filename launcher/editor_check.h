// Which editor to start, and whether starting it would only start this
// program again: this program under another spelling, a copy of it, or an
// editor whose start Windows hands to this program by a debugger registration.
#pragma once

#include "launcher/paths.h"

enum EditorCheck {
    kEditorReady,         // `editor` holds the path to start
    kEditorIsThisProgram, // this program or a copy: starting it would start it again, without end
    kEditorHandedBack,    // its start would be handed back to this program: start it as a debuggee
    kEditorMissing
};

// Resolves the editor setting the way the system searches for files (a
// setting that cannot be resolved is kept as it is) and checks it. An editor
// handed back that cannot be started as a debuggee of this program (another
// architecture's) counts as this program.
EditorCheck CheckEditor(const char* setting, CHeapText* editor);
