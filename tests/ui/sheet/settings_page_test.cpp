// The Settings page on the real, modal sheet: what it shows, what marks the
// sheet changed, and what Apply, OK and Cancel leave in the registry.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "tests/support/wine_test_support.h"
#include "tests/ui/sheet/sheet_session.h"

using namespace sheettest;
using testsupport::kDefaultEditor;

namespace {

class SettingsPage : public SheetTest {};

TEST_F(SettingsPage, WithDefaultSettingsEachEditorListHoldsOnlyTheDefault) {
    LoadSettings();
    session.WaitForSheet().Do([&] {
        for (int id : {IDC_EDIT_EDITOR, IDC_PRINT_EDITOR}) {
            EXPECT_EQ(uidriver::ComboItems(session.Item(id)),
                      std::vector<std::string>{kDefaultEditor});
            EXPECT_EQ(uidriver::Text(session.Item(id)), kDefaultEditor);
        }
        EXPECT_EQ(uidriver::ComboItems(session.Item(IDC_EXTENSION)),
                  testsupport::DefaultExtensions());
        EXPECT_EQ(uidriver::Text(session.Item(IDC_EXTENSION)), "htm");
        EXPECT_EQ(SendMessageA(session.Item(IDC_EXTENSION_FLAG), BM_GETCHECK, 0, 0), BST_UNCHECKED);
        EXPECT_EQ(SendMessageA(session.Item(IDC_UNKNOWN_ASSOCIATE), BM_GETCHECK, 0, 0),
                  BST_UNCHECKED);
        EXPECT_FALSE(IsWindowEnabled(session.Item(IDC_MENU_TEXT)));
        EXPECT_EQ(uidriver::Text(session.Item(IDC_MENU_TEXT)), testsupport::DefaultMenuText());
        EXPECT_FALSE(session.ApplyEnabled()) << "nothing has been changed yet";
        EXPECT_EQ(session.ChangedCount(), 0) << "filling the page is no change";
        session.PressButton(PSBTN_CANCEL);
    });
    EXPECT_TRUE(session.Run());
}

TEST_F(SettingsPage, AnotherStoredEditorJoinsTheDefaultInSortedOrderAndIsShown) {
    Store(kPaths, "CommonEditor", "x:\\tools\\vim.exe");
    Store(kPaths, "PrinterEditor", "C:\\Tools\\Print.exe");
    LoadSettings();
    session.WaitForSheet().Do([&] {
        EXPECT_EQ(uidriver::ComboItems(session.Item(IDC_EDIT_EDITOR)),
                  (std::vector<std::string>{kDefaultEditor, "x:\\tools\\vim.exe"}));
        EXPECT_EQ(uidriver::Text(session.Item(IDC_EDIT_EDITOR)), "x:\\tools\\vim.exe");
        EXPECT_EQ(uidriver::ComboItems(session.Item(IDC_PRINT_EDITOR)),
                  (std::vector<std::string>{"C:\\Tools\\Print.exe", kDefaultEditor}));
        EXPECT_EQ(uidriver::Text(session.Item(IDC_PRINT_EDITOR)), "C:\\Tools\\Print.exe");
        session.PressButton(PSBTN_CANCEL);
    });
    EXPECT_TRUE(session.Run());
}

TEST_F(SettingsPage, AnEmptyStoredEditorIsListedEmptyBesideTheDefault) {
    Store(kPaths, "CommonEditor", "");
    LoadSettings();
    session.WaitForSheet().Do([&] {
        EXPECT_EQ(uidriver::ComboItems(session.Item(IDC_EDIT_EDITOR)),
                  (std::vector<std::string>{"", kDefaultEditor}));
        EXPECT_EQ(uidriver::Text(session.Item(IDC_EDIT_EDITOR)), "");
        session.PressButton(PSBTN_CANCEL);
    });
    EXPECT_TRUE(session.Run());
}

TEST_F(SettingsPage, ClickingTheExtensionBoxEnablesTheExtensionListAndApply) {
    StoreFlag(0);
    Store(kSource, "Extension", "xml");
    LoadSettings();
    session.WaitForSheet().Do([&] {
        EXPECT_FALSE(IsWindowEnabled(session.Item(IDC_EXTENSION)));
        EXPECT_EQ(uidriver::Text(session.Item(IDC_EXTENSION)), "xml");
        EXPECT_FALSE(session.ApplyEnabled());
        session.Click(IDC_EXTENSION_FLAG);
        EXPECT_TRUE(IsWindowEnabled(session.Item(IDC_EXTENSION)));
        EXPECT_TRUE(session.ApplyEnabled());
        session.Click(IDC_EXTENSION_FLAG);
        EXPECT_FALSE(IsWindowEnabled(session.Item(IDC_EXTENSION)));
        session.PressButton(PSBTN_CANCEL);
    });
    EXPECT_TRUE(session.Run());
}

TEST_F(SettingsPage, AStoredExtensionFlagShowsTheListEnabled) {
    StoreFlag(1);
    LoadSettings();
    session.WaitForSheet().Do([&] {
        EXPECT_EQ(SendMessageA(session.Item(IDC_EXTENSION_FLAG), BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_TRUE(IsWindowEnabled(session.Item(IDC_EXTENSION)));
        session.PressButton(PSBTN_CANCEL);
    });
    EXPECT_TRUE(session.Run());
}

// Each case opens a fresh sheet, does one thing and reports whether Apply
// came on.
class WhatEnablesApply : public SheetTest {
protected:
    bool ApplyAfter(std::function<void(SheetSession&)> action) {
        LoadSettings();
        bool enabled = false;
        session.WaitForSheet().Do([&] {
            EXPECT_FALSE(session.ApplyEnabled());
            action(session);
            enabled = session.ApplyEnabled();
            session.PressButton(PSBTN_CANCEL);
        });
        EXPECT_TRUE(session.Run());
        return enabled;
    }
};

TEST_F(WhatEnablesApply, TypingInAnyComboEditField) {
    for (int id : {IDC_EDIT_EDITOR, IDC_PRINT_EDITOR}) {
        EXPECT_TRUE(ApplyAfter([id](SheetSession& s) { s.TypeInCombo(id, "ed.exe"); })) << id;
        session = SheetSession();
    }
    StoreFlag(1);
    EXPECT_TRUE(ApplyAfter([](SheetSession& s) { s.TypeInCombo(IDC_EXTENSION, "txt"); }));
}

TEST_F(WhatEnablesApply, AKeyTypedInTheEditorField) {
    EXPECT_TRUE(ApplyAfter([](SheetSession& s) {
        SendMessageA(uidriver::ComboEdit(s.Item(IDC_EDIT_EDITOR)), WM_CHAR, 'x', 1);
    }));
}

TEST_F(WhatEnablesApply, ChoosingAnotherEntryFromTheList) {
    Store(kPaths, "CommonEditor", "x:\\tools\\vim.exe");
    EXPECT_TRUE(ApplyAfter([](SheetSession& s) {
        // The up arrow in the field selects the entry above, "notepa~.exe".
        SendMessageA(uidriver::ComboEdit(s.Item(IDC_EDIT_EDITOR)), WM_KEYDOWN, VK_UP, 1);
        EXPECT_EQ(uidriver::Text(s.Item(IDC_EDIT_EDITOR)), kDefaultEditor);
    }));
}

TEST_F(WhatEnablesApply, NotOpeningClosingOrFocusingAList) {
    EXPECT_FALSE(ApplyAfter([](SheetSession& s) {
        HWND combo = s.Item(IDC_EDIT_EDITOR);
        SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
        SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
        SetFocus(combo);
        SetFocus(s.Item(IDC_PRINT_EDITOR));
        SetFocus(s.Item(IDC_EDIT_EDITOR_BROWSE));
    }));
}

TEST_F(WhatEnablesApply, TypingAMenuTextOrClickingTheAssociationBox) {
    EXPECT_TRUE(ApplyAfter([](SheetSession& s) { s.Click(IDC_UNKNOWN_ASSOCIATE); }));
    session = SheetSession();
    Associate("menu", "openas");
    EXPECT_TRUE(ApplyAfter([](SheetSession& s) { s.TypeInEdit(IDC_MENU_TEXT, "open it"); }));
}

TEST_F(SettingsPage, ApplyWritesEveryValueAsTypedAssociatesAndReloads) {
    LoadSettings();
    session.WaitForSheet().Do([&] {
        session.TypeInCombo(IDC_EDIT_EDITOR, "  C:\\My Tools\\ed.exe ");
        session.TypeInCombo(IDC_PRINT_EDITOR, "");
        session.Click(IDC_EXTENSION_FLAG);
        session.TypeInCombo(IDC_EXTENSION, ".txt");
        session.Click(IDC_UNKNOWN_ASSOCIATE);
        EXPECT_TRUE(IsWindowEnabled(session.Item(IDC_MENU_TEXT)));
        session.TypeInEdit(IDC_MENU_TEXT, "");
        session.PressButton(PSBTN_APPLYNOW);

        EXPECT_EQ(Stored(kPaths, "CommonEditor"), "  C:\\My Tools\\ed.exe ");
        EXPECT_TRUE(IsStored(kPaths, "PrinterEditor"));
        EXPECT_EQ(Stored(kPaths, "PrinterEditor"), "");
        EXPECT_EQ(Stored(kSource, "Extension"), ".txt");
        EXPECT_EQ(Shell(""), "open");
        EXPECT_FALSE(testsupport::ValueExists(HKEY_CURRENT_USER, kUnknownShell, "bak"))
            << "the user's key had no verb to keep";
        EXPECT_EQ(Shell("open"), "");
        EXPECT_EQ(Shell("open\\command"), "notepad.exe %1");
        // The store mirrors the registry again.
        EXPECT_STREQ(g_settings.EditEditor(), "  C:\\My Tools\\ed.exe ");
        EXPECT_STREQ(g_settings.PrintEditor(), "");
        EXPECT_EQ(g_settings.ExtensionFlag(), 1);
        EXPECT_STREQ(g_settings.Extension(), ".txt");
        EXPECT_EQ(g_settings.UnknownAssociated(), 1);
        EXPECT_FALSE(session.ApplyEnabled());
        session.PressButton(PSBTN_CANCEL);
    });
    EXPECT_TRUE(session.Run());
    DWORD flag = 0;
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(testsupport::ReadRaw(HKEY_CURRENT_USER, testsupport::kSourceKey, "ExtensionFlag",
                                     &type, &data));
    ASSERT_EQ(data.size(), sizeof flag);
    memcpy(&flag, data.data(), sizeof flag);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(flag, 1u);
}

TEST_F(SettingsPage, AMenuTextCannotBeTypedPastWhatTheStoreReadsBack) {
    LoadSettings();
    std::string shown;
    session.WaitForSheet().Do([&] {
        session.Click(IDC_UNKNOWN_ASSOCIATE);
        for (int i = 0; i < 150; ++i) {
            SendMessageW(session.Item(IDC_MENU_TEXT), WM_CHAR, i % 2 ? L'm' : 0x3042, 1);
        }
        shown = uidriver::Text(session.Item(IDC_MENU_TEXT));
        session.PressButton(PSBTN_OK);
    });
    EXPECT_TRUE(session.Run());
    EXPECT_GT(shown.size(), 20u);
    EXPECT_EQ(Shell("open"), shown);
    EXPECT_EQ(std::string(g_settings.MenuText()), shown);
}

TEST_F(SettingsPage, ApplyingTwiceWritesTheSecondTextsToo) {
    LoadSettings();
    session.WaitForSheet().Do([&] {
        session.TypeInCombo(IDC_EDIT_EDITOR, "first.exe");
        session.PressButton(PSBTN_APPLYNOW);
        session.TypeInCombo(IDC_EDIT_EDITOR, "second.exe");
        EXPECT_TRUE(session.ApplyEnabled());
        session.PressButton(PSBTN_APPLYNOW);
        EXPECT_EQ(Stored(kPaths, "CommonEditor"), "second.exe");
        EXPECT_FALSE(IsStored(kPaths, "PrinterEditor")) << "untouched";
        session.PressButton(PSBTN_CANCEL);
    });
    EXPECT_TRUE(session.Run());
}

TEST_F(SettingsPage, OkAppliesAndClosesTheSheet) {
    LoadSettings();
    session.WaitForSheet().Do([&] {
        session.TypeInCombo(IDC_PRINT_EDITOR, "printer.exe");
        session.PressButton(PSBTN_OK);
    });
    EXPECT_TRUE(session.Run());
    EXPECT_EQ(Stored(kPaths, "PrinterEditor"), "printer.exe");
    EXPECT_FALSE(IsStored(kPaths, "CommonEditor")) << "untouched";
    EXPECT_STREQ(g_settings.PrintEditor(), "printer.exe");
    EXPECT_TRUE(ThreadDialogs().empty());
}

TEST_F(SettingsPage, CancelAndTheCloseBoxWriteNothing) {
    for (bool closeBox : {false, true}) {
        LoadSettings();
        session = SheetSession();
        session.WaitForSheet().Do([&] {
            session.TypeInCombo(IDC_EDIT_EDITOR, "changed.exe");
            session.Click(IDC_EXTENSION_FLAG);
            session.Click(IDC_UNKNOWN_ASSOCIATE);
            if (closeBox) {
                SendMessageA(session.Sheet(), WM_SYSCOMMAND, SC_CLOSE, 0);
            } else {
                session.PressButton(PSBTN_CANCEL);
            }
        });
        EXPECT_TRUE(session.Run());
        EXPECT_FALSE(IsStored(kPaths, "CommonEditor"));
        EXPECT_FALSE(IsStored(kSource, "ExtensionFlag"));
        EXPECT_EQ(Shell(""), "openas");
        EXPECT_FALSE(testsupport::KeyExists(HKEY_CURRENT_USER,
                                            (std::string(kUnknownShell) + "\\open").c_str()));
    }
}

TEST_F(SettingsPage, WhileAssociatedTheMenuTextIsShownAndCanBeChanged) {
    // Texts the code page holds, so that a lost character shows.
    const std::string open = testsupport::Localized("開く(&O)", "&Open"),
                      typed = testsupport::Localized("エディタ(&D)", "E&ditor");
    Associate(open, "openas");
    LoadSettings();
    session.WaitForSheet().Do([&] {
        EXPECT_EQ(SendMessageA(session.Item(IDC_UNKNOWN_ASSOCIATE), BM_GETCHECK, 0, 0),
                  BST_CHECKED);
        EXPECT_TRUE(IsWindowEnabled(session.Item(IDC_MENU_TEXT)));
        EXPECT_EQ(uidriver::Text(session.Item(IDC_MENU_TEXT)), open);
        session.TypeInEdit(IDC_MENU_TEXT, typed);
        session.PressButton(PSBTN_OK);
    });
    EXPECT_TRUE(session.Run());
    EXPECT_EQ(Shell("open"), typed);
    EXPECT_EQ(Shell("", "bak"), "openas") << "the first backup stays";
}

TEST_F(SettingsPage, ClearingTheAssociationRestoresThePreviousVerb) {
    Associate("menu", "edit");
    LoadSettings();
    session.WaitForSheet().Do([&] {
        session.Click(IDC_UNKNOWN_ASSOCIATE);
        EXPECT_FALSE(IsWindowEnabled(session.Item(IDC_MENU_TEXT)));
        EXPECT_TRUE(session.ApplyEnabled());
        session.PressButton(PSBTN_APPLYNOW);
        EXPECT_EQ(g_settings.UnknownAssociated(), 0);
        session.PressButton(PSBTN_CANCEL);
    });
    EXPECT_TRUE(session.Run());
    EXPECT_EQ(Shell(""), "edit");
    EXPECT_FALSE(testsupport::ValueExists(HKEY_CURRENT_USER, kUnknownShell, "bak"));
    EXPECT_FALSE(
        testsupport::KeyExists(HKEY_CURRENT_USER, (std::string(kUnknownShell) + "\\open").c_str()));
}

} // namespace
