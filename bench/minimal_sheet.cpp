// A bare two-page property sheet: the floor for showing the settings sheet.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

static INT_PTR CALLBACK PageProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

// An empty page template: DLGTEMPLATE, no menu, class or title, no controls.
struct PageTemplate {
    DLGTEMPLATE header;
    WORD menu, windowClass, title;
};

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    static PageTemplate page = {{WS_CHILD | WS_CAPTION, 0, 0, 0, 0, 230, 180}, 0, 0, 0};
    HPROPSHEETPAGE pages[2];
    for (HPROPSHEETPAGE& handle : pages) {
        PROPSHEETPAGEA description = {};
        description.dwSize = sizeof description;
        description.dwFlags = PSP_DLGINDIRECT;
        description.hInstance = instance;
        description.pResource = &page.header;
        description.pfnDlgProc = PageProc;
        handle = CreatePropertySheetPageA(&description);
    }
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.hInstance = instance;
    header.pszCaption = "Quillgate";
    header.nPages = 2;
    header.phpage = pages;
    PropertySheetA(&header);
    return 0;
}
