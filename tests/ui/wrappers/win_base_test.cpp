// Tying objects to real windows: plain windows, controls and dialogs.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <vector>

#include "tests/support/window_test_support.h"
#include "tests/ui/wrappers/probe.h"
#include "ui/wrappers/shared_window_proc.h"

using namespace testsupport;

namespace {

const char kSharedClass[] = "QuillgateSharedProcWindow";
const char kDataControlClass[] = "QuillgateDataControl";

void RegisterClasses() {
    RegisterTestWindowClass();
    WNDCLASSA shared = {};
    shared.lpfnWndProc = SharedWindowProc;
    shared.hInstance = GetModuleHandleA(nullptr);
    shared.lpszClassName = kSharedClass;
    RegisterClassA(&shared);
    // A control that keeps data of its own where a dialog keeps its procedure.
    WNDCLASSA data = {};
    data.lpfnWndProc = TestWindowProc;
    data.cbWndExtra = 3 * sizeof(LONG_PTR);
    data.hInstance = GetModuleHandleA(nullptr);
    data.lpszClassName = kDataControlClass;
    RegisterClassA(&data);
}

HWND MakeWindow(const char* windowClass, HWND parent = nullptr, void* object = nullptr) {
    DWORD style = parent ? WS_CHILD | WS_VISIBLE : WS_OVERLAPPEDWINDOW;
    return CreateWindowExA(0, windowClass, "window", style, 0, 0, 100, 100, parent, nullptr,
                           GetModuleHandleA(nullptr), object);
}

HWND MakeDialog(DLGPROC procedure, LPARAM init) {
    DialogTemplate dialog;
    dialog.Add(10, kStaticAtom, SS_LEFT, "text");
    return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialog.Get(), nullptr, procedure,
                                      init);
}

DLGPROC SharedAsDialogProc() {
    return reinterpret_cast<DLGPROC>(SharedWindowProc);
}

class WindowWrapperTest : public testing::Test {
protected:
    void SetUp() override { RegisterClasses(); }
};

TEST_F(WindowWrapperTest, AttachedObjectSeesMessagesBeforeTheWindowsOwnProcedure) {
    std::vector<UINT> own;
    ScopedWindowHook hook([&](HWND, UINT msg, WPARAM, LPARAM) { own.push_back(msg); });
    HWND parent = MakeWindow(kTestWindowClass);
    HWND child = MakeWindow(kTestWindowClass, parent);
    Probe probe;

    ASSERT_TRUE(probe.Attach(child));
    EXPECT_EQ(child, probe.Window());
    EXPECT_EQ(parent, probe.Parent());
    EXPECT_FALSE(probe.IsDialog());

    own.clear();
    SendMessageA(child, WM_USER + 1, 7, 9);
    ASSERT_EQ(1u, probe.seen.size());
    EXPECT_EQ(UINT(WM_USER + 1), probe.seen[0].msg);
    EXPECT_TRUE(probe.seen[0].attached);
    EXPECT_EQ(std::vector<UINT>{WM_USER + 1}, own);
    SetWindowTextA(child, "passed on");
    char text[32] = {};
    GetWindowTextA(child, text, sizeof text);
    EXPECT_STREQ("passed on", text);

    // Detached, the window's messages go to its own procedure alone; the
    // fields stay.
    EXPECT_TRUE(probe.Detach());
    EXPECT_FALSE(probe.Attached());
    EXPECT_EQ(child, probe.Window());
    probe.seen.clear();
    own.clear();
    SendMessageA(child, WM_USER + 2, 0, 0);
    EXPECT_TRUE(probe.seen.empty());
    EXPECT_EQ(std::vector<UINT>{WM_USER + 2}, own);
    EXPECT_FALSE(probe.Detach()); // already detached

    DestroyWindow(parent);
}

TEST_F(WindowWrapperTest, FailedAttachIsReportedAndLeavesTheWrapperUnattached) {
    Probe probe;
    {
        ExpectBrokenWrapperRules broken;
        EXPECT_FALSE(probe.Attach(nullptr));
        EXPECT_EQ(1, broken.Count());
    }
    EXPECT_EQ(nullptr, probe.Window());
    EXPECT_FALSE(probe.Detach());

    // One window at a time: the second would lose the first one's procedure.
    HWND first = MakeWindow(kTestWindowClass);
    HWND second = MakeWindow(kTestWindowClass);
    ASSERT_TRUE(probe.Attach(first));
    {
        ExpectBrokenWrapperRules broken;
        EXPECT_FALSE(probe.Attach(second));
        EXPECT_EQ(1, broken.Count());
    }
    EXPECT_EQ(first, probe.Window());
    SendMessageA(second, WM_USER, 0, 0);
    EXPECT_FALSE(probe.Saw(WM_USER));
    DestroyWindow(second);
    DestroyWindow(first);
}

