// The sheet's fonts and its one-time resize, measured on the real windows.
// What the property sheet made of the sheet is taken just before the Settings
// page handles WM_INITDIALOG, where the page adapts its font.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/support/wine_test_support.h"
#include "tests/support/window_test_support.h"
#include "tests/ui/sheet/sheet_session.h"
#include "ui/sheet/page_font.h"

using namespace sheettest;

namespace {

const int kButtons[] = {IDOK, IDCANCEL, uidriver::kApply};

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

// The sheet was resized with its tab control, and OK, Cancel and Apply
// kept their places at its bottom right corner.
void ExpectResizedTogether(const Geometry& before, const Geometry& after) {
    EXPECT_EQ(after.tab.cx - before.tab.cx, after.sheet.cx - before.sheet.cx);
    EXPECT_EQ(after.tab.cy - before.tab.cy, after.sheet.cy - before.sheet.cy);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(after.sheet.cx - after.buttons[i].x, before.sheet.cx - before.buttons[i].x)
            << kButtons[i];
        EXPECT_EQ(after.sheet.cy - after.buttons[i].y, before.sheet.cy - before.buttons[i].y)
            << kButtons[i];
    }
}

// Narrower where the page left room beside its controls, wider where it fell
// short, and resized as a whole.
void ExpectNarrowed(const Geometry& before, const Geometry& after) {
    EXPECT_LT(after.sheet.cx, before.sheet.cx);
    ExpectResizedTogether(before, after);
}
void ExpectWidened(const Geometry& before, const Geometry& after) {
    EXPECT_GT(after.sheet.cx, before.sheet.cx);
    ExpectResizedTogether(before, after);
}

void ExpectUnchanged(const Geometry& before, const Geometry& after) {
    EXPECT_EQ(after.sheet.cx, before.sheet.cx);
    EXPECT_EQ(after.sheet.cy, before.sheet.cy);
    EXPECT_EQ(after.tab.cx, before.tab.cx);
    EXPECT_EQ(after.tab.cy, before.tab.cy);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(after.buttons[i].x, before.buttons[i].x) << kButtons[i];
        EXPECT_EQ(after.buttons[i].y, before.buttons[i].y) << kButtons[i];
    }
}

HFONT FontOf(HWND window) {
    return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
}

HFONT MakeFont(BYTE charset) {
    return CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "MS Shell Dlg");
}

