// The built notepad.exe under Wine, started with exact command lines as a
// shell would start it. The recorder editor, configured in the registry,
// logs what arrives; message boxes are answered by a driver that finds them
// by their caption, reads their text and presses OK; the settings sheet that
// may follow is cancelled.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <stddef.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/load_text.h"
#include "resources/resource_ids.h"
#include "tests/launcher/launcher_test_support.h"
#include "tests/support/registry_guard.h"
#include "tests/support/ui_driver.h"
#include "tests/support/wine_test_support.h"

using launchertest::EditorStart;
using launchertest::ParamsOf;
using launchertest::ProcessRun;
using launchertest::RecorderLog;
using launchertest::RunAnswering;
using launchertest::ShortPath;
using launchertest::UpperCase;
using launchertest::WithForwardSlashes;
using testsupport::Ansi;
using testsupport::Quoted;
using testsupport::ScratchDir;

namespace {

const char* const kPaths = testsupport::kPathsKey;
const char* const kSource = testsupport::kSourceKey;

typedef std::vector<std::string> Texts;

std::string Message(UINT id) {
    return std::string("message: ") + LoadTextTemp(id);
}
// A message naming `editor`, by default as the user's own setting.
std::string Message(UINT id, const std::string& editor, UINT whose = IDS_EDITOR_SETTING_YOURS) {
    return "message: " + launchertest::EditorMessage(id, editor, whose);
}
bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}
// The dialogs with each message cut before the lines that name the editor.
Texts Heads(Texts dialogs) {
    for (std::string& dialog : dialogs) {
        dialog = dialog.substr(0, dialog.find("\r\r"));
    }
    return dialogs;
}
const std::string kSettingsSheet = "dialog: Quillgate";

// A notepad.exe key under Image File Execution Options in one registry view,
// as replacements of Notepad write it; absent before, removed again after.
const char kImageOptions[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options";

class NotepadRegistration {
public:
    explicit NotepadRegistration(REGSAM view) : view_(view) {
        const std::string path = std::string(kImageOptions) + "\\notepad.exe";
        DWORD created = 0;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0,
                                                 KEY_ALL_ACCESS | view_, NULL, &key_, &created));
        EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), created);
    }
    ~NotepadRegistration() {
        RegCloseKey(key_);
        HKEY options;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kImageOptions, 0, KEY_ALL_ACCESS | view_, &options) ==
            ERROR_SUCCESS) {
            SHDeleteKeyA(options, "notepad.exe");
            RegCloseKey(options);
        }
    }
    void Set(const char* subkey, const char* value, const std::string& text) {
        SetRaw(subkey, value, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
    void UseFilter() {
        DWORD on = 1;
        SetRaw("", "UseFilter", REG_DWORD, &on, sizeof on);
    }

private:
    void SetRaw(const char* subkey, const char* value, DWORD type, const void* data, DWORD size) {
        HKEY target;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(key_, subkey, 0, NULL, 0, KEY_ALL_ACCESS | view_,
                                                 NULL, &target, NULL));
        EXPECT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(target, value, 0, type, static_cast<const BYTE*>(data), size));
        RegCloseKey(target);
    }

    REGSAM view_;
    HKEY key_ = NULL;
};

class NotepadExe : public testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetSettings();
        printEditor_ = files_.File("print-recorder.exe");
        ASSERT_TRUE(
            CopyFileA(testsupport::ToolPath("recorder.exe").c_str(), printEditor_.c_str(), FALSE));
        SetEditor("CommonEditor", testsupport::ToolPath("recorder.exe"));
        SetEditor("PrinterEditor", printEditor_);
    }
    void TearDown() override { testsupport::ResetSettings(); }

    static void SetEditor(const char* value, const std::string& path) {
        ASSERT_TRUE(testsupport::SetString(HKEY_CURRENT_USER, kPaths, value, path.c_str()));
    }

    // Starts notepad.exe with `arguments` after its quoted name.
    ProcessRun Start(const std::string& arguments, int show = SW_SHOWNORMAL) {
        return RunAnswering(Quoted(testsupport::NotepadPath()) + " " + arguments, show);
    }
    // Starts it and returns what the editor received, expecting `count` starts.
    std::vector<EditorStart> Forward(const std::string& arguments, size_t count,
                                     int show = SW_SHOWNORMAL) {
        ProcessRun run = Start(arguments, show);
        EXPECT_EQ(0, run.exitCode);
        EXPECT_EQ(Texts(), run.dialogs);
        return log_.WaitForStarts(count);
    }

    // Starts notepad.exe from a console program that waits for it, as git does.
    ProcessRun FromConsole(const std::string& arguments,
                           launchertest::RunOptions options = launchertest::RunOptions()) {
        options.console = true;
        options.anyProcess = true;
        return RunAnswering(Quoted(testsupport::ToolPath("wait_caller.exe")) + " " +
                                Quoted(testsupport::NotepadPath()) + " " + arguments,
                            options);
    }
    // Starts notepad.exe from an administrator's program, with the full token.
    static ProcessRun FromElevated(const std::string& arguments) {
        launchertest::RunOptions options;
        options.anyProcess = true;
        return RunAnswering(Quoted(testsupport::ToolPath("elevated_caller.exe")) + " " +
                                Quoted(testsupport::NotepadPath()) + " " + arguments,
                            options);
    }
    // The recorder under another editor's file name.
    std::string RecorderAs(const char* name) const {
        const std::string copy = files_.File(name);
        EXPECT_TRUE(CopyFileA(testsupport::ToolPath("recorder.exe").c_str(), copy.c_str(), FALSE));
        return copy;
    }

    const ScratchDir& Files() const { return files_; }
    const std::string& PrintEditor() const { return printEditor_; }
    const RecorderLog& Log() const { return log_; }

private:
    ScratchDir files_{testsupport::TempPath("notepad-exe")};
    std::string printEditor_;
    RecorderLog log_;
};

TEST_F(NotepadExe, AnUnquotedPathWithBlanksArrivesQuotedWithTheShowState) {
    CreateDirectoryA(Files().File("My Documents").c_str(), NULL);
    std::string path = Files().Write("My Documents\\memo a.txt");
    std::vector<EditorStart> starts = Forward(path, 1, SW_SHOWMINNOACTIVE);
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ(Quoted(path), starts[0].params);
    EXPECT_EQ(SW_SHOWMINNOACTIVE, starts[0].showState);
    EXPECT_EQ(0u, starts[0].commandLine.find(Quoted(testsupport::ToolPath("recorder.exe"))));
}

