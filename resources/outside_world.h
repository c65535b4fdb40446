// What the program does to the world outside the file system goes through
// this one table, so that in-process tests can watch it or stand in for it:
// editor starts, message boxes, the settings sheet and version lookups.
#pragma once

#include <windows.h>
#include <shellapi.h>

struct OutsideWorld {
    // Editor starts (fire and forget), and the About page's links.
    HINSTANCE(WINAPI* shellExecute)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    BOOL(WINAPI* shellExecuteEx)(SHELLEXECUTEINFOA*); // editor starts for callers that wait
    int(WINAPI* messageBox)(HWND, LPCSTR, LPCSTR, UINT);
    // TRUE: closed with OK, settings saved. NULL: the real sheet, which the
    // launcher runs itself (this layer knows no windows of its own).
    BOOL (*runSettingsSheet)();
    BOOL(WINAPI* queryVersionValue)(LPCVOID block, LPCSTR key, LPVOID* value, PUINT length);
};

// ShellExecuteA, ShellExecuteExA, MessageBoxA, the real sheet and
// VerQueryValueA unless a test replaces them.
extern OutsideWorld g_outsideWorld;

// Message box `textId` with no owner, captioned with the program's name.
void ShowLauncherMessage(UINT textId, UINT icon);