int RealisedCharset(HFONT font) {
    HDC screen = GetDC(NULL);
    HGDIOBJ previous = SelectObject(screen, font);
    int charset = GetTextCharset(screen);
    SelectObject(screen, previous);
    ReleaseDC(NULL, screen);
    return charset;
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

// The page's own controls that show.
std::vector<HWND> Controls(HWND page) {
    std::vector<HWND> controls;
    for (HWND child : Descendants(page)) {
        if (GetParent(child) == page && IsWindowVisible(child)) {
            controls.push_back(child);
        }
    }
    return controls;
}

// Where the sheet shows its pages, in screen coordinates.
RECT DisplayArea(HWND sheet) {
    HWND tab = TabOf(sheet);
    RECT area = {};
    GetClientRect(tab, &area);
    SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    MapWindowPoints(tab, NULL, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

// Nothing of the page is cut off: each of its controls lies within the area.
void ExpectAllControlsShown(HWND sheet, HWND page) {
    const RECT area = DisplayArea(sheet);
    RECT pageRect = {};
    GetWindowRect(page, &pageRect);
    std::vector<HWND> controls = Controls(page);
    EXPECT_GE(controls.size(), 5u);
    for (HWND control : controls) {
        RECT rect = {};
        GetWindowRect(control, &rect);
        const int id = GetDlgCtrlID(control);
        EXPECT_GE(rect.left, area.left) << id;
        EXPECT_LE(rect.right, area.right) << id;
        EXPECT_LE(rect.right, pageRect.right) << id << " is cut off by its own page";
        EXPECT_GE(rect.top, area.top) << id;
        EXPECT_LE(rect.bottom, area.bottom) << id;
    }
}

// The space between the display area's edges and the page's outermost controls.
struct Margins {
    LONG left = LONG_MAX;
    LONG right = LONG_MAX;
};

Margins MarginsOf(HWND sheet, HWND page) {
    const RECT area = DisplayArea(sheet);
    Margins margins;
    for (HWND control : Controls(page)) {
        RECT rect = {};
        GetWindowRect(control, &rect);
        margins.left = std::min(margins.left, rect.left - area.left);
        margins.right = std::min(margins.right, area.right - rect.right);
    }
    return margins;
}

// Makes a dialog answer WM_GETFONT with `font`: a dialog takes no other font
// than its template's, which Wine always makes with DEFAULT_CHARSET.
const char kGivenFont[] = "QuillgateTestGivenFont";
const char kPreviousProc[] = "QuillgateTestPreviousProc";

LRESULT CALLBACK AnswerGivenFont(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = reinterpret_cast<WNDPROC>(GetPropA(window, kPreviousProc));
    if (msg == WM_GETFONT) {
        return reinterpret_cast<LRESULT>(GetPropA(window, kGivenFont));
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropA(window, kPreviousProc);
        RemovePropA(window, kGivenFont);
    }
    return CallWindowProcA(previous, window, msg, wParam, lParam);
}

void GiveFont(HWND window, HFONT font) {
    SetPropA(window, kGivenFont, font);
    SetPropA(window, kPreviousProc,
             reinterpret_cast<HANDLE>(SetWindowLongPtrA(
                 window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AnswerGivenFont))));
}

HWND ShownPage(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

// Room the display area leaves right of the page's visible controls, beyond
// the page's own left margin, before the page is shown.
LONG RoomBeside(HWND sheet, HWND page) {
    const RECT area = DisplayArea(sheet);
    RECT pageRect = {};
    GetWindowRect(page, &pageRect);
    LONG left = LONG_MAX, right = LONG_MIN;
    for (HWND child : Descendants(page)) {
        RECT rect = {};
        if (GetParent(child) != page || !(GetWindowLongPtrA(child, GWL_STYLE) & WS_VISIBLE) ||
            !GetWindowRect(child, &rect)) {
            continue;
        }
        left = std::min(left, rect.left - pageRect.left);
        right = std::max(right, rect.right - pageRect.left);
    }
    return area.right - area.left - right - left;
}

// Watches the pages' WM_INITDIALOG on this thread.
struct BeforeAdapting {
    static BeforeAdapting* current;
    HHOOK hook = NULL;
    bool seen = false;
    Geometry geometry; // as the property sheet made it, after setting the room
    HFONT tabFont = NULL;
    // A font both pages answer WM_GETFONT with from before they adapt.
    HFONT giveThePages = NULL;
    // With setRoom, the sheet and its tab control are first made as wide as
    // leaves `room` pixels beside the Settings page's controls, as where the
    // system sizes them with room to spare or too little. Either way `room`
    // then holds the room there was when the page adapted.
    bool setRoom = false;
    LONG room = 0;
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

    static void Widen(HWND window, int by) {
        SIZE size = SizeOf(window);
        SetWindowPos(window, NULL, 0, 0, size.cx + by, size.cy, SWP_NOZORDER | SWP_NOMOVE);
    }

    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam) {
        const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        BeforeAdapting* self = current;
        if (code == HC_ACTION && self && call->message == WM_SETFONT &&
            call->wParam == reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT))) {
            self->givenGuiFont.push_back(call->hwnd);
        }
        if (code == HC_ACTION && self && call->message == WM_INITDIALOG) {
            const bool settings = GetDlgItem(call->hwnd, IDC_EDIT_EDITOR) != NULL;
            if (settings && !self->seen) {
                self->seen = true;
                HWND sheet = GetParent(call->hwnd);
                if (self->setRoom) {
                    const int by = self->room - RoomBeside(sheet, call->hwnd);
                    Widen(TabOf(sheet), by);
                    Widen(sheet, by);
                }
                self->room = RoomBeside(sheet, call->hwnd);
                self->geometry = Measure(sheet);
                self->tabFont = FontOf(TabOf(sheet));
            }
            if (self->giveThePages && (settings || GetDlgItem(call->hwnd, IDC_ABOUT_ICON))) {
                GiveFont(call->hwnd, self->giveThePages);
            }
        }
        return CallNextHookEx(NULL, code, wParam, lParam);
    }
};

BeforeAdapting* BeforeAdapting::current = nullptr;

class SheetFont : public SheetTest {
protected:
    void SetUp() override {
        SheetTest::SetUp();
        western_ = MakeFont(ANSI_CHARSET);
        ASSERT_NE(western_, nullptr);
        ASSERT_NE(RealisedCharset(western_), SHIFTJIS_CHARSET);
    }
    void TearDown() override {
        DeleteObject(western_);
        SheetTest::TearDown();
    }