TEST_F(NotepadExe, BlanksTypedInAnUnquotedPathAndAFileAfterZArriveWhole) {
    const std::string typed = Files().Write("a  b.txt");
    EXPECT_EQ(Texts({Quoted(typed)}), ParamsOf(Forward(typed, 1)));
    // A caller that passes only its file, through a debugger registration.
    const std::string file = Files().Write("c d.txt");
    EXPECT_EQ(Texts({Quoted(typed), Quoted(file)}), ParamsOf(Forward("/z " + file, 2)));
}

TEST_F(NotepadExe, TwoFilesStartTheEditorTwiceTheLastFirst) {
    std::string a = Files().Write("a.txt"), b = Files().Write("b.txt");
    EXPECT_EQ(Texts({Quoted(b), Quoted(a)}), ParamsOf(Forward(a + " " + b, 2)));
}

TEST_F(NotepadExe, PrintSwitchStartsThePrintEditorWithItsPrefix) {
    std::string a = Files().Write("a.txt");
    std::vector<EditorStart> starts = Forward("/P " + a, 1);
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ("/p " + Quoted(a), starts[0].params);
    EXPECT_EQ(0u, starts[0].commandLine.find(Quoted(PrintEditor())));
    // Alone, it leaves the prefix with its trailing blank.
    starts = Forward("/p", 2);
    ASSERT_EQ(2u, starts.size());
    EXPECT_EQ("/p ", starts[1].params);
}

TEST_F(NotepadExe, NotepadsOtherSwitchesReachNoEditorAsFiles) {
    std::string a = Files().Write("a.txt");
    // As a debugger registration of notepad.exe starts it.
    std::vector<EditorStart> starts = Forward("/z C:\\Windows\\notepad.exe " + a, 1);
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ(Quoted(a), starts[0].params);
    // The shell's "print to" verb.
    starts = Forward("/PT " + Quoted(a) + " \"Office Printer\" winspool Ne01:", 2);
    ASSERT_EQ(2u, starts.size());
    EXPECT_EQ("/p " + Quoted(a), starts[1].params);
    EXPECT_EQ(0u, starts[1].commandLine.find(Quoted(PrintEditor())));
    starts = Forward("/a /W " + a + " /.setup", 3);
    ASSERT_EQ(3u, starts.size());
    EXPECT_EQ(Quoted(a), starts[2].params);
}

TEST_F(NotepadExe, WithoutArgumentsTheEditorStartsWithNothing) {
    std::vector<EditorStart> starts = Forward("", 1);
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ("", starts[0].params);
}

TEST_F(NotepadExe, SplitsItsCommandLineByTheRuntimeRules) {
    Forward("a\"b c\"d", 1);  // quotes inside an argument
    Forward("\"a\"\"b\"", 2); // "" inside quotes: one quote, section closed
    Forward("\\\\\"x", 3);    // \\" : one backslash, the quote opens a section
    EXPECT_EQ(Texts({"\"ab cd\"", "\"a\"b\"", "\"\\x\""}), ParamsOf(Log().Starts()));
}

TEST_F(NotepadExe, APathLongerThanMaxPathArrivesWhole) {
    std::string path = Files().Path() + "\\" + std::string(280, 'L') + ".txt";
    EXPECT_EQ(Texts({Quoted(path)}), ParamsOf(Forward(Quoted(path), 1)));
}

TEST_F(NotepadExe, TheLongestForwardableCommandLineArrivesWhole) {
    // "<recorder>" "<path>" is exactly as long as a command line may be.
    std::string recorder = Quoted(testsupport::ToolPath("recorder.exe"));
    std::string path = "C:\\";
    path += std::string(32766 - recorder.size() - 3 - path.size(), 'a');
    std::vector<EditorStart> starts = Forward(path, 1);
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ(32766u, starts[0].commandLine.size());
    EXPECT_EQ(Quoted(path), starts[0].params);
}

TEST_F(NotepadExe, ACommandLineTooLongToForwardIsRefused) {
    std::string line = Quoted(testsupport::NotepadPath()) + " C:\\";
    line += std::string(32766 - line.size(), 'a'); // the longest CreateProcessA takes
    ProcessRun run = RunAnswering(line);
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ(Texts({Message(IDS_COMMAND_LINE_TOO_LONG)}), run.dialogs);
    EXPECT_TRUE(Log().WaitForStarts(0).empty());
}

TEST_F(NotepadExe, SettingSwitchRunsTheSheetAndStartsNoEditor) {
    ProcessRun run = Start("/setting " + Files().Write("a.txt"));
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ(Texts({kSettingsSheet}), run.dialogs);
    EXPECT_TRUE(Log().WaitForStarts(0).empty());
}

TEST_F(NotepadExe, AnEditorThatIsItselfIsRefusedHoweverSpelledThenTheSheetRuns) {
    std::string self = testsupport::NotepadPath();
    std::string folder = self.substr(0, self.rfind('\\'));
    std::string upper = UpperCase(self);
    std::string slashes = WithForwardSlashes(self);
    const std::string spellings[] = {
        ShortPath(self),
        upper,
        slashes,
        folder + "\\tools\\..\\.\\notepad.exe",
    };
    for (const std::string& spelling : spellings) {
        SetEditor("CommonEditor", spelling);
        ProcessRun run = Start(Files().Write("a.txt"));
        EXPECT_EQ(0, run.exitCode) << spelling;
        EXPECT_EQ(Texts({Message(IDS_EDITOR_IS_SELF), kSettingsSheet}), Heads(run.dialogs))
            << spelling;
    }
    EXPECT_TRUE(Log().WaitForStarts(0).empty());
}

