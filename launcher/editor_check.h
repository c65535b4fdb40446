#pragma once

#include "launcher/heap_text.h"

enum EditorCheck {
    kEditorReady,         // `editor` holds the path to start
    kEditorIsThisProgram, // this program or a copy: starting it would start it again, without end
    kEditorMissing
};

// Resolves the editor setting the way the system searches for files (a
// setting that cannot be resolved is kept as it is) and checks it.
EditorCheck CheckEditor(const char* setting, CHeapText* editor);
