// The launcher in-process, from its command line to what it starts: editor
// starts, message boxes and the settings sheet are watched through the
// launcher's seam; settings come from the registry and paths are real files.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "launcher/launcher.h"
#include "resources/outside_world.h"
#include "resources/load_text.h"
#include "resources/resource_ids.h"
#include "tests/launcher/launcher_test_support.h"
#include "tests/support/shell_execute_recorder.h"
#include "tests/support/wine_test_support.h"

using launchertest::InternetCacheFolder;
using launchertest::ShortPath;
using launchertest::UpperCase;
using launchertest::WithForwardSlashes;
using testsupport::Ansi;
using testsupport::Quoted;
using testsupport::ReadFile;
using testsupport::ScratchDir;

namespace {

typedef std::vector<std::string> Events;

Events g_events;
std::string g_editEditor, g_printEditor;

std::string EditorLabel(const char* editor) {
    if (g_editEditor == editor) {
        return "edit";
    }
    if (g_printEditor == editor) {
        return "print";
    }
    return editor;
}

void RecordStart(const testsupport::ShellCall& call) {
    std::string event = EditorLabel(call.file.c_str()) + " [" +
                        (call.noParameters ? "(null)" : call.parameters) + "]";
    if (call.show != SW_SHOWNORMAL) {
        event += " show " + std::to_string(call.show);
    }
    if (call.owner || !call.noVerb || !call.noFolder) {
        event += " with owner, verb or folder";
    }
    g_events.push_back(event);
}

// The lines naming the editor after a blank line are the black-box tests' to check.
int WINAPI FakeMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
    std::string event =
        std::string("message ") + std::string(text).substr(0, std::string(text).find("\r\r"));
    event += flags == MB_ICONWARNING ? " (warning)" : flags == MB_ICONERROR ? " (error)" : " (?)";
    if (owner || lstrcmpA(caption, "Quillgate") != 0) {
        event += " with owner or wrong caption";
    }
    g_events.push_back(event);
    return IDOK;
}

BOOL FakeRunSettingsSheet() {
    g_events.push_back("settings sheet");
    return FALSE; // cancelled
}

std::string Started(const char* editor, const std::string& params) {
    return std::string(editor) + " [" + params + "]";
}
std::string Message(UINT id, UINT icon) {
    return std::string("message ") + LoadTextTemp(id) +
           (icon == MB_ICONWARNING ? " (warning)" : " (error)");
}
const std::string kSettingsSheet = "settings sheet";

const char* const kPaths = testsupport::kPathsKey;
const char* const kSource = testsupport::kSourceKey;

class Launcher : public testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetSettings();
        saved_ = g_outsideWorld;
        g_outsideWorld.messageBox = FakeMessageBox;
        g_outsideWorld.runSettingsSheet = FakeRunSettingsSheet;
        g_editEditor = files_.Write("edit.exe");
        g_printEditor = files_.Write("print.exe");
        SetEditors(g_editEditor, g_printEditor);
    }
    void TearDown() override {
        g_outsideWorld = saved_;
        testsupport::ResetSettings();
    }

    static void SetEditors(const std::string& edit, const std::string& print) {
        testsupport::SetString(HKEY_CURRENT_USER, kPaths, "CommonEditor", edit.c_str());
        testsupport::SetString(HKEY_CURRENT_USER, kPaths, "PrinterEditor", print.c_str());
    }
    static void SetSourceCopies(DWORD flag, const char* extension) {
        testsupport::SetDword(HKEY_CURRENT_USER, kSource, "ExtensionFlag", flag);
        testsupport::SetString(HKEY_CURRENT_USER, kSource, "Extension", extension);
    }

    // Runs the program's start-up and launcher on `notepad.exe <arguments>`.
    Events Run(const std::string& arguments, int show = SW_SHOWNORMAL) {
        return RunLine("notepad.exe " + arguments, show);
    }
    Events RunLine(const std::string& commandLine, int show = SW_SHOWNORMAL) {
        g_events.clear();
        exitCode_ = LauncherMain(GetModuleHandleA(NULL), commandLine.c_str(), show);
        return g_events;
    }
    int ExitCode() const { return exitCode_; }

    std::string File(const char* name) { return files_.Write(name); }
    const ScratchDir& Files() const { return files_; }

private:
    OutsideWorld saved_;
    testsupport::ShellExecuteRecorder starts_{RecordStart};
    int exitCode_ = -1;
    ScratchDir files_{testsupport::TempPath("launcher")};
};

TEST_F(Launcher, WithoutArgumentsStartsTheEditEditorOnceWithNothing) {
    EXPECT_EQ(Events({Started("edit", "")}), Run(""));
    EXPECT_EQ(Events({Started("edit", "")}), RunLine("\"C:\\Program Files\\notepad.exe\""));
}

