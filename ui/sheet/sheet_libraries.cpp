#include "ui/sheet/sheet_libraries.h"

#include <shlwapi.h>

#include "resources/outside_world.h"
#include "resources/app_globals.h"
#include "resources/load_text.h"
#include "resources/resource_ids.h"

SheetLibraries g_sheetLibraries = {};

namespace {

BOOL g_loaded = FALSE;

template <typename Function> BOOL Find(HMODULE library, const char* name, Function* function) {
    *function =
        library ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)))
                : NULL;
    return *function != NULL;
}

void ReportMissing(HWND owner, UINT textId, const char* library) {
    char text[kLoadTextSize + MAX_PATH];
    wnsprintfA(text, sizeof text, LoadTextTemp(textId), library);
    g_outsideWorld.messageBox(owner, text, g_caption, MB_ICONERROR);
}

} // namespace

BOOL LoadSheetLibraries() {
    if (g_loaded) {
        return TRUE;
    }
    SheetLibraries found = g_sheetLibraries;
    // By name, as an import would be: the manifest's activation context then
    // redirects comctl32 to version 6, which a full path would bypass.
    HMODULE controls = LoadLibraryA("comctl32.dll");
    if (!Find(controls, "InitCommonControls", &found.InitCommonControls) ||
        !Find(controls, "CreatePropertySheetPageA", &found.CreatePropertySheetPageA) ||
        !Find(controls, "DestroyPropertySheetPage", &found.DestroyPropertySheetPage) ||
        !Find(controls, "PropertySheetA", &found.PropertySheetA)) {
        ReportMissing(NULL, IDS_SHEET_LIBRARY_MISSING, "comctl32.dll");
        return FALSE;
    }
    // It stays loaded for the life of the process, as an import would.
    g_sheetLibraries = found;
    g_loaded = TRUE;
    return TRUE;
}

BOOL LoadOpenFileDialog(HWND owner) {
    if (g_sheetLibraries.GetOpenFileNameA) {
        return TRUE;
    }
    HMODULE dialogs = LoadLibraryA("comdlg32.dll");
    BOOL(WINAPI * open)(LPOPENFILENAMEA dialog) = NULL;
    if (!Find(dialogs, "GetOpenFileNameA", &open)) {
        ReportMissing(owner, IDS_BROWSE_LIBRARY_MISSING, "comdlg32.dll");
        return FALSE;
    }
    g_sheetLibraries.GetOpenFileNameA = open;
    return TRUE;
}
