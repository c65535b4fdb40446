// The sheet's fonts and its one-time resize, measured on the real windows.
// What the property sheet made of the sheet is taken just before the Settings
// page handles WM_INITDIALOG, where the page adapts its font.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "resources/resource_ids.h"
#include "tests/support/window_test_support.h"
#include "tests/ui/sheet/sheet_fixture.h"
#include "ui/sheet/page_font.h"

using namespace sheettest;

namespace {

const int kButtons[] = {IDOK, IDCANCEL, kApplyButton};

struct Geometry {
    SIZE sheet = {};
    SIZE tab = {};
    POINT buttons[3] = {};
};

SIZE SizeOf(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

HWND TabOf(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
}

Geometry Measure(HWND sheet) {
    Geometry geometry;
    geometry.sheet = SizeOf(sheet);
    geometry.tab = SizeOf(TabOf(sheet));
    for (int i = 0; i < 3; ++i) {
        RECT rect = {};
        GetWindowRect(GetDlgItem(sheet, kButtons[i]), &rect);
        geometry.buttons[i] = {rect.left, rect.top};
        ScreenToClient(sheet, &geometry.buttons[i]);
    }
    return geometry;
}

HFONT FontOf(HWND window) {
    return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
}

BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

std::vector<HWND> Descendants(HWND window) {
    std::vector<HWND> children;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

// Watches the Settings page's WM_INITDIALOG on this thread.
struct BeforeAdapting {
    static BeforeAdapting* current;
    HHOOK hook = NULL;
    bool seen = false;
    Geometry geometry;
    HFONT tabFont = NULL;
    // A font the page answers WM_GETFONT with from before it adapts: a dialog
    // takes no other font than its template's, which Wine always makes with
    // DEFAULT_CHARSET.
    HFONT giveThePage = NULL;
    WNDPROC pageProc = NULL;
    std::vector<HWND> givenGuiFont; // windows sent WM_SETFONT with the GUI font

    bool GaveGuiFont(HWND window) const {
        return std::find(givenGuiFont.begin(), givenGuiFont.end(), window) != givenGuiFont.end();
    }

    BeforeAdapting() {
        current = this;
        hook = SetWindowsHookExA(WH_CALLWNDPROC, Watch, NULL, GetCurrentThreadId());
    }
    ~BeforeAdapting() {
        UnhookWindowsHookEx(hook);
        current = nullptr;
    }

    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam) {
        const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        BeforeAdapting* self = current;
        if (code == HC_ACTION && self && call->message == WM_SETFONT &&
            call->wParam == reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT))) {
            self->givenGuiFont.push_back(call->hwnd);
        }
        if (code == HC_ACTION && self && !self->seen && call->message == WM_INITDIALOG &&
            GetDlgItem(call->hwnd, IDC_EDIT_EDITOR)) {
            self->seen = true;
            HWND sheet = GetParent(call->hwnd);
            self->geometry = Measure(sheet);
            self->tabFont = FontOf(TabOf(sheet));
            if (self->giveThePage) {
                self->pageProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                    call->hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PageWithFont)));
            }
        }
        return CallNextHookEx(NULL, code, wParam, lParam);
    }

    static LRESULT CALLBACK PageWithFont(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
        WNDPROC previous = current->pageProc;
        if (msg == WM_GETFONT) {
            return reinterpret_cast<LRESULT>(current->giveThePage);
        }
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrA(page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        }
        return CallWindowProcA(previous, page, msg, wParam, lParam);
    }
};

BeforeAdapting* BeforeAdapting::current = nullptr;

class SheetFont : public SheetTest {
protected:
    HFONT gui_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
};

TEST_F(SheetFont, WithAWesternPageFontTheGuiFontIsUsedAndTheSheetResizedOnce) {
    LoadSettings();
    BeforeAdapting before;
    Geometry adapted;
    session.WaitForSheet()
        .Do([&] {
            ASSERT_TRUE(before.seen);
            adapted = Measure(session.Sheet());
            EXPECT_EQ(adapted.sheet.cx, before.geometry.sheet.cx - 50);
            EXPECT_EQ(adapted.sheet.cy, before.geometry.sheet.cy + 20);
            EXPECT_EQ(adapted.tab.cx, before.geometry.tab.cx - 50);
            EXPECT_EQ(adapted.tab.cy, before.geometry.tab.cy + 20);
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(adapted.buttons[i].x, before.geometry.buttons[i].x - 50) << kButtons[i];
                EXPECT_EQ(adapted.buttons[i].y, before.geometry.buttons[i].y + 20) << kButtons[i];
            }
            // A dialog keeps answering WM_GETFONT with its template's font, so
            // what shows the page's font is its controls.
            EXPECT_TRUE(before.GaveGuiFont(session.Page()));
            EXPECT_EQ(FontOf(TabOf(session.Sheet())), gui_);
            std::vector<HWND> controls = Descendants(session.Page());
            EXPECT_GE(controls.size(), 13u);
            for (HWND control : controls) {
                EXPECT_EQ(FontOf(control), gui_) << GetDlgCtrlID(control);
            }
            SendMessageA(session.Sheet(), PSM_SETCURSEL, 1, 0);
        })
        .Do([&] {
            HWND about =
                reinterpret_cast<HWND>(SendMessageA(session.Sheet(), PSM_GETCURRENTPAGEHWND, 0, 0));
            EXPECT_NE(about, session.Page());
            // Its controls then get fonts of the About page's own.
            EXPECT_TRUE(before.GaveGuiFont(about)) << "the About page gets the fonts";
            EXPECT_TRUE(before.GaveGuiFont(GetDlgItem(about, IDC_ABOUT_ICON)));
            Geometry after = Measure(session.Sheet());
            EXPECT_EQ(after.sheet.cx, adapted.sheet.cx) << "and nothing is resized again";
            EXPECT_EQ(after.sheet.cy, adapted.sheet.cy);
            EXPECT_EQ(after.tab.cx, adapted.tab.cx);
            EXPECT_EQ(after.tab.cy, adapted.tab.cy);
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(after.buttons[i].x, adapted.buttons[i].x) << kButtons[i];
                EXPECT_EQ(after.buttons[i].y, adapted.buttons[i].y) << kButtons[i];
            }
        })
        .Do([&] { session.PressButton(PSBTN_CANCEL); });
    EXPECT_TRUE(session.Run());
}