TEST_F(Launcher, PassesItsOwnShowStateOn) {
    std::string a = File("a.txt");
    EXPECT_EQ(Events({Started("edit", Quoted(a)) + " show 7"}), Run(a, SW_SHOWMINNOACTIVE));
}

TEST_F(Launcher, PrintSwitchChoosesThePrintEditor) {
    std::string a = File("a.txt");
    EXPECT_EQ(Events({Started("print", "/p ")}), Run("/p"));
    EXPECT_EQ(Events({Started("print", "/p " + Quoted(a))}), Run("/p " + a));
    EXPECT_EQ(Events({Started("print", "/p " + Quoted(a))}), Run(a + " /P"));
    EXPECT_EQ(Events({Started("print", "/p " + Quoted(a))}), Run("/p /p " + a + " /p"));
}

TEST_F(Launcher, SettingSwitchAnywhereRunsOnlyTheSheet) {
    std::string a = File("a.txt");
    EXPECT_EQ(Events({kSettingsSheet}), Run("/setting"));
    EXPECT_EQ(Events({kSettingsSheet}), Run("/SETTING"));
    EXPECT_EQ(Events({kSettingsSheet}), Run("/p " + a + " /Setting " + a));
}

TEST_F(Launcher, AnUnquotedPathWithBlanksArrivesWhole) {
    CreateDirectoryA(Files().File("My Documents").c_str(), NULL);
    std::string path = Files().Write("My Documents\\a b.txt");
    EXPECT_EQ(Events({Started("edit", Quoted(path))}), Run(path));
    // Two blanks in a row arrive as typed, though the path with one exists.
    std::string twoBlanks = Files().Write("My Documents\\a  b.txt");
    EXPECT_EQ(Events({Started("edit", Quoted(twoBlanks))}), Run(twoBlanks));
}

// notepad.exe itself runs in UTF-8 where Windows offers it; this program runs
// in the system's code page, as notepad.exe does on older Windows.
TEST_F(Launcher, ASecondByte5CFollowsTheSystemCodePage) {
    std::string b = File("b.txt");
    if (GetACP() == 932) {
        std::string folder = Files().File(Ansi("表").c_str()); // 0x95 0x5C
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
        EXPECT_EQ(Events({Started("edit", Quoted(b)), Started("edit", Quoted(folder))}),
                  Run(Quoted(folder) + " " + b));
    } else {
        std::string odd = Files().Path() + "\\\x95";
        EXPECT_EQ(Events({Started("edit", Quoted(b)), Started("edit", Quoted(odd + "\""))}),
                  Run("\"" + odd + "\\\" " + b));
    }
}

TEST_F(Launcher, SeveralFilesStartFromTheLastOne) {
    std::string a = File("a.txt"), b = File("b.txt"), c = File("c.txt");
    EXPECT_EQ(Events({Started("edit", Quoted(b)), Started("edit", Quoted(a))}), Run(a + " " + b));
    EXPECT_EQ(Events({Started("edit", Quoted(c)), Started("edit", Quoted(b)),
                      Started("edit", Quoted(a))}),
              Run(a + " \"" + b + "\" " + c));
}

TEST_F(Launcher, AMissingLastFileKeepsTheTextTogether) {
    std::string a = File("a.txt");
    std::string missing = Files().File("missing.txt");
    EXPECT_EQ(Events({Started("edit", Quoted(a + " " + missing))}), Run(a + " " + missing));
}

TEST_F(Launcher, TextBeforeTheFirstDrivePathStartsOnItsOwn) {
    std::string a = File("a.txt");
    EXPECT_EQ(Events({Started("edit", Quoted(a)), Started("edit", "\"x\"")}), Run("x " + a));
    EXPECT_EQ(Events({Started("edit", "\"a.txt b.txt\"")}), Run("a.txt b.txt"));
    // The character before a drive letter is taken as a separator even when it is none.
    EXPECT_EQ(Events({Started("edit", Quoted(a)), Started("edit", "")}), Run("x" + a));
}

TEST_F(Launcher, UncPathsStartWhole) {
    EXPECT_EQ(Events({Started("edit", "\"\\\\server\\share\\a b.txt\"")}),
              Run("\\\\server\\share\\a b.txt"));
}

