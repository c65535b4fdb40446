// Property sheet pages bound to their objects through PageDialogProc.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "tests/support/window_test_support.h"
#include "tests/ui/wrappers/probe.h"
#include "ui/wrappers/dependent_check.h"
#include "ui/wrappers/shared_window_proc.h"

using namespace testsupport;

namespace {

enum : WORD { kCheckId = 100, kEditId = 101, kWatcherId = 102 };

DialogTemplate PageTemplate() {
    DialogTemplate page(WS_CHILD | WS_CAPTION | DS_CONTROL | DS_SETFONT, "page");
    page.Add(kCheckId, kButtonAtom, BS_AUTOCHECKBOX | WS_TABSTOP, "check")
        .Add(kEditId, kEditAtom, WS_BORDER, "")
        .Add(kWatcherId, 0, 0, "", kTestWindowClass);
    return page;
}

// Sets itself up on WM_INITDIALOG as the settings page does with its controls.
class SettingsLikePage : public Probe {
public:
    CDependentCheck check;

    SettingsLikePage() {
        actsAsPage = true;
        onMessage = [this](HWND page, UINT msg) {
            if (msg != WM_INITDIALOG) {
                return;
            }
            EXPECT_TRUE(check.Attach(GetDlgItem(page, kCheckId)));
            check.dependents.Append({GetDlgItem(page, kEditId), TRUE});
            SendDlgItemMessageA(page, kCheckId, BM_SETCHECK, BST_UNCHECKED, 0);
        };
    }
};

// A modeless sheet with one page per object, each page bound through
// PageDialogProc with its object (possibly null) as the description's lParam.
class Sheet {
public:
    explicit Sheet(std::vector<CWinBase*> objects) : template_(PageTemplate()) {
        RegisterTestWindowClass();
        pages_.resize(objects.size());
        for (size_t i = 0; i < objects.size(); ++i) {
            pages_[i].dwSize = sizeof pages_[i];
            pages_[i].dwFlags = PSP_DLGINDIRECT;
            pages_[i].pResource = template_.Get();
            pages_[i].pfnDlgProc = PageDialogProc;
            pages_[i].lParam = reinterpret_cast<LPARAM>(objects[i]);
        }
        PROPSHEETHEADERA header = {};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS;
        header.hInstance = GetModuleHandleA(nullptr);
        header.pszCaption = "sheet";
        header.nPages = static_cast<UINT>(pages_.size());
        header.ppsp = pages_.data();
        window_ = reinterpret_cast<HWND>(PropertySheetA(&header));
        PumpMessages();
    }
    ~Sheet() {
        if (IsWindow(window_)) {
            DestroyWindow(window_);
        }
    }
    HWND Window() const { return window_; }
    HWND CurrentPage() const {
        return reinterpret_cast<HWND>(SendMessageA(window_, PSM_GETCURRENTPAGEHWND, 0, 0));
    }

private:
    DialogTemplate template_;
    std::vector<PROPSHEETPAGEA> pages_;
    HWND window_ = nullptr;
};

TEST(PageDialogProcTest, PageDescriptionWithoutObjectIsAnsweredWithZero) {
    Sheet sheet({nullptr});
    ASSERT_NE(nullptr, sheet.Window());
    HWND page = sheet.CurrentPage();
    ASSERT_NE(nullptr, page);

    PROPSHEETPAGEA description = {};
    description.dwSize = sizeof description;
    EXPECT_EQ(0, PageDialogProc(page, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&description)));
    EXPECT_EQ(0, PageDialogProc(page, WM_INITDIALOG, 0, 0)); // no description at all
    EXPECT_EQ(0, PageDialogProc(page, WM_SETFONT, 0, 0));
    EXPECT_EQ(0, PageDialogProc(page, WM_GETTEXTLENGTH, 0, 0));
}

TEST(PageDialogProcTest, PropertySheetPageIsBoundToItsObjectUntilItIsDestroyed) {
    SettingsLikePage opened;
    Probe neverOpened;
    neverOpened.actsAsPage = true;
    Sheet sheet({&opened, &neverOpened});
    ASSERT_NE(nullptr, sheet.Window());

    // The page object, not the page description, arrives with WM_INITDIALOG.
    ASSERT_FALSE(opened.seen.empty());
    EXPECT_EQ(UINT(WM_INITDIALOG), opened.seen[0].msg);
    EXPECT_EQ(reinterpret_cast<LPARAM>(&opened), opened.seen[0].lParam);
    EXPECT_TRUE(opened.seen[0].attached);
    HWND page = opened.Window();
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(sheet.CurrentPage(), page);
    EXPECT_EQ(sheet.Window(), opened.Parent());
    EXPECT_TRUE(opened.IsDialog());
    EXPECT_TRUE(neverOpened.seen.empty());
    EXPECT_EQ(nullptr, neverOpened.Window());

    // Later page messages reach the object through the shared procedure.
    SendMessageA(page, WM_USER + 3, 0, 0);
    EXPECT_TRUE(opened.Saw(WM_USER + 3));

    // The control it attached on WM_INITDIALOG works on the live page.
    HWND edit = GetDlgItem(page, kEditId);
    EXPECT_FALSE(IsWindowEnabled(edit));
    SendDlgItemMessageA(page, kCheckId, BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindowEnabled(edit));

    // By the time the page's children are freed, page and check box are detached.
    bool pageDetached = false;
    bool checkDetached = false;
    ScopedWindowHook hook([&](HWND, UINT msg, WPARAM, LPARAM) {
        if (msg == WM_NCDESTROY) {
            pageDetached = !opened.Attached();
            checkDetached = !opened.check.Attached();
        }
    });
    DestroyWindow(sheet.Window());
    EXPECT_TRUE(opened.Saw(WM_DESTROY));
    EXPECT_FALSE(opened.Saw(WM_NCDESTROY));
    EXPECT_TRUE(pageDetached);
    EXPECT_TRUE(checkDetached);
    EXPECT_TRUE(neverOpened.seen.empty());
}

// A dialog procedure put over the page's, handing everything on.
DLGPROC g_underOtherPage = nullptr;
std::vector<UINT> g_otherPageSeen;

INT_PTR CALLBACK OtherPageProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    g_otherPageSeen.push_back(msg);
    return CallWindowProcA(reinterpret_cast<WNDPROC>(g_underOtherPage), hwnd, msg, wParam, lParam);
}

TEST(PageDialogProcTest, PageUnderAnotherDialogProcedureHearsNothingAfterItsDestroy) {
    Probe page;
    page.actsAsPage = true;
    Sheet sheet({&page});
    ASSERT_NE(nullptr, page.Window());
    g_otherPageSeen.clear();
    g_underOtherPage = reinterpret_cast<DLGPROC>(SetWindowLongPtrA(
        page.Window(), DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(OtherPageProcedure)));

    SendMessageA(page.Window(), WM_USER + 4, 0, 0);
    EXPECT_TRUE(page.Saw(WM_USER + 4));

    DestroyWindow(sheet.Window());
    EXPECT_TRUE(page.Saw(WM_DESTROY));
    EXPECT_FALSE(page.Saw(WM_NCDESTROY));
    EXPECT_EQ(UINT(WM_NCDESTROY), g_otherPageSeen.back());
}

} // namespace
