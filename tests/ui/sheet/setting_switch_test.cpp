// notepad.exe /setting, run as a process of its own and used from this one.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "resources/app_globals.h"
#include "resources/resource_ids.h"
#include "tests/support/wine_test_support.h"
#include "tests/ui/sheet/sheet_fixture.h"

using namespace sheettest;

namespace {

struct Search {
    DWORD process;
    HWND sheet;
};

BOOL CALLBACK FindSheet(HWND window, LPARAM data) {
    Search* search = reinterpret_cast<Search*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->process && IsWindowVisible(window) && WindowText(window) == g_caption) {
        search->sheet = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForSheetOf(DWORD process, DWORD timeoutMs) {
    const DWORD limit = timelimits::Scaled(timeoutMs);
    const DWORD start = GetTickCount();
    do {
        Search search = {process, NULL};
        EnumWindows(FindSheet, reinterpret_cast<LPARAM>(&search));
        if (search.sheet) {
            return search.sheet;
        }
        Sleep(50);
    } while (GetTickCount() - start < limit);
    return NULL;
}

class SettingSwitch : public SheetTest {};

TEST_F(SettingSwitch, OpensTheSheetWhoseOkSavesWhatWasTyped) {
    std::string line = "\"" + testsupport::NotepadPath() + "\" /setting";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(
        CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process));
    CloseHandle(process.hThread);
    HWND sheet = WaitForSheetOf(process.dwProcessId, timelimits::kWindowMs);
    EXPECT_NE(sheet, nullptr) << "no settings sheet appeared";
    if (sheet) {
        HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        HWND combo = GetDlgItem(page, IDC_EDIT_EDITOR);
        // GetWindowText does not ask a window of another process for its text.
        char shown[MAX_PATH] = {0};
        SendMessageA(combo, WM_GETTEXT, sizeof shown, reinterpret_cast<LPARAM>(shown));
        EXPECT_STREQ(shown, "notepa~.exe");
        SendMessageA(ComboEdit(combo), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("my editor.exe"));
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_EDIT_EDITOR, CBN_EDITCHANGE),
                     reinterpret_cast<LPARAM>(combo));
        SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    }
    if (WaitForSingleObject(process.hProcess, timelimits::Scaled(timelimits::kWindowMs)) !=
        WAIT_OBJECT_0) {
        ADD_FAILURE() << "notepad.exe /setting did not end";
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hProcess);
    EXPECT_EQ(Stored(kPaths, "CommonEditor"), "my editor.exe");
    EXPECT_EQ(Stored(kPaths, "PrinterEditor"), "notepa~.exe");
}

} // namespace
