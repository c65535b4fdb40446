// notepad.exe /setting, run as a process of its own and used from this one.
#include <gtest/gtest.h>

#include <windows.h>

#include "resources/app_globals.h"
#include "resources/resource_ids.h"
#include "tests/support/settings_sheet.h"
#include "tests/support/wine_test_support.h"
#include "tests/ui/sheet/sheet_session.h"

using namespace sheettest;

namespace {

class SettingSwitch : public SheetTest {};

TEST_F(SettingSwitch, OpensTheSheetWhoseOkSavesWhatWasTyped) {
    uidriver::SheetRun notepad(testsupport::Quoted(testsupport::NotepadPath()) + " /setting");
    ASSERT_TRUE(notepad.FindSheet()) << "no settings sheet appeared";
    EXPECT_EQ(notepad.TextOf(IDC_EDIT_EDITOR), testsupport::kDefaultEditor);
    EXPECT_TRUE(notepad.Type(IDC_EDIT_EDITOR, "my editor.exe"));
    EXPECT_EQ(notepad.Close(uidriver::kOk), 0) << notepad.StillOpen();
    EXPECT_EQ(Stored(kPaths, "CommonEditor"), "my editor.exe");
    EXPECT_FALSE(IsStored(kPaths, "PrinterEditor")) << "untouched";
}

} // namespace
