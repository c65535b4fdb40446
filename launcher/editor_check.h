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

// Whose setting named the editor, for the messages that name it.
enum EditorSource {
    kSettingInEffect, // the user's where they have one, else the machine's (CSettings tells)
    kMachinesSetting, // the machine's alone, which only an administrator changes
    kSystemNotepad    // the system's Notepad, in place of one an elevated start may not run
};

// The editor setting for editing or printing (`print`), resolved the way the
// shell finds programs (a bare name never from the current folder, without an
// extension only with PATHEXT's; a batch file with a known program behind it
// is that program) into `editor`, and checked. On kEditorMissing, `editor`
// holds what was looked for. Elevated, the machine's setting comes first, and
// a program outside the places standard users cannot write to gives way to
// the system's Notepad.
EditorCheck CheckChosenEditor(bool print, bool elevated, CHeapText* editor, EditorSource* source);

// Whether `editor` is a batch file, which the command prompt runs: it would
// expand "%...%" in the file names it is given.
bool IsBatchFile(const char* editor);
// Where `editor` (a full path) is a batch file that only starts a known
// program (VS Code's bin\code.cmd), and that program is there, `editor`
// becomes the program. False when no memory could be had.
bool TakeProgramBehindBatchFile(CHeapText* editor);

// Whether `editor` can be started as a debuggee of this program: only a
// debugger of its own architecture can start it.
bool CanStartAsDebuggee(const char* editor);
