#include "ui/sheet/page_font.h"

#include <commctrl.h>

#include "resources/app_globals.h"

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

// What `measure` finds with `font` selected into a screen DC; `fallback`
// when the font cannot be selected.
template <typename Result, typename Measure>
Result MeasureOnScreen(HFONT font, Result fallback, Measure measure) {
    HDC screen = GetDC(NULL);
    if (!screen) {
        return fallback;
    }
    Result result = fallback;
    HGDIOBJ previous = SelectObject(screen, font);
    if (previous && previous != HGDI_ERROR) {
        result = measure(screen);
        SelectObject(screen, previous);
    }
    ReleaseDC(NULL, screen);
    return result;
}

// The character set the font realises in on the screen. Wine's dialog manager
// makes the template font with DEFAULT_CHARSET, which realises in the
// system's own character set.
int RealisedCharset(HFONT font) {
    return MeasureOnScreen(font, static_cast<int>(DEFAULT_CHARSET),
                           [](HDC screen) { return GetTextCharset(screen); });
}

// Whether the font draws Japanese itself, judged by one kanji of the page.
bool HasJapaneseGlyphs(HFONT font) {
    return MeasureOnScreen(font, false, [](HDC screen) {
        const WCHAR kanji = 0x8A2D; // the first character of the Settings tab
        WORD glyph = 0xFFFF;
        return GetGlyphIndicesW(screen, &kanji, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) == 1 &&
               glyph != 0xFFFF;
    });
}

bool UsesUtf8() {
    return GetACP() == CP_UTF8;
}

// Whether the page shows its Japanese texts as designed. In a double-byte
// code page that takes a Shift-JIS font. With UTF-8 as the code page every
// text reaches the controls whole, and a font with the glyphs shows it.
bool ShowsJapanese(HFONT font) {
    LOGFONTA logFont;
    ZeroMemory(&logFont, sizeof logFont);
    // Without a font of its own the page shows the system font: not Japanese.
    if (!font || !GetObjectA(font, sizeof logFont, &logFont)) {
        return false;
    }
    if (logFont.lfCharSet == SHIFTJIS_CHARSET || RealisedCharset(font) == SHIFTJIS_CHARSET) {
        return true;
    }
    return UsesUtf8() && HasJapaneseGlyphs(font);
}

// The stock GUI font; with UTF-8, the same in the Japanese character set,
// since the stock one of a Western system has no Japanese glyphs and edit
// boxes draw with their own font alone. Made once, kept for the process.
HGDIOBJ ReplacementFont() {
    HGDIOBJ gui = GetStockObject(DEFAULT_GUI_FONT);
    if (!UsesUtf8()) {
        return gui;
    }
    static HFONT japanese = NULL;
    if (!japanese) {
        LOGFONTA logFont;
        ZeroMemory(&logFont, sizeof logFont);
        if (GetObjectA(gui, sizeof logFont, &logFont)) {
            logFont.lfCharSet = SHIFTJIS_CHARSET;
            logFont.lfFaceName[0] = '\0'; // the system's own Japanese face
            japanese = CreateFontIndirectA(&logFont);
        }
    }
    return japanese ? japanese : gui;
}

// Where the page's visible controls begin and end, in page coordinates.
struct Extent {
    HWND page;
    bool found;
    LONG left;
    LONG right;
};

BOOL CALLBACK MeasureChild(HWND child, LPARAM data) {
    Extent* extent = reinterpret_cast<Extent*>(data);
    RECT rect;
    // The page is not shown yet, so IsWindowVisible would say no for all.
    if (GetParent(child) != extent->page || !(GetWindowLongPtrA(child, GWL_STYLE) & WS_VISIBLE) ||
        !GetWindowRect(child, &rect)) {
        return TRUE;
    }
    MapWindowPoints(NULL, extent->page, reinterpret_cast<POINT*>(&rect), 2);
    if (!extent->found || rect.left < extent->left) {
        extent->left = rect.left;
    }
    if (!extent->found || rect.right > extent->right) {
        extent->right = rect.right;
    }
    extent->found = true;
    return TRUE;
}

Extent ControlsOf(HWND page) {
    Extent extent = {page, false, 0, 0};
    EnumChildWindows(page, MeasureChild, reinterpret_cast<LPARAM>(&extent));
    return extent;
}

// How much narrower the sheet gets: 50 pixels where the page leaves that much
// room. Its controls keep their dialog-unit layout, so the tab's display area
// must still reach past the rightmost one by the page's own left margin; where
// it already falls short (a sheet measured in a smaller font than its page),
// the result is negative and the sheet grows by what is missing. The page is
// placed at the display area's left edge only after WM_INITDIALOG, so it is
// measured from its own corner.
int Narrowing(HWND page, HWND tab) {
    RECT display;
    if (!GetClientRect(tab, &display)) {
        return 0;
    }
    SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    const Extent extent = ControlsOf(page);
    if (!extent.found) {
        return kNarrower;
    }
    const LONG room = display.right - display.left - extent.right - extent.left;
    return room < kNarrower ? static_cast<int>(room) : kNarrower;
}

// A page whose controls reach past its own right edge is widened to hold them.
void FitPageToControls(HWND page) {
    const Extent extent = ControlsOf(page);
    RECT rect;
    if (!extent.found || !GetWindowRect(page, &rect)) {
        return;
    }
    const LONG needed = extent.right + extent.left;
    if (rect.right - rect.left < needed) {
        SetWindowPos(page, NULL, 0, 0, needed, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
}

void Resize(HWND window, int narrower) {
    RECT rect;
    if (!GetWindowRect(window, &rect)) {
        return;
    }
    SetWindowPos(window, NULL, 0, 0, rect.right - rect.left - narrower,
                 rect.bottom - rect.top + kTaller, SWP_NOZORDER | SWP_NOMOVE);
}

void MoveButton(HWND sheet, int id, int narrower) {
    HWND button = GetDlgItem(sheet, id);
    RECT rect;
    if (!button || !GetWindowRect(button, &rect)) {
        return;
    }
    POINT corner = {rect.left - narrower, rect.top + kTaller};
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
    if (ShowsJapanese(reinterpret_cast<HFONT>(SendMessageA(page, WM_GETFONT, 0, 0)))) {
        return;
    }

    HGDIOBJ guiFont = ReplacementFont();
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
    FitPageToControls(page);

    if (!g_resizePending) {
        return;
    }
    g_resizePending = 0;
    // Once per sheet: the About page, adapted when its tab is first chosen,
    // only gets the fonts.
    const int narrower = Narrowing(page, tab);
    Resize(tab, narrower);
    Resize(sheet, narrower);
    MoveButton(sheet, IDOK, narrower);
    MoveButton(sheet, IDCANCEL, narrower);
    MoveButton(sheet, kApplyButtonId, narrower);
}

bool TemplateIsJapanese(int templateId) {
    // The loader's choice is the very entry that the Japanese lookup finds.
    HRSRC chosen = FindResourceA(g_instance, MAKEINTRESOURCEA(templateId), RT_DIALOG);
    return chosen != NULL &&
           chosen == FindResourceExA(g_instance, RT_DIALOG, MAKEINTRESOURCEA(templateId),
                                     MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN));
}