TEST_F(NotepadExe, EveryWayToTheSheetClosesWithOkAndEndsWell) {
    struct Way {
        const char* editor; // "" keeps the recorder
        std::string arguments;
        Texts dialogs;
    } ways[] = {
        {"", "/setting", Texts({kSettingsSheet})},
        // OK saved the same editor: the request goes on, and is refused once more.
        {"missing.exe", "",
         Texts({Message(IDS_EDITOR_NOT_FOUND), kSettingsSheet, Message(IDS_EDITOR_NOT_FOUND)})},
        {"notepad.exe", Files().Write("a.txt"),
         Texts({Message(IDS_EDITOR_IS_SELF), kSettingsSheet, Message(IDS_EDITOR_IS_SELF)})},
    };
    launchertest::RunOptions pressOk;
    pressOk.sheetButton = IDOK;
    for (const Way& way : ways) {
        if (*way.editor) {
            SetEditor("CommonEditor", lstrcmpA(way.editor, "notepad.exe") == 0
                                          ? testsupport::NotepadPath()
                                          : Files().File(way.editor));
        }
        ASSERT_TRUE(testsupport::SetString(HKEY_CURRENT_USER, kSource, "Extension", "xml"));
        ProcessRun run =
            RunAnswering(Quoted(testsupport::NotepadPath()) + " " + way.arguments, pressOk);
        EXPECT_EQ(0, run.exitCode) << way.arguments;
        EXPECT_EQ(way.dialogs, Heads(run.dialogs)) << way.arguments;
        // OK on the untouched page wrote nothing.
        EXPECT_FALSE(testsupport::ValueExists(HKEY_CURRENT_USER, kSource, "ExtensionFlag"));
        EXPECT_EQ("xml", testsupport::ReadString(HKEY_CURRENT_USER, kSource, "Extension"));
        testsupport::DeleteKeyTree(HKEY_CURRENT_USER, kSource);
    }
    EXPECT_TRUE(Log().WaitForStarts(0).empty());
}

// Run from a folder where libraries of the sheet's names were planted, as
// Explorer starts Notepad in the folder of the file it opens.
TEST_F(NotepadExe, ForwardingLoadsNoneOfTheSheetsLibrariesAndNothingFromTheCurrentFolder) {
    ScratchDir planted(Files().File("planted libraries"));
    for (const char* name : {"comctl32.dll", "comdlg32.dll", "hhctrl.ocx"}) {
        ASSERT_TRUE(CopyFileA(testsupport::ToolPath("help_recorder.dll").c_str(),
                              planted.File(name).c_str(), FALSE));
    }
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);
    SetCurrentDirectoryA(planted.Path().c_str());
    struct Restore {
        const char* folder;
        ~Restore() { SetCurrentDirectoryA(folder); }
    } restore = {folder};
    auto nothingPlanted = [](const ProcessRun& run) {
        for (const std::string& path : run.modulePaths) {
            if (path.find("planted libraries") != std::string::npos) {
                return false;
            }
        }
        return true;
    };
    launchertest::RunOptions watch;
    watch.watchModules = true;
    ProcessRun run = RunAnswering(
        Quoted(testsupport::NotepadPath()) + " " + Quoted(planted.Write("a.txt")), watch);
    EXPECT_TRUE(nothingPlanted(run));
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ(1u, Log().WaitForStarts(1).size());
    auto loaded = [&run](const char* name) {
        return std::find(run.modules.begin(), run.modules.end(), name) != run.modules.end();
    };
    EXPECT_TRUE(loaded("shell32.dll")) << "the watch sees what is loaded";
    EXPECT_FALSE(loaded("comctl32.dll"));
    EXPECT_FALSE(loaded("comdlg32.dll"));
    // The sheet loads the common controls; the open-file dialog waits for Browse.
    run = RunAnswering(Quoted(testsupport::NotepadPath()) + " /setting", watch);
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ(Texts({kSettingsSheet}), run.dialogs);
    EXPECT_TRUE(loaded("comctl32.dll"));
    EXPECT_FALSE(loaded("comdlg32.dll"));
    watch.browse = true;
    run = RunAnswering(Quoted(testsupport::NotepadPath()) + " /setting", watch);
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ(2u, run.dialogs.size()) << "the sheet, then the open-file dialog";
    EXPECT_TRUE(loaded("comdlg32.dll"));
    EXPECT_TRUE(nothingPlanted(run));
}

TEST_F(NotepadExe, WithoutTheCommonDialogsTheSheetOpensAndBrowseSaysWhatIsMissing) {
    // Wine then refuses to load comdlg32 into notepad.exe.
    const char overrides[] = "Software\\Wine\\AppDefaults\\notepad.exe\\DllOverrides";
    ASSERT_TRUE(testsupport::SetString(HKEY_CURRENT_USER, overrides, "comdlg32", ""));
    launchertest::RunOptions browse;
    browse.browse = true;
    ProcessRun run = RunAnswering(Quoted(testsupport::NotepadPath()) + " /setting", browse);
    testsupport::DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\notepad.exe");
    EXPECT_EQ(0, run.exitCode);
    char text[512];
    wsprintfA(text, LoadTextTemp(IDS_BROWSE_LIBRARY_MISSING), "comdlg32.dll");
    EXPECT_EQ(Texts({kSettingsSheet, std::string("message: ") + text}), run.dialogs);
}

TEST_F(NotepadExe, ACopyOfItselfAsTheEditorIsRefusedBeforeItStarts) {
    const std::string copy = Files().File("other editor.exe");
    ASSERT_TRUE(CopyFileA(testsupport::NotepadPath().c_str(), copy.c_str(), FALSE));
    SetEditor("CommonEditor", copy);
    // Refused here, not by the copy one process later.
    ProcessRun run = Start(Files().Write("a.txt"));
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ(Texts({Message(IDS_EDITOR_IS_SELF, copy), kSettingsSheet}), run.dialogs);
    EXPECT_TRUE(Log().WaitForStarts(0).empty());
}