    // Runs the sheet with Western page fonts and `room` beside the page's
    // controls; `shown` sees the Settings page, then `about` the About page.
    void RunWestern(
        BeforeAdapting& before, LONG room, std::function<void()> shown,
        std::function<void()> about = [] {}) {
        LoadSettings();
        before.giveThePages = western_;
        before.setRoom = true;
        before.room = room;
        session.WaitForSheet()
            .Do([&] {
                ASSERT_TRUE(before.seen);
                ASSERT_EQ(FontOf(session.Page()), western_);
                shown();
                SendMessageA(session.Sheet(), PSM_SETCURSEL, 2, 0);
            })
            .Do(about)
            .Do([&] { session.PressButton(PSBTN_CANCEL); });
        EXPECT_TRUE(session.Run());
    }

    // The adaptation serves the Japanese template alone, in either locale.
    testsupport::ResourceLanguage japanese_{testsupport::kJapanese};
    HFONT gui_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HFONT western_ = NULL;
};

TEST_F(SheetFont, AWesternPageGetsTheGuiFontAndTheSheetNarrowsWhereItHasRoom) {
    BeforeAdapting before;
    Geometry adapted;
    RunWestern(
        before, 100,
        [&] {
            adapted = Measure(session.Sheet());
            ExpectNarrowed(before.geometry, adapted);
            // A dialog keeps answering WM_GETFONT with its template's font, so
            // what shows the page's font is its controls.
            EXPECT_TRUE(before.GaveGuiFont(session.Page()));
            EXPECT_EQ(FontOf(TabOf(session.Sheet())), gui_);
            std::vector<HWND> controls = Descendants(session.Page());
            EXPECT_GE(controls.size(), 13u);
            for (HWND control : controls) {
                EXPECT_EQ(FontOf(control), gui_) << GetDlgCtrlID(control);
            }
            ExpectAllControlsShown(session.Sheet(), session.Page());
        },
        [&] {
            HWND about = ShownPage(session.Sheet());
            EXPECT_NE(about, session.Page());
            // Its controls then get fonts of the About page's own.
            EXPECT_TRUE(before.GaveGuiFont(about)) << "the About page gets the fonts";
            EXPECT_TRUE(before.GaveGuiFont(GetDlgItem(about, IDC_ABOUT_ICON)));
            ExpectUnchanged(adapted, Measure(session.Sheet())); // nothing is resized again
            ExpectAllControlsShown(session.Sheet(), about);
        });
}

TEST_F(SheetFont, TheSheetNarrowsOnlyAsFarAsThePageLeavesRoom) {
    BeforeAdapting before;
    RunWestern(
        before, 30,
        [&] {
            ExpectNarrowed(before.geometry, Measure(session.Sheet()));
            // What room it leaves: as much right of its controls as left.
            Margins margins = MarginsOf(session.Sheet(), session.Page());
            EXPECT_EQ(margins.right, margins.left);
            ExpectAllControlsShown(session.Sheet(), session.Page());
        },
        [&] { ExpectAllControlsShown(session.Sheet(), ShownPage(session.Sheet())); });
}

TEST_F(SheetFont, WhereThePageAlreadyFallsShortTheSheetGrowsToHoldIt) {
    BeforeAdapting before;
    RunWestern(
        before, -20,
        [&] {
            EXPECT_TRUE(before.GaveGuiFont(session.Page()));
            ExpectWidened(before.geometry, Measure(session.Sheet()));
            ExpectAllControlsShown(session.Sheet(), session.Page());
        },
        [&] { ExpectAllControlsShown(session.Sheet(), ShownPage(session.Sheet())); });
}

TEST_F(SheetFont, EachSheetIsResizedOnceAgain) {
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        session = SheetSession();
        BeforeAdapting before;
        RunWestern(before, 100, [&] { ExpectNarrowed(before.geometry, Measure(session.Sheet())); });
    }
}

