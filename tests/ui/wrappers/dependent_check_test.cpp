// Check boxes that enable and disable other controls, on a real dialog.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "tests/support/window_test_support.h"
#include "ui/wrappers/dependent_check.h"

using namespace testsupport;

namespace {

enum : WORD {
    kBoxId = 300,
    kThreeStateId = 301,
    kFollowerId = 310,
    kOpposerId = 311,
    kWatcherId = 312
};

INT_PTR CALLBACK PlainDialog(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG;
}

class DependentCheckTest : public testing::Test {
protected:
    void SetUp() override {
        RegisterTestWindowClass();
        DialogTemplate dialog;
        dialog.Add(kBoxId, kButtonAtom, BS_AUTOCHECKBOX | WS_TABSTOP, "box")
            .Add(kThreeStateId, kButtonAtom, BS_AUTO3STATE | WS_TABSTOP, "three")
            .Add(kFollowerId, kEditAtom, WS_BORDER, "")
            .Add(kOpposerId, kEditAtom, WS_BORDER, "")
            .Add(kWatcherId, 0, 0, "", kTestWindowClass);
        dialog_ = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialog.Get(), nullptr,
                                             PlainDialog, 0);
        ASSERT_NE(nullptr, dialog_);
        follower_ = Item(kFollowerId);
        opposer_ = Item(kOpposerId);
    }
    void TearDown() override { DestroyWindow(dialog_); }

    HWND Item(WORD id) { return GetDlgItem(dialog_, id); }
    // The usual pair: one control enabled while checked, one while not.
    void AttachWithPair(WORD id) {
        ASSERT_TRUE(check_.Attach(Item(id)));
        check_.dependents.Append({follower_, TRUE});
        check_.dependents.Append({opposer_, FALSE});
    }
    LRESULT SetCheck(WORD id, WPARAM state) {
        return SendMessageA(Item(id), BM_SETCHECK, state, 0);
    }
    LRESULT GetCheck(WORD id) { return SendMessageA(Item(id), BM_GETCHECK, 0, 0); }

    HWND dialog_ = nullptr;
    HWND follower_ = nullptr;
    HWND opposer_ = nullptr;
    CDependentCheck check_; // outlives the dialog, which TearDown destroys
};

TEST_F(DependentCheckTest, CheckedAndUncheckedSetTheDependentsAndTheBox) {
    AttachWithPair(kBoxId);

    SetCheck(kBoxId, BST_CHECKED);
    EXPECT_EQ(BST_CHECKED, GetCheck(kBoxId));
    EXPECT_TRUE(IsWindowEnabled(follower_));
    EXPECT_FALSE(IsWindowEnabled(opposer_));

    SetCheck(kBoxId, BST_UNCHECKED);
    EXPECT_EQ(BST_UNCHECKED, GetCheck(kBoxId));
    EXPECT_FALSE(IsWindowEnabled(follower_));
    EXPECT_TRUE(IsWindowEnabled(opposer_));
}

TEST_F(DependentCheckTest, IndeterminateAndUnknownStatesCountAsUnchecked) {
    AttachWithPair(kThreeStateId);

    SetCheck(kThreeStateId, BST_CHECKED);
    SetCheck(kThreeStateId, BST_INDETERMINATE);
    EXPECT_EQ(BST_INDETERMINATE, GetCheck(kThreeStateId));
    EXPECT_FALSE(IsWindowEnabled(follower_));
    EXPECT_TRUE(IsWindowEnabled(opposer_));

    SetCheck(kThreeStateId, BST_CHECKED);
    SetCheck(kThreeStateId, 7);
    EXPECT_FALSE(IsWindowEnabled(follower_));
    EXPECT_TRUE(IsWindowEnabled(opposer_));
}