TEST_F(SheetFont, EachSheetIsResizedOnceAgain) {
    for (int run = 0; run < 2; ++run) {
        LoadSettings();
        session = SheetSession();
        BeforeAdapting before;
        session.WaitForSheet().Do([&] {
            Geometry adapted = Measure(session.Sheet());
            EXPECT_EQ(adapted.sheet.cx, before.geometry.sheet.cx - 50) << run;
            EXPECT_EQ(adapted.sheet.cy, before.geometry.sheet.cy + 20) << run;
            session.PressButton(PSBTN_CANCEL);
        });
        EXPECT_TRUE(session.Run());
    }
}

TEST_F(SheetFont, WithAShiftJisPageFontNothingIsReplacedOrResized) {
    LoadSettings();
    HFONT japanese = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH, "MS Shell Dlg");
    ASSERT_NE(japanese, nullptr);
    BeforeAdapting before;
    before.giveThePage = japanese;
    session.WaitForSheet()
        .Do([&] {
            ASSERT_TRUE(before.seen);
            ASSERT_EQ(FontOf(session.Page()), japanese);
            Geometry shown = Measure(session.Sheet());
            EXPECT_EQ(shown.sheet.cx, before.geometry.sheet.cx);
            EXPECT_EQ(shown.sheet.cy, before.geometry.sheet.cy);
            EXPECT_EQ(shown.tab.cx, before.geometry.tab.cx);
            EXPECT_EQ(shown.tab.cy, before.geometry.tab.cy);
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(shown.buttons[i].x, before.geometry.buttons[i].x) << kButtons[i];
                EXPECT_EQ(shown.buttons[i].y, before.geometry.buttons[i].y) << kButtons[i];
            }
            EXPECT_EQ(FontOf(TabOf(session.Sheet())), before.tabFont);
            EXPECT_FALSE(before.GaveGuiFont(session.Page()));
            for (HWND control : Descendants(session.Page())) {
                EXPECT_NE(FontOf(control), gui_) << GetDlgCtrlID(control);
                EXPECT_FALSE(before.GaveGuiFont(control)) << GetDlgCtrlID(control);
            }
        })
        .Do([&] { session.PressButton(PSBTN_CANCEL); });
    EXPECT_TRUE(session.Run());
    DeleteObject(japanese);
}

TEST(PageFontWithoutSheet, APageWithNoTabControlStillGetsTheGuiFont) {
    testsupport::RegisterTestWindowClass();
    HWND parent = CreateWindowExA(0, testsupport::kTestWindowClass, "parent", WS_OVERLAPPEDWINDOW,
                                  0, 0, 400, 300, NULL, NULL, GetModuleHandleA(NULL), NULL);
    ASSERT_NE(parent, nullptr);
    testsupport::DialogTemplate page(WS_CHILD | DS_CONTROL | DS_SETFONT, "page");
    page.Add(1, testsupport::kStaticAtom, 0, "label").Add(2, testsupport::kEditAtom, 0, "");
    HWND dialog = CreateDialogIndirectParamA(
        GetModuleHandleA(NULL), page.Get(), parent,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    ASSERT_NE(dialog, nullptr);
    const SIZE parentBefore = SizeOf(parent);
    AdaptPageFont(NULL);
    AdaptPageFont(dialog);
    HFONT gui = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(FontOf(GetDlgItem(dialog, 1)), gui);
    EXPECT_EQ(FontOf(GetDlgItem(dialog, 2)), gui);
    EXPECT_EQ(SizeOf(parent).cx, parentBefore.cx);
    EXPECT_EQ(SizeOf(parent).cy, parentBefore.cy);
    DestroyWindow(parent);
}

} // namespace