TEST_F(WindowWrapperTest, WrapperDestroyedBeforeItsWindowIsReported) {
    HWND window = MakeWindow(kTestWindowClass);
    {
        ExpectBrokenWrapperRules broken;
        Probe* early = new Probe;
        ASSERT_TRUE(early->Attach(window));
        delete early;
        EXPECT_EQ(1, broken.Count());
    }
    // Another wrapper takes the window over, so that it can go safely.
    Probe later;
    ASSERT_TRUE(later.Attach(window));
    DestroyWindow(window);
}

TEST_F(WindowWrapperTest, DestroyReachesTheObjectFirstThenTheWindowIsGivenBack) {
    HWND window = MakeWindow(kTestWindowClass);
    Probe probe;
    ASSERT_TRUE(probe.Attach(window));
    std::vector<UINT> own;
    bool attachedAtNcDestroy = true;
    ScopedWindowHook hook([&](HWND, UINT msg, WPARAM, LPARAM) {
        own.push_back(msg);
        if (msg == WM_NCDESTROY) {
            attachedAtNcDestroy = probe.Attached();
        }
    });

    DestroyWindow(window);

    ASSERT_TRUE(probe.Saw(WM_DESTROY));
    EXPECT_TRUE(probe.seen.back().attached);
    EXPECT_FALSE(probe.Saw(WM_NCDESTROY));
    EXPECT_EQ((std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}), own);
    EXPECT_FALSE(attachedAtNcDestroy);
}

TEST_F(WindowWrapperTest, WindowAlreadyRunningTheSharedProcedureIsNotSubclassedAgain) {
    // Made with the shared procedure but no object: plain default behaviour.
    HWND window = MakeWindow(kSharedClass);
    ASSERT_NE(nullptr, window);

    Probe first;
    ASSERT_TRUE(first.Attach(window));
    SetWindowTextA(window, "default"); // DefWindowProcA keeps the text
    char text[32] = {};
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ("default", text);
    EXPECT_TRUE(first.Saw(WM_SETTEXT));

    // A second object takes the window over; the first hears nothing more.
    Probe second;
    ASSERT_TRUE(second.Attach(window));
    EXPECT_FALSE(first.Attached());
    first.seen.clear();
    SendMessageA(window, WM_USER, 0, 0);
    EXPECT_TRUE(first.seen.empty());
    EXPECT_TRUE(second.Saw(WM_USER));
    DestroyWindow(window);
}

TEST_F(WindowWrapperTest, DialogAlreadyRunningTheSharedProcedureAnswersZeroByDefault) {
    HWND dialog = MakeDialog(SharedAsDialogProc(), 0);
    ASSERT_NE(nullptr, dialog);
    // No object: 0 where DefWindowProcA would give the title's length.
    EXPECT_EQ(0, SharedWindowProc(dialog, WM_GETTEXTLENGTH, 0, 0));
    EXPECT_EQ(0, SharedWindowProc(dialog, WM_SETFONT, 0, 0));

    Probe probe;
    ASSERT_TRUE(probe.Attach(dialog));
    EXPECT_TRUE(probe.IsDialog());
    EXPECT_EQ(0, SharedWindowProc(dialog, WM_GETTEXTLENGTH, 0, 0));
    EXPECT_TRUE(probe.Saw(WM_GETTEXTLENGTH));
    DestroyWindow(dialog);
}

TEST_F(WindowWrapperTest, WindowClassWithTheSharedProcedureAttachesItsObjectOnNcCreate) {
    Probe probe;
    HWND window = MakeWindow(kSharedClass, nullptr, &probe);
    ASSERT_NE(nullptr, window);

    ASSERT_FALSE(probe.seen.empty());
    EXPECT_EQ(UINT(WM_NCCREATE), probe.seen[0].msg); // earlier ones went to DefWindowProcA
    EXPECT_TRUE(probe.seen[0].attached);
    EXPECT_TRUE(probe.Saw(WM_CREATE));
    EXPECT_EQ(window, probe.Window());
    EXPECT_FALSE(probe.IsDialog());

    DestroyWindow(window);
    EXPECT_TRUE(probe.Saw(WM_DESTROY));
    EXPECT_FALSE(probe.Saw(WM_NCDESTROY));
}

TEST_F(WindowWrapperTest, DialogWithTheSharedProcedureAttachesItsObjectOnInitDialog) {
    Probe probe;
    HWND dialog = MakeDialog(SharedAsDialogProc(), reinterpret_cast<LPARAM>(&probe));
    ASSERT_NE(nullptr, dialog);

    // WM_SETFONT came first, with no object yet.
    ASSERT_FALSE(probe.seen.empty());
    EXPECT_FALSE(probe.Saw(WM_SETFONT));
    EXPECT_EQ(UINT(WM_INITDIALOG), probe.seen[0].msg);
    EXPECT_EQ(reinterpret_cast<LPARAM>(&probe), probe.seen[0].lParam);
    EXPECT_TRUE(probe.seen[0].attached);
    EXPECT_TRUE(probe.IsDialog());
    EXPECT_EQ(dialog, probe.Window());

    DestroyWindow(dialog);
    EXPECT_TRUE(probe.Saw(WM_DESTROY));
    EXPECT_FALSE(probe.Saw(WM_NCDESTROY));
}