// Notepad as the editor, while Notepad's starts are handed to this program.
// The stand-in Notepad hands itself over as Windows would, unless started by
// a debugger; a loop shows as no start at all.
TEST_F(NotepadExe, TheRealNotepadAsEditorStartsPastItsHandOverToThisProgram) {
    CreateDirectoryA(Files().File("Windows").c_str(), NULL);
    const std::string notepad = Files().File("Windows\\notepad.exe");
    ASSERT_TRUE(CopyFileA(testsupport::ToolPath("recorder.exe").c_str(), notepad.c_str(), FALSE));
    SetEditor("CommonEditor", notepad);
    // A copy installed under a folder with blanks, registered unquoted.
    CreateDirectoryA(Files().File("Program Files").c_str(), NULL);
    CreateDirectoryA(Files().File("Program Files\\Quillgate").c_str(), NULL);
    const std::string installed = Files().File("Program Files\\Quillgate\\notepad.exe");
    ASSERT_TRUE(CopyFileA(testsupport::NotepadPath().c_str(), installed.c_str(), FALSE));
    const std::string file = Files().Write("a b.txt");

    struct Layout {
        const char* name;
        REGSAM view;
        const char* filter; // the subkey holding Debugger under UseFilter, or NULL
        std::string debugger;
    } layouts[] = {
        {"64-bit view", KEY_WOW64_64KEY, NULL, Quoted(testsupport::NotepadPath()) + " /z"},
        {"32-bit view, unquoted copy", KEY_WOW64_32KEY, NULL, installed + " /z"},
        {"Windows 11 filter", KEY_WOW64_64KEY, "1", Quoted(installed) + " /z"},
        // CreateProcess adds ".exe" to a name without an extension.
        {"no extension", KEY_WOW64_64KEY, NULL,
         Quoted(installed.substr(0, installed.size() - 4)) + " /z"},
    };
    // Each view is seen to be read on its own.
    testsupport::SeparateImageOptionsViews views;
    size_t count = 0;
    for (const Layout& layout : layouts) {
        NotepadRegistration registration(layout.view);
        if (layout.filter) {
            registration.UseFilter();
            registration.Set("0", "FilterFullPath", "C:\\Windows\\System32\\notepad.exe");
            registration.Set(layout.filter, "FilterFullPath", notepad);
            registration.Set(layout.filter, "Debugger", layout.debugger);
        } else {
            registration.Set("", "Debugger", layout.debugger);
        }
        // As the shell opens a file: Notepad, then by the registration this program.
        EXPECT_EQ(0, testsupport::RunProcess(notepad + " " + file)) << layout.name;
        std::vector<EditorStart> starts = Log().WaitForStarts(++count);
        ASSERT_EQ(count, starts.size()) << layout.name;
        EXPECT_EQ(Quoted(notepad) + " " + Quoted(file), starts.back().commandLine) << layout.name;
    }
}

