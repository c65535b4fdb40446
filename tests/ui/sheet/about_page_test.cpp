// The About page on its real template (dialog 102) in the system's language,
// hosted by a plain window as a property sheet would host it.
#include <gtest/gtest.h>

#include <windows.h>
#include <prsht.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/outside_world.h"
#include "resources/app_globals.h"
#include "resources/load_text.h"
#include "resources/resource_ids.h"
#include "tests/support/shell_execute_recorder.h"
#include "tests/support/ui_driver.h"
#include "tests/support/wine_test_support.h"
#include "tests/support/window_test_support.h"
#include "tests/ui/sheet/recording_html_help.h"
#include "ui/sheet/about_page.h"
#include "ui/wrappers/shared_window_proc.h"

namespace {

HFONT g_pageFont;
WNDPROC g_dialogWindowProc;

LRESULT CALLBACK AnswerPageFont(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_GETFONT) {
        return reinterpret_cast<LRESULT>(g_pageFont);
    }
    return CallWindowProcA(g_dialogWindowProc, hwnd, msg, wParam, lParam);
}

BOOL CALLBACK GivePageFont(HWND child, LPARAM) {
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(g_pageFont), FALSE);
    return TRUE;
}

// The dialog manager gives the page and its controls the template's font:
// on a Japanese system a Shift-JIS one, on a Western one a Western one. Wine
// makes it with DEFAULT_CHARSET, realised in the locale's character set; the
// test gives the page the font it needs in either locale.
INT_PTR CALLBACK PageWithFontProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        g_dialogWindowProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AnswerPageFont)));
        EnumChildWindows(hwnd, GivePageFont, 0);
    }
    return PageDialogProc(hwnd, msg, wParam, lParam);
}

HFONT MakePageFont(BYTE charset, const char* face) {
    LOGFONTA font = {};
    font.lfHeight = -12;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = charset;
    lstrcpyA(font.lfFaceName, face);
    return CreateFontIndirectA(&font);
}

LOGFONTA FontOf(HWND window) {
    LOGFONTA font = {};
    HFONT handle = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    EXPECT_NE(0, GetObjectA(handle, sizeof font, &font));
    return font;
}

class AboutPage : public testing::Test {
protected:
    void SetUp() override {
        testsupport::RegisterTestWindowClass();
        host_ = CreateWindowExA(0, testsupport::kTestWindowClass, "host", WS_OVERLAPPEDWINDOW, 0, 0,
                                500, 400, NULL, NULL, GetModuleHandleA(NULL), NULL);
        ASSERT_NE(nullptr, host_);
    }
    void TearDown() override {
        if (page_) {
            DestroyWindow(page_);
        }
        if (g_pageFont) {
            DeleteObject(g_pageFont);
            g_pageFont = nullptr;
        }
        DestroyWindow(host_);
    }
    void Open(DLGPROC proc = PageDialogProc) {
        description_.dwSize = sizeof description_;
        description_.lParam = reinterpret_cast<LPARAM>(&object_);
        page_ = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_ABOUT), host_, proc,
                                   reinterpret_cast<LPARAM>(&description_));
        ASSERT_NE(nullptr, page_);
    }
    HWND Item(int id) { return GetDlgItem(page_, id); }

    HWND host_ = nullptr;
    HWND page_ = nullptr;
    PROPSHEETPAGEA description_ = {};
    CAboutPage object_;
    testsupport::ShellExecuteRecorder shell_;
};

TEST_F(AboutPage, ShowsTheLinksAndTheVersionOfTheRunningProgram) {
    Open();
    EXPECT_EQ(LoadTextTemp(IDS_HOME_PAGE_URL), uidriver::Text(Item(IDC_ABOUT_HOME_LINK)));
    EXPECT_EQ(LoadTextTemp(IDS_MAIL_URL), uidriver::Text(Item(IDC_ABOUT_MAIL_LINK)));
    EXPECT_EQ(std::string("Version ") + QUILLGATE_VERSION_TEXT,
              uidriver::Text(Item(IDC_ABOUT_VERSION)));
    EXPECT_EQ("Corvalen Quillgate", uidriver::Text(Item(IDC_ABOUT_TITLE)));
}

TEST_F(AboutPage, EachLinkShowsItsWholeAddress) {
    Open();
    for (int id : {IDC_ABOUT_HOME_LINK, IDC_ABOUT_MAIL_LINK}) {
        HWND link = Item(id);
        std::string text = uidriver::Text(link);
        HDC dc = GetDC(link);
        HGDIOBJ previous =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(link, WM_GETFONT, 0, 0)));
        SIZE extent = {};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        SelectObject(dc, previous);
        ReleaseDC(link, dc);
        RECT client = {};
        GetClientRect(link, &client);
        EXPECT_LE(extent.cx, client.right) << text;
    }
}

