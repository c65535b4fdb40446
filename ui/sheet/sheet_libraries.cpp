#include "ui/sheet/sheet_libraries.h"

#include <shlwapi.h>

#include "launcher/outside_world.h"
#include "resources/app_globals.h"
#include "resources/load_text.h"
#include "resources/resource_ids.h"

namespace {

BOOL g_loaded = FALSE;

template <typename Function> BOOL Find(HMODULE library, const char* name, Function* function) {
    *function =
        library ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)))
                : NULL;
    return *function != NULL;
}

void ReportMissing(const char* library) {
    char text[kCaptionSize + MAX_PATH];
    wnsprintfA(text, sizeof text, LoadText(IDS_SHEET_LIBRARY_MISSING), library);
    g_outsideWorld.messageBox(NULL, text, g_caption, MB_ICONERROR);
}

} // namespace

BOOL LoadSheetLibraries() {
    if (g_loaded) {
        return TRUE;
    }
    SheetLibraries found;
    // By name, as an import would be: the manifest's activation context then
    // redirects comctl32 to version 6, which a full path would bypass.
    HMODULE controls = LoadLibraryA("comctl32.dll");
    if (!Find(controls, "InitCommonControls", &found.InitCommonControls) ||
        !Find(controls, "CreatePropertySheetPageA", &found.CreatePropertySheetPageA) ||
        !Find(controls, "DestroyPropertySheetPage", &found.DestroyPropertySheetPage) ||
        !Find(controls, "PropertySheetA", &found.PropertySheetA)) {
        ReportMissing("comctl32.dll");
        return FALSE;
    }
    HMODULE dialogs = LoadLibraryA("comdlg32.dll");
    if (!Find(dialogs, "GetOpenFileNameA", &found.GetOpenFileNameA)) {
        ReportMissing("comdlg32.dll");
        return FALSE;
    }
    // Both stay loaded for the life of the process, as imports would.
    g_outsideWorld.sheetLibraries = found;
    g_loaded = TRUE;
    return TRUE;
}
