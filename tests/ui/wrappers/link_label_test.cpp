// The link label on a real static control. The shell call is watched through
// g_outsideWorld.shellExecute, which a recorder stands in for.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "resources/outside_world.h"
#include "tests/support/shell_execute_recorder.h"
#include "tests/support/window_test_support.h"
#include "ui/wrappers/link_label.h"

using namespace testsupport;

namespace {

enum : WORD { kLinkId = 200, kPlainId = 201 };
const char kAddress[] = "http://corvalen.example/quillgate/";

std::vector<WORD> g_notifications; // STN_* codes the dialog received

INT_PTR CALLBACK NotificationRecorder(HWND, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_COMMAND) {
        g_notifications.push_back(HIWORD(wParam));
    }
    return msg == WM_INITDIALOG;
}

class LinkLabelTest : public testing::Test {
protected:
    void SetUp() override {
        g_notifications.clear();
        DialogTemplate dialog;
        dialog.Add(kLinkId, kStaticAtom, SS_LEFT | SS_NOTIFY, kAddress)
            .Add(kPlainId, kStaticAtom, SS_LEFT | SS_NOTIFY, "plain");
        dialog_ = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialog.Get(), nullptr,
                                             NotificationRecorder, 0);
        ASSERT_NE(nullptr, dialog_);
        labelWindow_ = GetDlgItem(dialog_, kLinkId);
        ASSERT_TRUE(label_.Attach(labelWindow_));
    }
    void TearDown() override { DestroyWindow(dialog_); }

    LRESULT Press(HWND window, UINT msg = WM_LBUTTONDOWN) {
        return SendMessageA(window, msg, MK_LBUTTON, MAKELPARAM(3, 4));
    }

    const std::vector<ShellCall>& ShellCalls() const { return shell_.Calls(); }

    ShellExecuteRecorder shell_;
    HWND dialog_ = nullptr;
    HWND labelWindow_ = nullptr;
    CLinkLabel label_;
};

TEST_F(LinkLabelTest, PressOpensTheLabelsTextOnceAndTheStaticNeverSeesIt) {
    // An ordinary notifying static reports the press to its dialog...
    Press(GetDlgItem(dialog_, kPlainId));
    EXPECT_EQ(std::vector<WORD>{STN_CLICKED}, g_notifications);
    g_notifications.clear();

    // ...the link label opens its text instead.
    EXPECT_EQ(0, Press(labelWindow_));
    ASSERT_EQ(1u, ShellCalls().size());
    const ShellCall& call = ShellCalls()[0];
    EXPECT_EQ(labelWindow_, call.owner);
    EXPECT_TRUE(call.noVerb);
    EXPECT_EQ(kAddress, call.file);
    EXPECT_TRUE(call.noParameters);
    EXPECT_TRUE(call.noFolder);
    EXPECT_EQ(SW_SHOWNORMAL, call.show);
    EXPECT_TRUE(g_notifications.empty());

    Press(labelWindow_);
    EXPECT_EQ(2u, ShellCalls().size());
}

TEST_F(LinkLabelTest, DoubleClickAndOtherMessagesReachTheStatic) {
    Press(labelWindow_, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(ShellCalls().empty());
    EXPECT_EQ(std::vector<WORD>{STN_DBLCLK}, g_notifications);

    SetWindowTextA(labelWindow_, "mailto:quillgate@corvalen.example");
    Press(labelWindow_);
    ASSERT_EQ(1u, ShellCalls().size());
    EXPECT_EQ("mailto:quillgate@corvalen.example", ShellCalls()[0].file);
}

TEST_F(LinkLabelTest, CursorOverTheLabelIsTheHand) {
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(1, SendMessageA(labelWindow_, WM_SETCURSOR, reinterpret_cast<WPARAM>(labelWindow_),
                              MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(LoadCursorA(nullptr, IDC_HAND), GetCursor());
}

TEST_F(LinkLabelTest, LongAddressOpensWhole) {
    const std::string address = std::string("http://corvalen.example/") + std::string(400, 'a');
    SetWindowTextA(labelWindow_, address.c_str());
    Press(labelWindow_);
    ASSERT_EQ(1u, ShellCalls().size());
    EXPECT_EQ(address, ShellCalls()[0].file);
}

TEST_F(LinkLabelTest, EmptyTextOpensNothing) {
    SetWindowTextA(labelWindow_, "");
    EXPECT_EQ(0, Press(labelWindow_));
    EXPECT_TRUE(ShellCalls().empty());
}

} // namespace
