// Which editor a start takes, and the one answer to whether starting it
// would only start this program again: this program under another spelling,
// a copy of it, or an editor whose start a debugger registration redirects
// here.
#pragma once

#include "resources/paths.h"

enum EditorCheck {
    kEditorReady,         // leads elsewhere: the path to start
    kEditorIsThisProgram, // this program, however spelled
    kEditorIsCopy,        // a copy: its version resource names this product
    kEditorRedirectsHere, // a registration redirects its start here
    kEditorMissing
};

// Where starting `editor` (a full path) leads.
EditorCheck WhereEditorLeads(const char* editor);

// The editor setting for editing or printing (`print`), resolved the way the
// system searches for files (a bare name never from the current folder; a
// setting that cannot be resolved is kept as it is) into `editor`, and
// checked. Elevated, the machine's setting comes first, and an editor outside
// the folders standard users cannot change gives way to the system's Notepad.
EditorCheck CheckChosenEditor(bool print, bool elevated, CHeapText* editor);

// Whether this process runs with an elevated token: the one token check of a
// forward. Any unelevated program of the user can change the user's settings,
// so an elevated start takes what it runs from the machine alone.
bool IsElevated();
