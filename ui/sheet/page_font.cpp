#include "ui/sheet/page_font.h"

#include <commctrl.h>

namespace {

// Armed before each sheet, cleared by the first page that adapts.
int g_resizePending = 0;

const int kNarrower = 50;
const int kTaller = 20;
const int kApplyButtonId = 12321;

BOOL CALLBACK SetFontOnChild(HWND child, LPARAM font) {
    SendMessageA(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
    return TRUE;
}

void Resize(HWND window) {
    RECT rect;
    if (!GetWindowRect(window, &rect)) {
        return;
    }
    SetWindowPos(window, NULL, 0, 0, rect.right - rect.left - kNarrower,
                 rect.bottom - rect.top + kTaller, SWP_NOZORDER | SWP_NOMOVE);
}

void MoveButton(HWND sheet, int id) {
    HWND button = GetDlgItem(sheet, id);
    RECT rect;
    if (!button || !GetWindowRect(button, &rect)) {
        return;
    }
    POINT corner = {rect.left - kNarrower, rect.top + kTaller};
    if (!ScreenToClient(sheet, &corner)) {
        return;
    }
    SetWindowPos(button, NULL, corner.x, corner.y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
}

} // namespace

void AdaptPageFont(HWND page) {
    if (!page) {
        g_resizePending = 1;
        return;
    }
    LOGFONTA logFont;
    ZeroMemory(&logFont, sizeof logFont);
    HFONT pageFont = reinterpret_cast<HFONT>(SendMessageA(page, WM_GETFONT, 0, 0));
    // Without a font of its own the page shows the system font: not Japanese.
    if (pageFont && GetObjectA(pageFont, sizeof logFont, &logFont) &&
        logFont.lfCharSet == SHIFTJIS_CHARSET) {
        return;
    }

    HGDIOBJ guiFont = GetStockObject(DEFAULT_GUI_FONT);
    const LPARAM font = reinterpret_cast<LPARAM>(guiFont);
    SendMessageA(page, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
    EnumChildWindows(page, SetFontOnChild, font);

    HWND sheet = GetParent(page);
    HWND tab = sheet ? reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0)) : NULL;
    if (!tab) {
        g_resizePending = 0;
        return;
    }
    SendMessageA(tab, WM_SETFONT, static_cast<WPARAM>(font), TRUE);

    if (!g_resizePending) {
        return;
    }
    g_resizePending = 0;
    // Once per sheet: the About page, adapted when its tab is first chosen,
    // only gets the fonts.
    Resize(tab);
    Resize(sheet);
    MoveButton(sheet, IDOK);
    MoveButton(sheet, IDCANCEL);
    MoveButton(sheet, kApplyButtonId);
}