TEST_F(WindowWrapperTest, ControlKeepingItsOwnDataIsSubclassedAsAControl) {
    HWND parent = MakeWindow(kTestWindowClass);
    HWND control = MakeWindow(kDataControlClass, parent);
    ASSERT_NE(nullptr, control);
    // The offset a dialog's procedure would have.
    SetWindowLongPtrA(control, DWLP_DLGPROC, 0x1234);

    Probe probe;
    ASSERT_TRUE(probe.Attach(control));
    EXPECT_FALSE(probe.IsDialog());
    EXPECT_EQ(0x1234, GetWindowLongPtrA(control, DWLP_DLGPROC)); // its data is kept
    SendMessageA(control, WM_USER, 0, 0);
    EXPECT_TRUE(probe.Saw(WM_USER));
    DestroyWindow(parent);
}

TEST_F(WindowWrapperTest, ShowShowsWithoutActivatingAndRemembersTheValue) {
    HWND active = MakeWindow(kTestWindowClass);
    ShowWindow(active, SW_SHOW);
    SetActiveWindow(active);
    HWND window = MakeWindow(kTestWindowClass);
    Probe probe;

    probe.Show(FALSE); // nothing attached yet: nothing happens
    EXPECT_EQ(TRUE, probe.Visible());

    ASSERT_TRUE(probe.Attach(window));
    probe.Show(2);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(2, probe.Visible());
    EXPECT_EQ(active, GetActiveWindow());
    EXPECT_FALSE(probe.Saw(WM_ACTIVATE));

    probe.Show(FALSE);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(FALSE, probe.Visible());
    DestroyWindow(window);
    DestroyWindow(active);
}

// A procedure subclassed over the wrapper's, as another tool or library does;
// it hands everything on to the procedure it replaced.
WNDPROC g_underOther = nullptr;
std::vector<UINT> g_otherSeen;

LRESULT CALLBACK OtherProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    g_otherSeen.push_back(msg);
    return CallWindowProcA(g_underOther, hwnd, msg, wParam, lParam);
}

class WrapperUnderAnotherProcedureTest : public WindowWrapperTest {
protected:
    void SetUp() override {
        WindowWrapperTest::SetUp();
        parent_ = MakeWindow(kTestWindowClass);
        control_ = MakeWindow(kTestWindowClass, parent_);
        ASSERT_TRUE(probe_.Attach(control_));
        g_otherSeen.clear();
        g_underOther = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OtherProcedure)));
    }
    void TearDown() override { DestroyWindow(parent_); }

    // The messages the control's own class procedure receives.
    std::vector<UINT> own_;
    ScopedWindowHook hook_{[this](HWND hwnd, UINT msg, WPARAM, LPARAM) {
        if (hwnd == control_) {
            own_.push_back(msg);
        }
    }};
    HWND parent_ = nullptr;
    HWND control_ = nullptr;
    Probe probe_;
};

bool Has(const std::vector<UINT>& seen, UINT msg) {
    return std::find(seen.begin(), seen.end(), msg) != seen.end();
}

TEST_F(WrapperUnderAnotherProcedureTest, DetachedWrapperPassesEverythingOnToTheControl) {
    EXPECT_FALSE(probe_.Detach()); // ours cannot be taken out from under the other
    probe_.seen.clear();

    SendMessageA(control_, WM_USER + 5, 0, 0);
    EXPECT_TRUE(Has(g_otherSeen, WM_USER + 5));
    EXPECT_TRUE(Has(own_, WM_USER + 5));

    // The other procedure leaves again: the control still has its own.
    SetWindowLongPtrA(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_underOther));
    SendMessageA(control_, WM_USER + 6, 0, 0);
    EXPECT_TRUE(Has(own_, WM_USER + 6));

    DestroyWindow(parent_);
    EXPECT_TRUE(Has(own_, WM_DESTROY));
    EXPECT_TRUE(Has(own_, WM_NCDESTROY));
    EXPECT_TRUE(probe_.seen.empty());
}

TEST_F(WrapperUnderAnotherProcedureTest, ControlDestroyedUnderItKeepsItsOwnProcedureToTheEnd) {
    DestroyWindow(parent_);
    EXPECT_TRUE(probe_.Saw(WM_DESTROY));
    EXPECT_FALSE(probe_.Saw(WM_NCDESTROY));
    EXPECT_TRUE(Has(g_otherSeen, WM_NCDESTROY));
    EXPECT_TRUE(Has(own_, WM_DESTROY));
    EXPECT_TRUE(Has(own_, WM_NCDESTROY));
}

} // namespace
