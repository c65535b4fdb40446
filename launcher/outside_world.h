// What the launcher does to the world outside the file system goes through
// these pointers, so that in-process tests can watch it: editor starts,
// message boxes and the settings sheet.
#pragma once

#include <windows.h>
#include <shellapi.h>

struct LauncherSeam {
    HINSTANCE(WINAPI* shellExecute)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    BOOL(WINAPI* shellExecuteEx)(SHELLEXECUTEINFOA*); // for callers that wait
    int(WINAPI* messageBox)(HWND, LPCSTR, LPCSTR, UINT);
    void (*runSettingsSheet)();
};

// ShellExecuteA, ShellExecuteExA, MessageBoxA and RunSettingsSheet unless a
// test replaces them.
extern LauncherSeam g_launcherSeam;

// Message box `textId` with no owner, captioned with the program's name.
void ShowLauncherMessage(UINT textId, UINT icon);
