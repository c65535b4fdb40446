#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

// The common controls and the open-file dialog serve the settings sheet
// alone. They are loaded when the sheet is due, never while a file is
// forwarded, and each function is looked up by name.
struct SheetLibraries {
    void(WINAPI* InitCommonControls)();
    HPROPSHEETPAGE(WINAPI* CreatePropertySheetPageA)(LPCPROPSHEETPAGEA page);
    BOOL(WINAPI* DestroyPropertySheetPage)(HPROPSHEETPAGE page);
    INT_PTR(WINAPI* PropertySheetA)(LPCPROPSHEETHEADERA header);
    BOOL(WINAPI* GetOpenFileNameA)(LPOPENFILENAMEA dialog);
};

// Loads both libraries and looks up every function, once per process, into
// g_outsideWorld.sheetLibraries (where tests may replace a function after
// that). When one is missing it tells the user which, and returns FALSE.
BOOL LoadSheetLibraries();
