#include "ui/sheet/about_page.h"

#include "resources/load_text.h"
#include "resources/resource_ids.h"
#include "ui/sheet/help_popup.h"
#include "ui/sheet/page_font.h"
#include "resources/version_text.h"

LRESULT CAboutPage::WindowProc(HWND hwnd, UINT msg, WPARAM, LPARAM lParam) {
    switch (msg) {
    case WM_HELP: {
        const HELPINFO* help = reinterpret_cast<const HELPINFO*>(lParam);
        return ShowHelpPopup(GetDlgItem(hwnd, help->iCtrlId), LoadTextTemp(help->iCtrlId),
                             help->MousePos.x, help->MousePos.y);
    }
    case WM_INITDIALOG:
        OnInitDialog(hwnd);
        return 1;
    case WM_DESTROY:
        DeleteAboutFonts(hwnd);
        return 0;
    }
    return 0;
}

// A label that cannot be attached would look like a link and do nothing: it
// stays readable, greyed, and the page goes on.
static void AttachLink(HWND page, CLinkLabel& link, int id) {
    HWND label = GetDlgItem(page, id);
    if (!link.Attach(label)) {
        EnableWindow(label, FALSE);
    }
}

void CAboutPage::OnInitDialog(HWND page) {
    SetAboutFonts(page);
    // LoadTextTemp shares one buffer: each text is set before the next is loaded.
    SetDlgItemTextA(page, IDC_ABOUT_HOME_LINK, LoadTextTemp(IDS_HOME_PAGE_URL));
    SetDlgItemTextA(page, IDC_ABOUT_MAIL_LINK, LoadTextTemp(IDS_MAIL_URL));
    char version[kVersionLineSize];
    GetProductVersionText(version, sizeof version);
    SetDlgItemTextA(page, IDC_ABOUT_VERSION, version);
    AttachLink(page, homePageLink, IDC_ABOUT_HOME_LINK);
    AttachLink(page, mailLink, IDC_ABOUT_MAIL_LINK);
}

static void SetControlFont(HWND page, int id, HFONT font) {
    SendDlgItemMessageA(page, id, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

// A dialog keeps answering WM_GETFONT with its template's font whatever it is
// sent later; its controls show the font the page really has.
static HFONT ShownPageFont(HWND page) {
    HFONT font =
        reinterpret_cast<HFONT>(SendDlgItemMessageA(page, IDC_ABOUT_TITLE, WM_GETFONT, 0, 0));
    return font ? font : reinterpret_cast<HFONT>(SendMessageA(page, WM_GETFONT, 0, 0));
}

void SetAboutFonts(HWND page) {
    if (TemplateIsJapanese(IDD_ABOUT)) {
        AdaptPageFont(page);
    }
    HFONT pageFont = ShownPageFont(page);

    LOGFONTA font = {};
    GetObjectA(pageFont, sizeof font, &font);
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(font.lfFaceName, "Tahoma", LF_FACESIZE);
    SetControlFont(page, IDC_ABOUT_VERSION, CreateFontIndirectA(&font));

    font.lfHeight *= 2;
    font.lfWidth *= 2;
    SetControlFont(page, IDC_ABOUT_TITLE, CreateFontIndirectA(&font));

    // The links keep the page font's own face and character set.
    GetObjectA(pageFont, sizeof font, &font);
    font.lfUnderline = TRUE;
    HFONT link = CreateFontIndirectA(&font);
    SetControlFont(page, IDC_ABOUT_MAIL_LINK, link);
    SetControlFont(page, IDC_ABOUT_HOME_LINK, link);
}

void DeleteAboutFonts(HWND page) {
    // The links share one font; the controls are going away with the page.
    const int owners[] = {IDC_ABOUT_VERSION, IDC_ABOUT_TITLE, IDC_ABOUT_HOME_LINK};
    for (int id : owners) {
        HFONT font = reinterpret_cast<HFONT>(SendDlgItemMessageA(page, id, WM_GETFONT, 0, 0));
        if (font != NULL && font != reinterpret_cast<HFONT>(SendMessageA(page, WM_GETFONT, 0, 0))) {
            DeleteObject(font);
        }
    }
}