// Wine makes the template's font with DEFAULT_CHARSET, which realises in the
// system's character set: Shift-JIS in the Japanese locale only.
TEST_F(SheetFont, TheTemplateFontIsJapaneseWhereItRealisesAsShiftJis) {
    LoadSettings();
    BeforeAdapting before;
    const bool japanese = GetACP() == 932;
    session.WaitForSheet()
        .Do([&] {
            ASSERT_TRUE(before.seen);
            LOGFONTA font = {};
            ASSERT_NE(GetObjectA(FontOf(session.Page()), sizeof font, &font), 0);
            EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
            Geometry shown = Measure(session.Sheet());
            if (japanese) {
                ExpectUnchanged(before.geometry, shown);
                EXPECT_EQ(FontOf(TabOf(session.Sheet())), before.tabFont);
                EXPECT_TRUE(before.givenGuiFont.empty());
            } else {
                ExpectResizedTogether(before.geometry, shown);
                EXPECT_TRUE(before.GaveGuiFont(session.Page()));
                EXPECT_EQ(FontOf(TabOf(session.Sheet())), gui_);
            }
            ExpectAllControlsShown(session.Sheet(), session.Page());
            SendMessageA(session.Sheet(), PSM_SETCURSEL, 1, 0);
        })
        .Do([&] {
            HWND status = ShownPage(session.Sheet());
            EXPECT_EQ(before.GaveGuiFont(status), !japanese);
            ExpectAllControlsShown(session.Sheet(), status);
            SendMessageA(session.Sheet(), PSM_SETCURSEL, 2, 0);
        })
        .Do([&] {
            HWND about = ShownPage(session.Sheet());
            EXPECT_EQ(before.GaveGuiFont(about), !japanese);
            ExpectAllControlsShown(session.Sheet(), about);
        })
        .Do([&] { session.PressButton(PSBTN_CANCEL); });
    EXPECT_TRUE(session.Run());
}

TEST_F(SheetFont, WithAShiftJisPageFontNothingIsReplacedOrResized) {
    LoadSettings();
    HFONT japanese = MakeFont(SHIFTJIS_CHARSET);
    ASSERT_NE(japanese, nullptr);
    BeforeAdapting before;
    before.giveThePages = japanese;
    session.WaitForSheet()
        .Do([&] {
            ASSERT_TRUE(before.seen);
            ASSERT_EQ(FontOf(session.Page()), japanese);
            ExpectUnchanged(before.geometry, Measure(session.Sheet()));
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

// Even where its font has no Japanese glyphs to miss, in either locale.
TEST_F(SheetTest, TheEnglishPagesKeepTheirOwnFontAndTheSheetItsSize) {
    testsupport::ResourceLanguage english(testsupport::kEnglish);
    LoadSettings();
    BeforeAdapting before;
    session.WaitForSheet()
        .Do([&] {
            ASSERT_TRUE(before.seen);
            ExpectUnchanged(before.geometry, Measure(session.Sheet()));
            EXPECT_EQ(FontOf(TabOf(session.Sheet())), before.tabFont);
            SendMessageA(session.Sheet(), PSM_SETCURSEL, 1, 0);
        })
        .Do([&] { SendMessageA(session.Sheet(), PSM_SETCURSEL, 2, 0); })
        .Do([&] {
            EXPECT_TRUE(before.givenGuiFont.empty());
            session.PressButton(PSBTN_CANCEL);
        });
    EXPECT_TRUE(session.Run());
}

INT_PTR CALLBACK IgnoreAll(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

TEST(PageFontWithoutSheet, APageWithNoTabControlStillGetsTheGuiFont) {
    testsupport::RegisterTestWindowClass();
    HWND parent = CreateWindowExA(0, testsupport::kTestWindowClass, "parent", WS_OVERLAPPEDWINDOW,
                                  0, 0, 400, 300, NULL, NULL, GetModuleHandleA(NULL), NULL);
    ASSERT_NE(parent, nullptr);
    testsupport::DialogTemplate page(WS_CHILD | DS_CONTROL | DS_SETFONT, "page");
    page.Add(1, testsupport::kStaticAtom, 0, "label").Add(2, testsupport::kEditAtom, 0, "");
    HWND dialog =
        CreateDialogIndirectParamA(GetModuleHandleA(NULL), page.Get(), parent, IgnoreAll, 0);
    ASSERT_NE(dialog, nullptr);
    HFONT western = MakeFont(ANSI_CHARSET); // in either locale
    GiveFont(dialog, western);
    const SIZE parentBefore = SizeOf(parent);
    AdaptPageFont(NULL);
    AdaptPageFont(dialog);
    HFONT gui = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(FontOf(GetDlgItem(dialog, 1)), gui);
    EXPECT_EQ(FontOf(GetDlgItem(dialog, 2)), gui);
    EXPECT_EQ(SizeOf(parent).cx, parentBefore.cx);
    EXPECT_EQ(SizeOf(parent).cy, parentBefore.cy);
    DestroyWindow(parent);
    DeleteObject(western);
}

} // namespace
