// Tying objects to real windows: plain windows, controls and dialogs.
#include <gtest/gtest.h>

#include <windows.h>

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
    std::vector<UINT> original;
    ScopedWindowHook hook([&](HWND, UINT msg, WPARAM, LPARAM) { original.push_back(msg); });
    HWND parent = MakeWindow(kTestWindowClass);
    HWND child = MakeWindow(kTestWindowClass, parent);
    Probe probe;

    ASSERT_TRUE(probe.Attach(child));
    EXPECT_EQ(child, probe.Window());
    EXPECT_EQ(parent, probe.Parent());
    EXPECT_FALSE(probe.IsDialog());
    EXPECT_EQ(AsSlot(TestWindowProc), AsSlot(probe.PreviousProc()));
    EXPECT_EQ(&probe, GetPropA(child, "CWIN_BASE"));
    EXPECT_EQ(AsSlot(SharedWindowProc), GetWindowLongPtrA(child, GWLP_WNDPROC));

    original.clear();
    SendMessageA(child, WM_USER + 1, 7, 9);
    ASSERT_EQ(1u, probe.seen.size());
    EXPECT_EQ(UINT(WM_USER + 1), probe.seen[0].msg);
    EXPECT_EQ(std::vector<UINT>{WM_USER + 1}, original);
    SetWindowTextA(child, "passed on");
    char text[32] = {};
    GetWindowTextA(child, text, sizeof text);
    EXPECT_STREQ("passed on", text);

    // Detaching gives the window back as it was and keeps the fields.
    EXPECT_TRUE(probe.Detach());
    EXPECT_EQ(AsSlot(TestWindowProc), GetWindowLongPtrA(child, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, GetPropA(child, "CWIN_BASE"));
    EXPECT_EQ(child, probe.Window());
    EXPECT_EQ(AsSlot(TestWindowProc), AsSlot(probe.PreviousProc()));
    probe.seen.clear();
    SendMessageA(child, WM_USER + 2, 0, 0);
    EXPECT_TRUE(probe.seen.empty());
    EXPECT_FALSE(probe.Detach()); // the property is already gone

    DestroyWindow(parent);
}

TEST_F(WindowWrapperTest, NothingIsAttachedToNoWindow) {
    Probe probe;
    EXPECT_FALSE(probe.Attach(nullptr));
    EXPECT_EQ(nullptr, probe.Window());
    EXPECT_EQ(nullptr, probe.PreviousProc());
    EXPECT_FALSE(probe.Detach());
}

TEST_F(WindowWrapperTest, DestroyReachesTheObjectFirstThenTheWindowIsGivenBack) {
    HWND window = MakeWindow(kTestWindowClass);
    Probe probe;
    ASSERT_TRUE(probe.Attach(window));
    bool subclassedAtDestroy = false;
    probe.onMessage = [&](HWND hwnd, UINT msg) {
        if (msg == WM_DESTROY) {
            subclassedAtDestroy = GetWindowLongPtrA(hwnd, GWLP_WNDPROC) == AsSlot(SharedWindowProc);
        }
    };
    bool ncDestroyInOwnProcedure = false;
    HANDLE propertyAtNcDestroy = &probe;
    ScopedWindowHook hook([&](HWND hwnd, UINT msg, WPARAM, LPARAM) {
        if (msg == WM_NCDESTROY) {
            ncDestroyInOwnProcedure =
                GetWindowLongPtrA(hwnd, GWLP_WNDPROC) == AsSlot(TestWindowProc);
            propertyAtNcDestroy = GetPropA(hwnd, "CWIN_BASE");
        }
    });

    DestroyWindow(window);

    ASSERT_TRUE(probe.Saw(WM_DESTROY));
    EXPECT_TRUE(probe.seen.back().attached);
    EXPECT_TRUE(subclassedAtDestroy);
    EXPECT_FALSE(probe.Saw(WM_NCDESTROY));
    EXPECT_TRUE(ncDestroyInOwnProcedure);
    EXPECT_EQ(nullptr, propertyAtNcDestroy);
}

TEST_F(WindowWrapperTest, WindowAlreadyRunningTheSharedProcedureIsNotSubclassedAgain) {
    // Made with the shared procedure but no object: plain default behaviour.
    HWND window = MakeWindow(kSharedClass);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(nullptr, GetPropA(window, "CWIN_BASE"));

    Probe first;
    ASSERT_TRUE(first.Attach(window));
    EXPECT_EQ(&first, GetPropA(window, "CWIN_BASE"));
    EXPECT_EQ(AsSlot(SharedWindowProc), GetWindowLongPtrA(window, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, first.PreviousProc());
    SetWindowTextA(window, "default"); // DefWindowProcA keeps the text
    char text[32] = {};
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ("default", text);
    EXPECT_TRUE(first.Saw(WM_SETTEXT));

    // A second object takes the window over; the first hears nothing more.
    Probe second;
    ASSERT_TRUE(second.Attach(window));
    EXPECT_EQ(&second, GetPropA(window, "CWIN_BASE"));
    EXPECT_EQ(nullptr, second.PreviousProc());
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
    EXPECT_EQ(nullptr, probe.PreviousProc());
    EXPECT_EQ(AsSlot(SharedWindowProc), GetWindowLongPtrA(dialog, DWLP_DLGPROC));
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
    EXPECT_EQ(nullptr, probe.PreviousProc());

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
    EXPECT_EQ(0x1234, GetWindowLongPtrA(control, DWLP_DLGPROC));
    EXPECT_EQ(AsSlot(SharedWindowProc), GetWindowLongPtrA(control, GWLP_WNDPROC));
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

} // namespace