TEST_F(DependentCheckTest, SameStateTwiceSetsTheDependentsAgain) {
    AttachWithPair(kBoxId);
    SetCheck(kBoxId, BST_CHECKED);
    EnableWindow(follower_, FALSE);
    EnableWindow(opposer_, TRUE);

    SetCheck(kBoxId, BST_CHECKED);
    EXPECT_EQ(BST_CHECKED, GetCheck(kBoxId));
    EXPECT_TRUE(IsWindowEnabled(follower_));
    EXPECT_FALSE(IsWindowEnabled(opposer_));
}

TEST_F(DependentCheckTest, EmptyListOnlyPassesTheStateOn) {
    ASSERT_TRUE(check_.Attach(Item(kBoxId)));
    EnableWindow(opposer_, FALSE);

    SetCheck(kBoxId, BST_CHECKED);
    EXPECT_EQ(BST_CHECKED, GetCheck(kBoxId));
    EXPECT_TRUE(IsWindowEnabled(follower_));
    EXPECT_FALSE(IsWindowEnabled(opposer_));
}

TEST_F(DependentCheckTest, ControlListedTwiceTakesItsLaterRecord) {
    ASSERT_TRUE(check_.Attach(Item(kBoxId)));
    check_.dependents.Append({follower_, TRUE});
    check_.dependents.Append({follower_, FALSE});

    SetCheck(kBoxId, BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(follower_));
    SetCheck(kBoxId, BST_UNCHECKED);
    EXPECT_TRUE(IsWindowEnabled(follower_));
}

TEST_F(DependentCheckTest, UsersClickEnablesAndDisablesTheDependentsAtOnce) {
    AttachWithPair(kBoxId);
    SetCheck(kBoxId, BST_UNCHECKED); // as the page initialises it
    EXPECT_FALSE(IsWindowEnabled(follower_));

    SendMessageA(Item(kBoxId), BM_CLICK, 0, 0);
    EXPECT_EQ(BST_CHECKED, GetCheck(kBoxId));
    EXPECT_TRUE(IsWindowEnabled(follower_));
    EXPECT_FALSE(IsWindowEnabled(opposer_));

    SendMessageA(Item(kBoxId), BM_CLICK, 0, 0);
    EXPECT_EQ(BST_UNCHECKED, GetCheck(kBoxId));
    EXPECT_FALSE(IsWindowEnabled(follower_));
    EXPECT_TRUE(IsWindowEnabled(opposer_));
}

TEST_F(DependentCheckTest, DependentsAreSetBeforeTheBoxChangesState) {
    ASSERT_TRUE(check_.Attach(Item(kBoxId)));
    HWND watcher = Item(kWatcherId);
    check_.dependents.Append({watcher, TRUE});
    SetCheck(kBoxId, BST_UNCHECKED);

    std::vector<LRESULT> boxStateWhenEnabled;
    ScopedWindowHook hook([&](HWND hwnd, UINT msg, WPARAM, LPARAM) {
        if (hwnd == watcher && msg == WM_ENABLE) {
            boxStateWhenEnabled.push_back(GetCheck(kBoxId));
        }
    });
    SetCheck(kBoxId, BST_CHECKED);
    EXPECT_EQ(std::vector<LRESULT>{BST_UNCHECKED}, boxStateWhenEnabled);
    EXPECT_EQ(BST_CHECKED, GetCheck(kBoxId));
}

TEST_F(DependentCheckTest, LongListKeepsEveryRecordInOrder) {
    ASSERT_TRUE(check_.Attach(Item(kBoxId)));
    std::vector<HWND> controls;
    for (int i = 0; i < 20; ++i) {
        controls.push_back(CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 10, 10, dialog_, nullptr,
                                           GetModuleHandleA(nullptr), nullptr));
        ASSERT_TRUE(check_.dependents.Append({controls.back(), i % 2}));
    }
    ASSERT_EQ(20, check_.dependents.Count());

    SetCheck(kBoxId, BST_CHECKED);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(check_.dependents[i].control, controls[i]);
        EXPECT_EQ(i % 2 == 1, IsWindowEnabled(controls[i]) != FALSE) << i;
    }
}

} // namespace
