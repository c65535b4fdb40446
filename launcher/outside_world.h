// What the program does to the world outside the file system goes through
// this one table, so that in-process tests can watch it or stand in for it:
// editor starts, message boxes, the settings sheet, version lookups and the
// libraries only the settings sheet needs.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "ui/sheet/sheet_libraries.h"

struct OutsideWorld {
    // Editor starts (fire and forget), and the About page's links.
    HINSTANCE(WINAPI* shellExecute)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    BOOL(WINAPI* shellExecuteEx)(SHELLEXECUTEINFOA*); // editor starts for callers that wait
    int(WINAPI* messageBox)(HWND, LPCSTR, LPCSTR, UINT);
    BOOL (*runSettingsSheet)(); // TRUE: closed with OK, settings saved
    BOOL(WINAPI* queryVersionValue)(LPCVOID block, LPCSTR key, LPVOID* value, PUINT length);
    SheetLibraries sheetLibraries; // filled by LoadSheetLibraries
};

// ShellExecuteA, ShellExecuteExA, MessageBoxA, RunSettingsSheet and
// VerQueryValueA unless a test replaces them.
extern OutsideWorld g_outsideWorld;

// Message box `textId` with no owner, captioned with the program's name.
void ShowLauncherMessage(UINT textId, UINT icon);