// This program's folder is searched first and holds notepad.exe: the search
// passes over it to the system's Notepad, here a recorder in its place.
TEST_F(NotepadExe, NotepadExeAsTheEditorStartsTheSystemsNotepad) {
    char system[MAX_PATH];
    ASSERT_NE(0u, GetSystemDirectoryA(system, sizeof system));
    const std::string notepad = std::string(system) + "\\notepad.exe";
    const std::string saved = Files().File("saved notepad.exe");
    ASSERT_TRUE(CopyFileA(notepad.c_str(), saved.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(testsupport::ToolPath("recorder.exe").c_str(), notepad.c_str(), FALSE));
    SetEditor("CommonEditor", "notepad.exe");
    const std::string file = Files().Write("a.txt");
    std::vector<EditorStart> starts = Forward(file, 1);
    EXPECT_TRUE(CopyFileA(saved.c_str(), notepad.c_str(), FALSE));
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ(Quoted(notepad) + " " + Quoted(file), starts[0].commandLine);
}

TEST_F(NotepadExe, ARedirectedEditorOfAnotherArchitectureIsRefusedThenTheSheetRuns) {
    CreateDirectoryA(Files().File("x64").c_str(), NULL);
    const std::string notepad = Files().File("x64\\notepad.exe");
    // Wine's own 64-bit Notepad, seen past the 32-bit file system redirection.
    ASSERT_TRUE(CopyFileA("C:\\windows\\sysnative\\notepad.exe", notepad.c_str(), FALSE));
    SetEditor("CommonEditor", notepad);
    NotepadRegistration registration(KEY_WOW64_64KEY);
    registration.Set("", "Debugger", Quoted(testsupport::NotepadPath()) + " /z");
    ProcessRun run = Start(Files().Write("a.txt"));
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ(Texts({Message(IDS_EDITOR_IS_SELF, notepad), kSettingsSheet}), run.dialogs);
}

// A redirected editor whose start fails for a reason of its own: a section
// alignment that no loader takes, where the binary type is still 32-bit.
TEST_F(NotepadExe, ARedirectedEditorThatFailsToStartIsReportedSoAndTheRequestFails) {
    CreateDirectoryA(Files().File("Windows").c_str(), NULL);
    const std::string notepad = Files().File("Windows\\notepad.exe");
    std::string image = testsupport::ReadFile(testsupport::ToolPath("recorder.exe"));
    ASSERT_GT(image.size(), 0x40u);
    const size_t alignment = *reinterpret_cast<const DWORD*>(&image[0x3C]) + 4 +
                             sizeof(IMAGE_FILE_HEADER) +
                             offsetof(IMAGE_OPTIONAL_HEADER32, SectionAlignment);
    image.replace(alignment, 4, std::string("\x03\0\0\0", 4));
    ASSERT_TRUE(testsupport::WriteFileText(notepad, image));
    SetEditor("CommonEditor", notepad);
    ASSERT_TRUE(testsupport::SetDword(HKEY_CURRENT_USER, kPaths, "WaitForEditor", 1));
    NotepadRegistration registration(KEY_WOW64_64KEY);
    registration.Set("", "Debugger", Quoted(testsupport::NotepadPath()) + " /z");
    ProcessRun run = Start(Files().Write("a.txt"));
    EXPECT_NE(0, run.exitCode);
    ASSERT_EQ(2u, run.dialogs.size());
    EXPECT_TRUE(StartsWith(run.dialogs[0], Message(IDS_EDITOR_START_FAILED) + "\r\r"));
    EXPECT_NE(std::string::npos, run.dialogs[0].find(notepad));
    EXPECT_EQ(kSettingsSheet, run.dialogs[1]);
}

TEST_F(NotepadExe, ABareEditorNameIsFoundOnThePathButNeverInTheCurrentFolder) {
    testsupport::ResetSettings(); // the default editor, notepa~.exe
    ScratchDir onPath(Files().File("on path"));
    const std::string recorder = testsupport::ToolPath("recorder.exe");
    const std::string listed = onPath.File("notepa~.exe");
    ASSERT_TRUE(CopyFileA(recorder.c_str(), listed.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(recorder.c_str(), Files().File("notepa~.exe").c_str(), FALSE));
    char path[32767], folder[MAX_PATH];
    GetEnvironmentVariableA("PATH", path, sizeof path);
    GetCurrentDirectoryA(sizeof folder, folder);
    // As Explorer starts Notepad: in the folder of the file it opens.
    SetCurrentDirectoryA(Files().Path().c_str());
    SetEnvironmentVariableA("PATH", (std::string(path) + ";" + onPath.Path()).c_str());
    const std::string file = Files().Write("a.txt");
    ProcessRun fromPath = Start("a.txt");
    SetEnvironmentVariableA("PATH", path);
    ProcessRun fromHere = Start("a.txt");
    SetCurrentDirectoryA(folder);

    EXPECT_EQ(0, fromPath.exitCode);
    EXPECT_EQ(Texts(), fromPath.dialogs);
    std::vector<EditorStart> starts = Log().WaitForStarts(1);
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ(Quoted(listed) + " \"a.txt\"", starts[0].commandLine);
    EXPECT_EQ(Texts({Message(IDS_EDITOR_NOT_FOUND, "notepa~.exe", IDS_EDITOR_SETTING_DEFAULT),
                     kSettingsSheet}),
              fromHere.dialogs);
}

TEST_F(NotepadExe, OnTheWaitingPathARequestThatStartsNoEditorFailsAfterItsMessage) {
    ASSERT_TRUE(testsupport::SetDword(HKEY_CURRENT_USER, kPaths, "WaitForEditor", 1));
    std::string line = Quoted(testsupport::NotepadPath()) + " C:\\";
    ProcessRun tooLong = RunAnswering(line + std::string(32766 - line.size(), 'a'));
    EXPECT_EQ(1, tooLong.exitCode);
    EXPECT_EQ(Texts({Message(IDS_COMMAND_LINE_TOO_LONG)}), tooLong.dialogs);
    SetEditor("CommonEditor", Files().File("missing.exe"));
    ProcessRun missing = Start(Files().Write("a.txt"));
    EXPECT_EQ(1, missing.exitCode);
    EXPECT_EQ(Texts({Message(IDS_EDITOR_NOT_FOUND, Files().File("missing.exe")), kSettingsSheet}),
              missing.dialogs);
    EXPECT_TRUE(Log().WaitForStarts(0).empty());
}

// A Notepad that always hands its file back to this program, each waiting for
// the next: the chain ends after a few hops, at the program that refuses.
TEST_F(NotepadExe, AnEditorThatAlwaysLeadsBackEndsWithTheMessageAfterAFewHops) {
    ASSERT_TRUE(testsupport::SetDword(HKEY_CURRENT_USER, kPaths, "WaitForEditor", 1));
    SetEnvironmentVariableA("QUILLGATE_RECORDER_HAND_BACK", testsupport::NotepadPath().c_str());
    launchertest::RunOptions everyProcess;
    everyProcess.anyProcess = true;
    ProcessRun run = RunAnswering(
        Quoted(testsupport::NotepadPath()) + " " + Quoted(Files().Write("a.txt")), everyProcess);
    SetEnvironmentVariableA("QUILLGATE_RECORDER_HAND_BACK", NULL);
    EXPECT_NE(0, run.exitCode);
    EXPECT_EQ(Texts({Message(IDS_EDITOR_IS_SELF), kSettingsSheet}), run.dialogs);
    EXPECT_EQ(4u, Log().WaitForStarts(4).size());
}

TEST_F(NotepadExe, KnownEditorsGetTheirOwnSwitchesToWaitAndToPrint) {
    const std::string a = Files().Write("a.txt");
    SetEditor("CommonEditor", RecorderAs("Code.exe"));
    ProcessRun console = FromConsole(Quoted(a));
    EXPECT_EQ(0, console.exitCode);
    EXPECT_EQ(Texts(), console.dialogs) << "a known editor is never suspected of handing on";
    EXPECT_EQ(Texts({"--wait " + Quoted(a)}), ParamsOf(Log().WaitForStarts(1)));
    // A GUI caller does not wait, nor does the editor.
    EXPECT_EQ(Quoted(a), Forward(Quoted(a), 2).back().params);

    const std::string notepadPlus = RecorderAs("Notepad++.exe"); // case ignored
    SetEditor("CommonEditor", notepadPlus);
    SetEditor("PrinterEditor", notepadPlus);
    EXPECT_EQ(0, FromConsole(Quoted(a)).exitCode);
    EXPECT_EQ("-multiInst -nosession " + Quoted(a), Log().WaitForStarts(3).back().params);
    EXPECT_EQ("-quickPrint " + Quoted(a), Forward("/p " + Quoted(a), 4).back().params);
    // Without a print switch the file opens for the user to print.
    SetEditor("PrinterEditor", Files().File("Code.exe"));
    EXPECT_EQ(Quoted(a), Forward("/p " + Quoted(a), 5).back().params);
}

// Chocolatey's shims in its bin folder exit at once unless told to wait.
TEST_F(NotepadExe, AnEditorInChocolateysBinFolderIsToldToWaitWhereTheCallerWaits) {
    const std::string a = Files().Write("a.txt");
    ScratchDir chocolatey(Files().File("chocolatey"));
    ScratchDir bin(chocolatey.File("bin"));
    const std::string shim = bin.File("code.exe");
    ASSERT_TRUE(CopyFileA(testsupport::ToolPath("recorder.exe").c_str(), shim.c_str(), FALSE));
    SetEditor("CommonEditor", shim);
    SetEnvironmentVariableA("ChocolateyInstall", chocolatey.Path().c_str());
    ProcessRun console = FromConsole(Quoted(a));
    std::vector<EditorStart> gui = Forward(Quoted(a), 2);
    SetEnvironmentVariableA("ChocolateyInstall", NULL);
    EXPECT_EQ(Texts(), console.dialogs);
    ASSERT_EQ(2u, gui.size());
    EXPECT_EQ("--shimgen-waitforexit --wait " + Quoted(a), gui[0].params);
    EXPECT_EQ(Quoted(a), gui[1].params) << "a GUI caller does not wait";
}

// sublime_text.exe exits at once; subl.exe beside it waits for it.
TEST_F(NotepadExe, SublimeTextIsStartedThroughSublWhereTheCallerWaits) {
    const std::string a = Files().Write("a.txt");
    const std::string sublime = RecorderAs("sublime_text.exe");
    const std::string subl = RecorderAs("subl.exe");
    SetEditor("CommonEditor", sublime);
    EXPECT_EQ(Texts(), FromConsole(Quoted(a)).dialogs);
    EXPECT_EQ(Quoted(subl) + " -w " + Quoted(a), Log().WaitForStarts(1).back().commandLine);
    EXPECT_EQ(Quoted(sublime) + " " + Quoted(a), Forward(Quoted(a), 2).back().commandLine)
        << "a GUI caller does not wait";
}

TEST_F(NotepadExe, ARowInTheSettingsGivesAnEditorItsOwnSwitches) {
    const std::string a = Files().Write("a.txt");
    const std::string row = std::string(testsupport::kEditorsKey) + "\\print-recorder.exe";
    ASSERT_TRUE(testsupport::SetString(HKEY_CURRENT_USER, row.c_str(), "WaitArguments", "--block"));
    ASSERT_TRUE(testsupport::SetString(HKEY_CURRENT_USER, row.c_str(), "PrintArguments", ""));
    SetEditor("CommonEditor", PrintEditor());
    EXPECT_EQ(Texts(), FromConsole(Quoted(a)).dialogs);
    EXPECT_EQ("--block " + Quoted(a), Log().WaitForStarts(1).back().params);
    EXPECT_EQ(Quoted(a), Forward("/p " + Quoted(a), 2).back().params) << "empty replaces /p";
}

TEST_F(NotepadExe, AnEditorThatHandsItsFileOnLeavesAConsoleCallerWaitingForTheUser) {
    if (timelimits::Scaled(1) > 1) {
        GTEST_SKIP() << "a program takes longer than the 2 s to start at all on a software CPU";
    }
    // The recorder exits at once without touching its file, as VS Code's
    // launcher does when it hands the file to its running window.
    const std::string a = Files().Write("a.txt"), b = Files().Write("b.txt");
    ProcessRun done = FromConsole(Quoted(a) + " " + Quoted(b));
    EXPECT_EQ(0, done.exitCode);
    EXPECT_EQ(Texts({Message(IDS_EDITOR_HANDED_ON)}), done.dialogs) << "one message for all";
    launchertest::RunOptions giveUp;
    giveUp.messageButton = IDCANCEL;
    EXPECT_EQ(1, FromConsole(Quoted(a), giveUp).exitCode);
    // A GUI caller goes on at once as ever.
    EXPECT_EQ(Texts(), Start(Quoted(a)).dialogs);
}

TEST_F(NotepadExe, OfTwoFilesAConsoleCallerGetsTheFailingEditorsExitCode) {
    SetEditor("CommonEditor", testsupport::ToolPath("slow_editor.exe"));
    const std::string a = Files().Write("a.txt"), b = Files().Write("b.txt");
    SetEnvironmentVariableA("SLOW_EDITOR_EXIT_CODE", "3");
    SetEnvironmentVariableA("SLOW_EDITOR_ONLY", "a.txt");
    ProcessRun run = FromConsole(Quoted(a) + " " + Quoted(b));
    SetEnvironmentVariableA("SLOW_EDITOR_EXIT_CODE", NULL);
    SetEnvironmentVariableA("SLOW_EDITOR_ONLY", NULL);
    EXPECT_EQ(3, run.exitCode);
    EXPECT_EQ(Texts(), run.dialogs);
}

TEST_F(NotepadExe, AfterTheMissingEditorsSheetTheFileOpensInTheEditorChosenThere) {
    SetEditor("CommonEditor", Files().File("missing.exe"));
    // Short enough to type into the field, which does not scroll.
    ScratchDir shortFolder("C:\\qg-choice");
    const std::string chosen = shortFolder.File("ed.exe");
    ASSERT_TRUE(CopyFileA(testsupport::ToolPath("recorder.exe").c_str(), chosen.c_str(), FALSE));
    const std::string a = Files().Write("a.txt");
    launchertest::RunOptions choose;
    choose.sheetButton = IDOK;
    choose.sheetEditor = chosen;
    ProcessRun run = RunAnswering(Quoted(testsupport::NotepadPath()) + " " + Quoted(a), choose);
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ(Texts({Message(IDS_EDITOR_NOT_FOUND, Files().File("missing.exe")), kSettingsSheet}),
              run.dialogs);
    std::vector<EditorStart> starts = Log().WaitForStarts(1);
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ(Quoted(chosen) + " " + Quoted(a), starts[0].commandLine);
}

// Machine settings, in the native view where an administrator's regedit shows them.
class MachineSettings {
public:
    MachineSettings() { Clear(); }
    ~MachineSettings() { Clear(); }
    void SetEditor(const std::string& text, DWORD type = REG_SZ) {
        EXPECT_TRUE(testsupport::SetRaw(HKEY_LOCAL_MACHINE, kPaths, "CommonEditor", type,
                                        text.c_str(), static_cast<DWORD>(text.size() + 1),
                                        KEY_WOW64_64KEY));
    }

private:
    static void Clear() { testsupport::DeleteKeyTree(HKEY_LOCAL_MACHINE, kPaths, KEY_WOW64_64KEY); }
};

TEST_F(NotepadExe, TheMachinesEditorServesWhereTheUserHasNoneOfTheirOwn) {
    testsupport::ResetSettings();
    MachineSettings machine;
    // Expanded for each user, as Setup writes an editor in a profile.
    SetEnvironmentVariableA("QUILLGATE_TEST_TOOLS", (testsupport::BuildDir() + "\\tools").c_str());
    machine.SetEditor("%QUILLGATE_TEST_TOOLS%\\recorder.exe", REG_EXPAND_SZ);
    const std::string a = Files().Write("a.txt");
    std::vector<EditorStart> starts = Forward(Quoted(a), 1);
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ(Quoted(testsupport::ToolPath("recorder.exe")) + " " + Quoted(a),
              starts[0].commandLine);
    SetEditor("CommonEditor", PrintEditor());
    starts = Forward(Quoted(a), 2);
    SetEnvironmentVariableA("QUILLGATE_TEST_TOOLS", NULL);
    ASSERT_EQ(2u, starts.size());
    EXPECT_EQ(0u, starts[1].commandLine.find(Quoted(PrintEditor()))) << "the user's own wins";
}

// The system's Notepad replaced by the recorder while it exists: Wine's own
// 32-bit Notepad does not start in these prefixes.
class RecordingSystemNotepad {
public:
    RecordingSystemNotepad() {
        char folder[MAX_PATH] = "";
        GetSystemDirectoryA(folder, sizeof folder); // SysWOW64, as a 32-bit program sees it
        notepad_ = std::string(folder) + "\\notepad.exe";
        saved_ = notepad_ + ".quillgate-test";
        EXPECT_TRUE(MoveFileExA(notepad_.c_str(), saved_.c_str(), MOVEFILE_REPLACE_EXISTING));
        EXPECT_TRUE(
            CopyFileA(testsupport::ToolPath("recorder.exe").c_str(), notepad_.c_str(), FALSE));
    }
    ~RecordingSystemNotepad() {
        MoveFileExA(saved_.c_str(), notepad_.c_str(), MOVEFILE_REPLACE_EXISTING);
    }

private:
    std::string notepad_, saved_;
};

TEST_F(NotepadExe, AnElevatedStartTakesOnlyAnEditorThatStandardUsersCannotReplace) {
    const std::string a = Files().Write("elevated a.txt");
    // The user's editor lies in a folder of theirs: the system's Notepad opens the file.
    {
        RecordingSystemNotepad notepad;
        EXPECT_EQ(0, FromElevated(Quoted(a)).exitCode);
        std::vector<EditorStart> starts = Log().WaitForStarts(1);
        ASSERT_EQ(1u, starts.size());
        EXPECT_NE(std::string::npos, starts[0].commandLine.find("\\notepad.exe\" "));
        EXPECT_EQ(Quoted(a), starts[0].params);
    }

    char programFiles[MAX_PATH] = "";
    ASSERT_EQ(S_OK, SHGetFolderPathA(NULL, CSIDL_PROGRAM_FILES, NULL, 0, programFiles));
    ScratchDir installed(std::string(programFiles) + "\\Quillgate test editor");
    const std::string editor = installed.File("editor.exe");
    ASSERT_TRUE(CopyFileA(testsupport::ToolPath("recorder.exe").c_str(), editor.c_str(), FALSE));
    SetEditor("CommonEditor", editor);
    EXPECT_EQ(0, FromElevated(Quoted(a)).exitCode);
    std::vector<EditorStart> starts = Log().WaitForStarts(2);
    ASSERT_EQ(2u, starts.size());
    EXPECT_EQ(Quoted(editor) + " " + Quoted(a), starts[1].commandLine);
    // Nor does it take arguments for that editor from the user's key.
    SetEditor("PrinterEditor", editor);
    ASSERT_TRUE(testsupport::SetString(
        HKEY_CURRENT_USER, (std::string(testsupport::kEditorsKey) + "\\editor.exe").c_str(),
        "PrintArguments", "--planted"));
    EXPECT_EQ(0, FromElevated("/p " + Quoted(a)).exitCode);
    starts = Log().WaitForStarts(3);
    ASSERT_EQ(3u, starts.size());
    EXPECT_EQ("/p " + Quoted(a), starts[2].params);
}

// As an administrator's console runs it: the editor a standard user's
// setting names never runs with the full token unless it lies under Program
// Files, and never through a file class; the machine's setting also counts
// directly in the system folders.
TEST_F(NotepadExe, AnElevatedStartRunsOnlyProgramsThatAdministratorsPlaced) {
    const std::string a = Files().Write("elevated a.txt");
    char windows[MAX_PATH] = "";
    ASSERT_NE(0u, GetWindowsDirectoryA(windows, sizeof windows));
    const std::string tasks = std::string(windows) + "\\Tasks";
    CreateDirectoryA(tasks.c_str(), NULL); // standard users may write there
    const std::string planted = tasks + "\\quillgate-test-editor.exe";
    ASSERT_TRUE(CopyFileA(testsupport::ToolPath("recorder.exe").c_str(), planted.c_str(), FALSE));
    const std::string ini = std::string(windows) + "\\win.ini";
    ASSERT_TRUE(testsupport::FileExists(ini));
    size_t count = 0;
    {
        RecordingSystemNotepad notepad;
        for (const std::string& editor :
             {planted, std::string(windows) + "\\System32\\cmd.exe", ini}) {
            SetEditor("CommonEditor", editor);
            ProcessRun run = FromElevated(Quoted(a));
            EXPECT_EQ(Texts(), run.dialogs) << editor;
            std::vector<EditorStart> starts = Log().WaitForStarts(++count);
            ASSERT_EQ(count, starts.size()) << editor;
            EXPECT_NE(std::string::npos, starts.back().commandLine.find("\\notepad.exe\" "))
                << editor;
            EXPECT_EQ(Quoted(a), starts.back().params) << editor;
        }
    }
    DeleteFileA(planted.c_str());

    // The 64-bit Program Files, which 32-bit programs see only by its name.
    char programFiles[MAX_PATH] = "";
    ASSERT_NE(0u, GetEnvironmentVariableA("ProgramW6432", programFiles, sizeof programFiles));
    ScratchDir installed(std::string(programFiles) + "\\Quillgate test editor");
    const std::string editor = installed.File("editor.exe");
    ASSERT_TRUE(CopyFileA(testsupport::ToolPath("recorder.exe").c_str(), editor.c_str(), FALSE));
    SetEditor("CommonEditor", editor);
    EXPECT_EQ(Texts(), FromElevated(Quoted(a)).dialogs);
    std::vector<EditorStart> starts = Log().WaitForStarts(++count);
    ASSERT_EQ(count, starts.size());
    EXPECT_EQ(Quoted(editor) + " " + Quoted(a), starts.back().commandLine);

    // The machine's missing editor is the machine's to mend: no sheet.
    MachineSettings machine;
    const std::string missing = installed.File("missing.exe");
    machine.SetEditor(missing);
    EXPECT_EQ(Texts({Message(IDS_EDITOR_NOT_FOUND, missing, IDS_EDITOR_SETTING_MACHINES)}),
              FromElevated(Quoted(a)).dialogs);
}

// Policies, as Group Policy and Intune write them, in both roots.
class EditorPolicies {
public:
    void Set(HKEY root, const std::string& editor) {
        EXPECT_TRUE(testsupport::SetRaw(root, kPolicyPaths, "CommonEditor", REG_SZ, editor.c_str(),
                                        static_cast<DWORD>(editor.size() + 1),
                                        root == HKEY_LOCAL_MACHINE ? KEY_WOW64_64KEY : 0));
    }
    void Remove(HKEY root) {
        testsupport::DeleteKeyTree(root, kPolicyPaths,
                                   root == HKEY_LOCAL_MACHINE ? KEY_WOW64_64KEY : 0);
    }

private:
    static constexpr const char* kPolicies = "Software\\Policies\\Corvalen";
    static constexpr const char* kPolicyPaths = "Software\\Policies\\Corvalen\\Quillgate\\Paths";
    testsupport::KeySnapshot machine_{HKEY_LOCAL_MACHINE, kPolicies, KEY_WOW64_64KEY};
    testsupport::KeySnapshot user_{HKEY_CURRENT_USER, kPolicies};
};

TEST_F(NotepadExe, AMachinePolicyWinsOverAUserPolicyWhichWinsOverTheUsersOwnSetting) {
    const std::string a = Files().Write("a.txt");
    const std::string fleet = RecorderAs("fleet.exe"), team = RecorderAs("team.exe");
    EditorPolicies policies;
    policies.Set(HKEY_CURRENT_USER, team);
    policies.Set(HKEY_LOCAL_MACHINE, fleet);
    EXPECT_EQ(Quoted(fleet) + " " + Quoted(a), Forward(Quoted(a), 1).back().commandLine);
    policies.Remove(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(Quoted(team) + " " + Quoted(a), Forward(Quoted(a), 2).back().commandLine);
    policies.Remove(HKEY_CURRENT_USER);
    EXPECT_EQ(Quoted(testsupport::ToolPath("recorder.exe")) + " " + Quoted(a),
              Forward(Quoted(a), 3).back().commandLine);
}

TEST_F(NotepadExe, AnElevatedStartTakesTheMachinePolicysEditorUnderProgramFiles) {
    const std::string a = Files().Write("elevated a.txt");
    char programFiles[MAX_PATH] = "";
    ASSERT_NE(0u, GetEnvironmentVariableA("ProgramW6432", programFiles, sizeof programFiles));
    ScratchDir installed(std::string(programFiles) + "\\Quillgate policy editor");
    const std::string editor = installed.File("editor.exe");
    ASSERT_TRUE(CopyFileA(testsupport::ToolPath("recorder.exe").c_str(), editor.c_str(), FALSE));
    EditorPolicies policies;
    policies.Set(HKEY_LOCAL_MACHINE, editor);
    ProcessRun run = FromElevated(Quoted(a));
    EXPECT_EQ(Texts(), run.dialogs);
    std::vector<EditorStart> starts = Log().WaitForStarts(1);
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ(Quoted(editor) + " " + Quoted(a), starts[0].commandLine);
}

// VS Code's bin folder, on PATH, holds "code" (a shell script) and "code.cmd".
TEST_F(NotepadExe, ABareNameIsFoundAsTheShellFindsItAndABatchFileNeverChangesAFileName) {
    ScratchDir vscode(Files().File("Microsoft VS Code"));
    ScratchDir bin(vscode.File("bin"));
    bin.Write("code", "#!/usr/bin/env sh");
    bin.Write("code.cmd", "@echo off");
    bin.Write("tool.cmd", "@echo off");
    const std::string code = vscode.File("Code.exe");
    const std::string notepadPlus = bin.File("notepad++.exe");
    for (const std::string& copy : {code, notepadPlus}) {
        ASSERT_TRUE(CopyFileA(testsupport::ToolPath("recorder.exe").c_str(), copy.c_str(), FALSE));
    }
    char path[32767];
    GetEnvironmentVariableA("PATH", path, sizeof path);
    SetEnvironmentVariableA("PATH", (std::string(path) + ";" + bin.Path()).c_str());
    const std::string a = Files().Write("a.txt");
    SetEditor("CommonEditor", "code");
    std::vector<EditorStart> starts = Forward(Quoted(a), 1);
    SetEditor("CommonEditor", "notepad++");
    starts = Forward(Quoted(a), 2);
    // A batch file with no program behind it would get 50Windows_NT.txt.
    SetEditor("CommonEditor", "tool");
    const std::string percent = Files().Write("50%OS%.txt");
    ProcessRun refused = Start(Quoted(percent));
    SetEnvironmentVariableA("PATH", path);

    ASSERT_EQ(2u, starts.size());
    EXPECT_EQ(Quoted(code) + " " + Quoted(a), starts[0].commandLine);
    EXPECT_EQ(Quoted(notepadPlus) + " " + Quoted(a), starts[1].commandLine);
    EXPECT_EQ(
        Texts({"message: " + launchertest::EditorMessage(IDS_BATCH_EDITOR_CHANGES_NAMES,
                                                         bin.File("tool.cmd"), IDS_EDITOR_NAMED)}),
        refused.dialogs);
    EXPECT_EQ(2u, Log().WaitForStarts(2).size());
}

TEST_F(NotepadExe, DevicePathsAndPathsEndingInABackslashArriveAsTyped) {
    const std::string a = Files().Write("a.txt");
    EXPECT_EQ(Quoted("\\\\?\\" + a), Forward("\\\\?\\" + a, 1).back().params);
    EXPECT_EQ(Quoted("\\\\.\\" + a), Forward("\\\\.\\" + a, 2).back().params);
    // "C:\tmp\\": a backslash before the closing quote would make it a quote.
    EXPECT_EQ("\"" + Files().Path() + "\\\\\"", Forward(Files().Path() + "\\", 3).back().params);
    EXPECT_EQ(3u, Log().WaitForStarts(3).size());
}

TEST_F(NotepadExe, AnEditorThatCannotStartIsNamedWithTheSystemsReasonOnEveryRoad) {
    const std::string broken = Files().Write("broken.exe", "not a program");
    SetEditor("CommonEditor", broken);
    const std::string a = Files().Write("a.txt");
    for (DWORD wait : {2, 1}) {
        ASSERT_TRUE(testsupport::SetDword(HKEY_CURRENT_USER, kPaths, "WaitForEditor", wait));
        ProcessRun run = Start(Quoted(a));
        EXPECT_EQ(wait == 1 ? 1 : 0, run.exitCode);
        ASSERT_EQ(2u, run.dialogs.size()) << wait;
        // The system's reason stands in the lines that name the editor.
        const std::string named = Message(IDS_EDITOR_START_FAILED, broken, IDS_EDITOR_FAILED_YOURS);
        const std::string before = named.substr(0, named.find("%2"));
        const std::string after = named.substr(named.find("%2") + 2);
        EXPECT_TRUE(StartsWith(run.dialogs[0], before)) << run.dialogs[0];
        EXPECT_GT(run.dialogs[0].size(), before.size() + after.size()) << run.dialogs[0];
        EXPECT_EQ(after, run.dialogs[0].substr(run.dialogs[0].size() - after.size()));
        EXPECT_EQ(kSettingsSheet, run.dialogs[1]);
    }
}

// A count of starts set long ago belongs to an editor's session, not to a loop.
TEST_F(NotepadExe, AHopCountSetMoreThanTenSecondsAgoStartsAgain) {
    const std::string file = Files().Write("a.txt");
    char fresh[32];
    wsprintfA(fresh, "4 %lu", GetTickCount());
    SetEnvironmentVariableA("QUILLGATE_HOPS", fresh);
    ProcessRun refused = Start(file);
    SetEnvironmentVariableA("QUILLGATE_HOPS",
                            ("4 " + std::to_string(GetTickCount() - 11000)).c_str());
    std::vector<EditorStart> starts = Forward(file, 1);
    SetEnvironmentVariableA("QUILLGATE_HOPS", NULL);
    EXPECT_EQ(Texts({Message(IDS_EDITOR_IS_SELF), kSettingsSheet}), refused.dialogs);
    EXPECT_EQ(1u, starts.size());
}

} // namespace
