#pragma once

#include <windows.h>

#include "resources/paths.h"
#include "settings/setting_sources.h"

// The editor a start of Notepad would take, as the Status page shows it.
enum EditorFileState {
    kEditorFileThere,
    kEditorFileMissing,
    kEditorFileIsQuillgate, // this program, or a copy of it
};
struct EditorInEffect {
    CHeapText path;
    SettingSource source = kFromDefault;
    // Elevated: the system's Notepad stands in for an editor that an
    // elevated start may not run.
    bool systemNotepad = false;
    EditorFileState state = kEditorFileMissing;
};

// Finds the editor for editing or printing (`print`) by the rules a start
// goes by; false where there is nothing to show. The entry point, which
// knows those rules, hands its own to the sheet.
typedef bool (*FindEditorInEffect)(bool print, EditorInEffect* editor);

// Shows the modal settings sheet (Settings, Status, About) and returns when
// it is closed: TRUE when its settings were saved, by OK or by an Apply
// before Cancel. Without `findEditor`, the Status page shows each editor as
// set, found as the system finds files.
BOOL RunSettingsSheet(FindEditorInEffect findEditor = NULL);