TEST_F(Launcher, AnEditorThatIsThisProgramIsRefusedHoweverSpelled) {
    char own[MAX_PATH];
    ASSERT_LT(GetModuleFileNameA(NULL, own, sizeof own), sizeof own - 1);
    std::string self = own;
    std::string folder = self.substr(0, self.rfind('\\'));
    std::string name = self.substr(self.rfind('\\') + 1);
    std::string upper = UpperCase(self);
    std::string slashes = WithForwardSlashes(self);
    const std::string spellings[] = {
        self,
        upper,
        ShortPath(self),
        slashes,
        folder + "\\.\\..\\" + folder.substr(folder.rfind('\\') + 1) + "\\" + name,
        folder + "\\.\\" + name,
    };
    for (const std::string& spelling : spellings) {
        ASSERT_LT(spelling.size(), 100u) << spelling;
        SetEditors(spelling, g_printEditor);
        EXPECT_EQ(Events({Message(IDS_EDITOR_IS_SELF, MB_ICONWARNING), kSettingsSheet}),
                  Run(File("a.txt")))
            << spelling;
    }
    // Another program under the same name is another program.
    char system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryA(system, sizeof system), 0u);
    std::string other = Files().File(name.c_str());
    ASSERT_TRUE(CopyFileA((std::string(system) + "\\cmd.exe").c_str(), other.c_str(), FALSE));
    SetEditors(other, g_printEditor);
    EXPECT_EQ(Events({Started(other.c_str(), "")}), Run(""));
}

TEST_F(Launcher, AMissingEditorShowsTheSettings) {
    SetEditors(Files().File("missing.exe"), g_printEditor);
    EXPECT_EQ(Events({Message(IDS_EDITOR_NOT_FOUND, MB_ICONWARNING), kSettingsSheet}), Run(""));
    EXPECT_EQ(Events({Started("print", "/p ")}), Run("/p"));
}

// No caller's console is found in-process: unless the setting says so,
// nobody waits, and 0 is all a caller ever gets.
TEST_F(Launcher, ACallerThatWaitsLearnsThatARefusedRequestStartedNothing) {
    SetEditors(Files().File("missing.exe"), g_printEditor);
    for (DWORD wait : {0, 1}) {
        testsupport::SetDword(HKEY_CURRENT_USER, kPaths, "WaitForEditor", wait);
        EXPECT_EQ(Events({Message(IDS_EDITOR_NOT_FOUND, MB_ICONWARNING), kSettingsSheet}), Run(""));
        EXPECT_EQ(static_cast<int>(wait), ExitCode());
    }
}

TEST_F(Launcher, LongPathsArriveWhole) {
    std::string longPath = "C:\\" + std::string(300, 'a') + "\\b.txt";
    EXPECT_EQ(Events({Started("edit", Quoted(longPath))}), Run(longPath));
    EXPECT_EQ(Events({Started("print", "/p " + Quoted(longPath))}), Run("/p \"" + longPath + "\""));
}

TEST_F(Launcher, ACommandLineFarBeyondTheUsualBuffersLosesNoFile) {
    std::vector<std::string> paths;
    std::string arguments;
    for (int i = 0; i < 150; ++i) {
        std::string name = std::to_string(i) + " " + std::string(150, 'n') + ".txt";
        paths.push_back(File(name.c_str()));
        arguments += (i ? " " : "") + paths.back();
    }
    ASSERT_GT(arguments.size(), 25000u);
    Events expected;
    for (auto p = paths.rbegin(); p != paths.rend(); ++p) {
        expected.push_back(Started("edit", Quoted(*p)));
    }
    EXPECT_EQ(expected, Run(arguments));
}

TEST_F(Launcher, ACommandLineTooLongToForwardStartsNothing) {
    std::string line = "notepad.exe C:\\";
    line += std::string(32767 - line.size(), 'a');
    testsupport::SetDword(HKEY_CURRENT_USER, kPaths, "WaitForEditor", 1);
    EXPECT_EQ(Events({Message(IDS_COMMAND_LINE_TOO_LONG, MB_ICONERROR)}), RunLine(line));
    EXPECT_EQ(1, ExitCode());
}

class LauncherInCache : public Launcher {
protected:
    void SetUp() override {
        Launcher::SetUp();
        cache_ = InternetCacheFolder();
        ASSERT_FALSE(cache_.empty());
        folder_.reset(new ScratchDir(cache_ + "\\quillgate-test"));
        sibling_.reset(new ScratchDir(cache_ + "Old"));
    }
    void TearDown() override {
        folder_.reset();
        sibling_.reset();
        Launcher::TearDown();
    }
    const ScratchDir& Cached() const { return *folder_; }
    const ScratchDir& Sibling() const { return *sibling_; }
    const std::string& Cache() const { return cache_; }

private:
    std::string cache_;
    std::unique_ptr<ScratchDir> folder_, sibling_;
};

