#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

// The common controls and the open-file dialog serve the settings sheet
// alone. They are loaded when they are due, never while a file is
// forwarded: the common controls when the sheet opens, the open-file dialog
// when Browse is pressed. Each function is looked up by name.
struct SheetLibraries {
    void(WINAPI* InitCommonControls)();
    HPROPSHEETPAGE(WINAPI* CreatePropertySheetPageA)(LPCPROPSHEETPAGEA page);
    BOOL(WINAPI* DestroyPropertySheetPage)(HPROPSHEETPAGE page);
    INT_PTR(WINAPI* PropertySheetA)(LPCPROPSHEETHEADERA header);
    BOOL(WINAPI* GetOpenFileNameA)(LPOPENFILENAMEA dialog);
};

// The sheet's functions once they are loaded; tests may replace one after that.
extern SheetLibraries g_sheetLibraries;

// Loads the common controls and looks up their functions, once per process,
// into g_sheetLibraries. When they are missing it tells the user so, and returns FALSE.
BOOL LoadSheetLibraries();

// The same for the open-file dialog, unless its function is there already;
// a message owned by `owner` says when it is missing.
BOOL LoadOpenFileDialog(HWND owner);