TEST_F(AboutPage, AClickOnALinkOpensItsTextOnce) {
    Open();
    SendMessageA(Item(IDC_ABOUT_HOME_LINK), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(Item(IDC_ABOUT_HOME_LINK), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    const std::string home = LoadTextTemp(IDS_HOME_PAGE_URL);
    SendMessageA(Item(IDC_ABOUT_MAIL_LINK), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ((std::vector<std::string>{home, LoadTextTemp(IDS_MAIL_URL)}), shell_.Files());
}

TEST_F(AboutPage, FontsDeriveFromTheStockGuiFontWhereThePageFontIsNotShiftJis) {
    // The Japanese template, whose fonts these tests give in either locale.
    testsupport::ResourceLanguage japanese(testsupport::kJapanese);
    g_pageFont = MakePageFont(ANSI_CHARSET, "MS Shell Dlg");
    Open(PageWithFontProc);
    LOGFONTA stock = {};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof stock, &stock);

    LOGFONTA version = FontOf(Item(IDC_ABOUT_VERSION));
    EXPECT_STREQ("Tahoma", version.lfFaceName);
    EXPECT_EQ(DEFAULT_CHARSET, version.lfCharSet);
    EXPECT_EQ(stock.lfHeight, version.lfHeight);
    EXPECT_EQ(stock.lfWeight, version.lfWeight);

    LOGFONTA title = FontOf(Item(IDC_ABOUT_TITLE));
    EXPECT_STREQ("Tahoma", title.lfFaceName);
    EXPECT_EQ(2 * stock.lfHeight, title.lfHeight);
    EXPECT_EQ(2 * stock.lfWidth, title.lfWidth);

    LOGFONTA link = FontOf(Item(IDC_ABOUT_HOME_LINK));
    EXPECT_STREQ(stock.lfFaceName, link.lfFaceName);
    EXPECT_EQ(stock.lfCharSet, link.lfCharSet);
    EXPECT_TRUE(link.lfUnderline);
    EXPECT_FALSE(version.lfUnderline);
    EXPECT_EQ(SendMessageA(Item(IDC_ABOUT_HOME_LINK), WM_GETFONT, 0, 0),
              SendMessageA(Item(IDC_ABOUT_MAIL_LINK), WM_GETFONT, 0, 0))
        << "one underlined font serves both links";
}

TEST_F(AboutPage, AShiftJisPageKeepsItsFontAndTheLinksKeepItsCharacterSet) {
    // The Japanese template, whose fonts these tests give in either locale.
    testsupport::ResourceLanguage japanese(testsupport::kJapanese);
    g_pageFont = MakePageFont(SHIFTJIS_CHARSET, "MS UI Gothic");
    Open(PageWithFontProc);

    EXPECT_EQ(reinterpret_cast<LRESULT>(g_pageFont), SendMessageA(page_, WM_GETFONT, 0, 0))
        << "nothing replaced the page font";
    LOGFONTA version = FontOf(Item(IDC_ABOUT_VERSION));
    EXPECT_STREQ("Tahoma", version.lfFaceName);
    EXPECT_EQ(DEFAULT_CHARSET, version.lfCharSet);
    EXPECT_EQ(-12, version.lfHeight);
    LOGFONTA title = FontOf(Item(IDC_ABOUT_TITLE));
    EXPECT_EQ(-24, title.lfHeight);
    EXPECT_EQ(0, title.lfWidth) << "a width of 0 stays 0";
    LOGFONTA link = FontOf(Item(IDC_ABOUT_MAIL_LINK));
    EXPECT_STREQ("MS UI Gothic", link.lfFaceName);
    EXPECT_EQ(SHIFTJIS_CHARSET, link.lfCharSet);
    EXPECT_TRUE(link.lfUnderline);
}

TEST_F(AboutPage, HelpOverALinkShowsItsTextAndOverTheRestNothing) {
    Open();
    const int ids[] = {IDC_ABOUT_HOME_LINK, IDC_ABOUT_MAIL_LINK, IDC_ABOUT_ICON, IDC_ABOUT_TITLE,
                       IDC_ABOUT_VERSION};
    const size_t before = sheettest::RecordedHelpCalls().size();
    for (int id : ids) {
        HELPINFO help = {};
        help.cbSize = sizeof help;
        help.iContextType = HELPINFO_WINDOW;
        help.iCtrlId = id;
        help.hItemHandle = Item(id);
        help.MousePos = {300, 400 + id};
        SendMessageA(page_, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
    }
    std::vector<HelpRecord> calls = sheettest::RecordedHelpCalls();
    ASSERT_EQ(before + 5, calls.size());
    const std::string links[] = {testsupport::Localized("Corvalenのホームページを表示します。",
                                                        "Opens the Corvalen home page."),
                                 testsupport::Localized("Corvalenにメールを送信します。",
                                                        "Sends an e-mail message to Corvalen.")};
    for (size_t i = 0; i < 5; ++i) {
        const HelpRecord& call = calls[before + i];
        SCOPED_TRACE(ids[i]);
        EXPECT_EQ(Item(ids[i]), call.caller);
        EXPECT_EQ(400 + ids[i], call.point.y);
        EXPECT_EQ(i < 2 ? links[i] : "", call.text);
    }
}

} // namespace
