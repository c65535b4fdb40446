#include "ui/sheet/settings_sheet.h"

#include <windows.h>
#include <commctrl.h>
#include <stddef.h>

#include "resources/app_globals.h"
#include "resources/resource_ids.h"
#include "ui/sheet/page_font.h"
#include "ui/sheet/settings_sheet_object.h"
#include "ui/sheet/sheet_libraries.h"
#include "ui/wrappers/shared_window_proc.h"

// PROPSHEETHEADERA_V2_SIZE does not compile with these headers (it names an
// undefined DUMMYUNION5_MEMBER); this is the same size, up to hbmHeader.
const DWORD kSheetHeaderSize = offsetof(PROPSHEETHEADERA, hbmHeader) + sizeof(HBITMAP);

// The size macros are no constant expressions; offsetof gives the same sizes.
static_assert(offsetof(PROPSHEETPAGEA, pszHeaderSubTitle) + sizeof(LPCSTR) == 48,
              "PROPSHEETPAGEA_V2_SIZE: the page with its header-title fields");
static_assert(kSheetHeaderSize == 52, "the header with its watermark fields");

namespace {

HPROPSHEETPAGE CreatePage(int templateId, CWinBase* page) {
    PROPSHEETPAGEA description;
    ZeroMemory(&description, sizeof description);
    description.dwSize = PROPSHEETPAGEA_V2_SIZE;
    description.dwFlags = 0;
    description.hInstance = g_instance;
    description.pszTemplate = MAKEINTRESOURCEA(templateId);
    description.pfnDlgProc = PageDialogProc;
    description.lParam = reinterpret_cast<LPARAM>(page);
    return g_sheetLibraries.CreatePropertySheetPageA(&description);
}

} // namespace

bool CSettingsSheet::Run() {
    // Each page reads what it shows when it is first shown, not here.
    HPROPSHEETPAGE pages[] = {CreatePage(IDD_SETTINGS, &settingsPage),
                              CreatePage(IDD_STATUS, &statusPage),
                              CreatePage(IDD_ABOUT, &aboutPage)};
    if (!pages[0] || !pages[1] || !pages[2]) {
        // A sheet with a missing page cannot be shown; those made are freed.
        for (HPROPSHEETPAGE page : pages) {
            if (page) {
                g_sheetLibraries.DestroyPropertySheetPage(page);
            }
        }
        return false;
    }

    PROPSHEETHEADERA header;
    ZeroMemory(&header, sizeof header);
    header.dwSize = kSheetHeaderSize;
    header.dwFlags = PSH_USEHICON;
    header.hwndParent = NULL;
    header.hInstance = g_instance;
    header.hIcon = LoadIconA(g_instance, MAKEINTRESOURCEA(IDI_QUILLGATE));
    header.pszCaption = g_caption;
    header.nPages = ARRAYSIZE(pages);
    header.nStartPage = 0;
    header.phpage = pages;

    AdaptPageFont(NULL);
    // Closing by OK, Cancel or the close box all end here; the Settings page
    // knows whether OK, or an Apply before Cancel, saved its settings.
    g_sheetLibraries.PropertySheetA(&header);
    return settingsPage.Saved();
}

void* CSettingsSheet::operator new(size_t size) noexcept {
    return HeapAlloc(GetProcessHeap(), 0, size);
}

void CSettingsSheet::operator delete(void* sheet) noexcept {
    if (sheet) {
        HeapFree(GetProcessHeap(), 0, sheet);
    }
}

BOOL RunSettingsSheet(FindEditorInEffect findEditor) {
    if (!LoadSheetLibraries()) {
        return FALSE;
    }
    CSettingsSheet* sheet = new CSettingsSheet(findEditor);
    if (!sheet) {
        return FALSE;
    }
    const bool saved = sheet->Run();
    delete sheet;
    return saved ? TRUE : FALSE;
}
