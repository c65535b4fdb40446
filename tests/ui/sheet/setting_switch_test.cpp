// notepad.exe /setting, run as a process of its own and used from this one.
#include <gtest/gtest.h>

#include <windows.h>

#include "resources/app_globals.h"
#include "resources/resource_ids.h"
#include "tests/support/ui_driver.h"
#include "tests/support/wine_test_support.h"
#include "tests/ui/sheet/sheet_session.h"

using namespace sheettest;

namespace {

class SettingSwitch : public SheetTest {};

TEST_F(SettingSwitch, OpensTheSheetWhoseOkSavesWhatWasTyped) {
    uidriver::Program notepad(testsupport::Quoted(testsupport::NotepadPath()) + " /setting");
    ASSERT_TRUE(notepad.Started());
    HWND sheet = uidriver::WaitForPropertySheet(notepad.Id(), g_caption);
    ASSERT_NE(sheet, nullptr) << "no settings sheet appeared";
    HWND combo = GetDlgItem(uidriver::CurrentPage(sheet), IDC_EDIT_EDITOR);
    EXPECT_EQ(uidriver::Text(combo), testsupport::kDefaultEditor);
    EXPECT_TRUE(uidriver::Type(combo, "my editor.exe"));
    EXPECT_TRUE(uidriver::Press(sheet, uidriver::kOk));
    EXPECT_EQ(notepad.WaitForExit(), 0) << "notepad.exe /setting did not end";
    EXPECT_EQ(Stored(kPaths, "CommonEditor"), "my editor.exe");
    EXPECT_FALSE(IsStored(kPaths, "PrinterEditor")) << "untouched";
}

} // namespace
