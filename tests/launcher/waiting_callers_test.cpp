// Callers that wait for notepad.exe to exit and then read their file back.
// wait_caller.exe stands in for such a program: started in a console of its
// own it is a console program like git or jj, started without one it is a
// GUI program. The editor, slow_editor.exe, appends " edited" to its file
// timelimits::kEditingMs after it starts.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/support/settings_sheet.h"
#include "tests/support/wine_test_support.h"

using testsupport::Quoted;

namespace {

const char* const kPaths = testsupport::kPathsKey;

class WaitingCallers : public testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetSettings();
        ASSERT_TRUE(testsupport::SetString(HKEY_CURRENT_USER, kPaths, "CommonEditor",
                                           testsupport::ToolPath("slow_editor.exe").c_str()));
    }
    void TearDown() override { testsupport::ResetSettings(); }

    // A console caller (or a GUI one) starts notepad.exe with `arguments`.
    static HANDLE StartCaller(const std::string& arguments, bool console) {
        std::string line = Quoted(testsupport::ToolPath("wait_caller.exe")) + " " +
                           Quoted(testsupport::NotepadPath()) + " " + arguments;
        return testsupport::StartProcess(line, testsupport::kSystemShowState, NULL, NULL,
                                         console ? CREATE_NEW_CONSOLE : DETACHED_PROCESS);
    }
    // Its exit code once notepad.exe has returned to it.
    static int ExitCodeOf(HANDLE caller) {
        if (!caller) {
            return -1;
        }
        DWORD code = static_cast<DWORD>(-1);
        if (WaitForSingleObject(caller, timelimits::Scaled(timelimits::kProcessMs)) ==
            WAIT_OBJECT_0) {
            GetExitCodeProcess(caller, &code);
        }
        CloseHandle(caller);
        return static_cast<int>(code);
    }
    static int CallerRuns(const std::string& arguments, bool console) {
        return ExitCodeOf(StartCaller(arguments, console));
    }

    static bool Edited(const std::string& path) {
        return testsupport::ReadFile(path) == "text edited";
    }
    // Lets a slow editor that nobody waited for finish before the file goes.
    static bool EditedWithin(const std::string& path, DWORD ms) {
        const DWORD limit = timelimits::Scaled(ms);
        for (DWORD waited = 0; !Edited(path) && waited < limit; waited += 100) {
            Sleep(100);
        }
        return Edited(path);
    }

    testsupport::ScratchDir files{testsupport::TempPath("waiting callers")};
};

TEST_F(WaitingCallers, AConsoleCallerFindsItsFileEditedWhenNotepadReturns) {
    std::string message = files.Write("COMMIT_EDITMSG");
    EXPECT_EQ(0, CallerRuns(Quoted(message), true));
    EXPECT_TRUE(Edited(message));
}

TEST_F(WaitingCallers, AConsoleCallerGetsTheEditorsExitCodeAndAGuiCallerZero) {
    std::string message = files.Write("COMMIT_EDITMSG"), page = files.Write("page.txt");
    SetEnvironmentVariableA("SLOW_EDITOR_EXIT_CODE", "3"); // an abort, as vim's :cq
    const int console = CallerRuns(Quoted(message), true);
    const int gui = CallerRuns(Quoted(page), false);
    SetEnvironmentVariableA("SLOW_EDITOR_EXIT_CODE", NULL);
    EXPECT_EQ(3, console);
    EXPECT_TRUE(Edited(message));
    EXPECT_EQ(0, gui);
    EXPECT_TRUE(EditedWithin(page, timelimits::kEditorStartMs));
}

TEST_F(WaitingCallers, EveryFileOfOneCallIsWaitedFor) {
    std::string a = files.Write("a.txt"), b = files.Write("b.txt");
    EXPECT_EQ(0, CallerRuns(a + " " + b, true));
    EXPECT_TRUE(Edited(a));
    EXPECT_TRUE(Edited(b));
}

TEST_F(WaitingCallers, AGuiCallerGetsNotepadBackBeforeTheEditorIsDone) {
    std::string page = files.Write("page.txt");
    EXPECT_EQ(0, CallerRuns(Quoted(page), false));
    EXPECT_FALSE(Edited(page));
    EXPECT_TRUE(EditedWithin(page, timelimits::kEditorStartMs));
}

TEST_F(WaitingCallers, AConsoleCallerStillGetsTheSettingsSheet) {
    HANDLE caller = StartCaller("/setting", true);
    uidriver::SettingsSheet sheet;
    ASSERT_TRUE(sheet.Find(0));
    EXPECT_TRUE(sheet.Press(uidriver::kCancel));
    EXPECT_EQ(0, ExitCodeOf(caller));
}

TEST_F(WaitingCallers, TheSettingDecidesOverTheCaller) {
    std::string file = files.Write("never.txt");
    ASSERT_TRUE(testsupport::SetDword(HKEY_CURRENT_USER, kPaths, "WaitForEditor", 2));
    EXPECT_EQ(0, CallerRuns(Quoted(file), true));
    EXPECT_FALSE(Edited(file)) << "2: never waits, even for a console";
    EXPECT_TRUE(EditedWithin(file, timelimits::kEditorStartMs));

    file = files.Write("always.txt");
    ASSERT_TRUE(testsupport::SetDword(HKEY_CURRENT_USER, kPaths, "WaitForEditor", 1));
    EXPECT_EQ(0, CallerRuns(Quoted(file), false));
    EXPECT_TRUE(Edited(file)) << "1: always waits, even for a GUI caller";

    file = files.Write("other.txt");
    ASSERT_TRUE(testsupport::SetDword(HKEY_CURRENT_USER, kPaths, "WaitForEditor", 7));
    EXPECT_EQ(0, CallerRuns(Quoted(file), false));
    EXPECT_FALSE(Edited(file)) << "any other value: automatic";
    EXPECT_TRUE(EditedWithin(file, timelimits::kEditorStartMs));
}

} // namespace