TEST_F(LauncherInCache, ACachedFileArrivesAsItsCopyWhenCopiesAreOn) {
    SetSourceCopies(1, "htm");
    std::string page = Cached().Write("page[1].txt", "<html>new</html>");
    Cached().Write("page[1].txt.htm", "old copy");
    EXPECT_EQ(Events({Started("edit", Quoted(page + ".htm"))}), Run(page));
    EXPECT_EQ("<html>new</html>", ReadFile(page + ".htm"));

    SetSourceCopies(1, "xml");
    EXPECT_EQ(Events({Started("print", "/p " + Quoted(page + ".xml"))}), Run("/p " + page));
}

TEST_F(LauncherInCache, EveryCachedFileOfOneRequestGetsItsCopyAndOthersNone) {
    SetSourceCopies(1, "htm");
    std::string first = Cached().Write("a.txt");
    std::string outside = Sibling().Write("b.txt");
    std::string last = Cached().Write("c.txt");
    EXPECT_EQ(Events({Started("edit", Quoted(last + ".htm")), Started("edit", Quoted(outside)),
                      Started("edit", Quoted(first + ".htm"))}),
              Run(first + " " + outside + " " + last));
    EXPECT_TRUE(testsupport::FileExists(first + ".htm"));
    EXPECT_FALSE(testsupport::FileExists(outside + ".htm"));
    EXPECT_TRUE(testsupport::FileExists(last + ".htm"));
}

TEST_F(LauncherInCache, ACachedFileArrivesUnchangedWhenCopiesAreOff) {
    SetSourceCopies(0, "htm");
    std::string page = Cached().Write("page.txt");
    EXPECT_EQ(Events({Started("edit", Quoted(page))}), Run(page));
    EXPECT_FALSE(testsupport::FileExists(page + ".htm"));
}

TEST_F(LauncherInCache, ACachedFileNamedByItsShortPathGetsItsCopyToo) {
    SetSourceCopies(1, "htm");
    std::string page = ShortPath(Cached().Write("a long page name.txt"));
    EXPECT_EQ(Events({Started("edit", Quoted(page + ".htm"))}), Run(page));
    EXPECT_TRUE(testsupport::FileExists(page + ".htm"));
}

TEST_F(LauncherInCache, AFileBesideTheCacheIsNotCachedAndNeverOverwritten) {
    SetSourceCopies(1, "htm");
    std::string outside = Sibling().Write("a.txt", "mine");
    Sibling().Write("a.txt.htm", "keep me");
    EXPECT_EQ(Events({Started("edit", Quoted(outside))}), Run(outside));
    EXPECT_EQ("keep me", ReadFile(outside + ".htm"));
    // Nor when named through the cache folder with "..".
    std::string dotted =
        Cache() + "\\..\\" + Cache().substr(Cache().rfind('\\') + 1) + "Old\\a.txt";
    EXPECT_EQ(Events({Started("edit", Quoted(dotted))}), Run(dotted));
    EXPECT_EQ("keep me", ReadFile(outside + ".htm"));
}

TEST_F(LauncherInCache, AnExtensionThatLeavesTheFolderIsRefused) {
    SetSourceCopies(1, "htm\\..\\..\\..\\escaped");
    std::string page = Cached().Write("a.txt");
    EXPECT_EQ(
        Events({Message(IDS_SOURCE_COPY_FAILED, MB_ICONERROR), Started("edit", Quoted(page))}),
        Run(page));
    EXPECT_FALSE(testsupport::FileExists(Cache() + "\\..\\escaped"));
}

TEST_F(LauncherInCache, AFailedCopyIsReportedAndTheFileStartsUnchanged) {
    SetSourceCopies(1, "htm");
    std::string folder = Cached().File("sub");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    std::string page = Cached().Write("a.txt");
    EXPECT_EQ(
        Events({Started("edit", Quoted(page + ".htm")),
                Message(IDS_SOURCE_COPY_FAILED, MB_ICONERROR), Started("edit", Quoted(folder))}),
        Run(folder + " " + page));
}

TEST_F(Launcher, WhenTheCacheCannotBeLocatedNoFileCountsAsCached) {
    launchertest::UnlocatableInternetCache unlocatable;
    ASSERT_EQ("", InternetCacheFolder());
    SetSourceCopies(1, "htm");
    std::string a = File("a.txt");
    EXPECT_EQ(Events({Started("edit", Quoted(a))}), Run(a));
    EXPECT_FALSE(testsupport::FileExists(a + ".htm"));
    EXPECT_EQ(Events({Started("edit", "")}), Run(""));
}

TEST_F(LauncherInCache, AStartWithoutFilesMakesNoCopy) {
    SetSourceCopies(1, "htm");
    EXPECT_EQ(Events({Started("edit", "")}), Run(""));
}

} // namespace
