// The built notepad.exe met the way a user meets it: started with exact
// command lines as the shell starts it, its message boxes and settings sheet
// driven from outside by the UI driver (tests/support/ui_driver.h: real
// BM_CLICK, WM_CHAR, PSM_SETCURSEL messages to the other process), and judged
// by what a user can see: window texts and states, the registry, the files,
// and what the editor received (the recorder, tests/tools/recorder.cpp).
// notepad.exe runs with UTF-8 as its ANSI code page; this program runs in
// the system's, so it makes and reads names that code page lacks in UTF-8,
// through the W functions.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include <memory>
#include <string>
#include <vector>

#include "resources/load_text.h"
#include "resources/resource_ids.h"
#include "tests/launcher/launcher_test_support.h"
#include "tests/support/registry_guard.h"
#include "tests/support/settings_sheet.h"
#include "tests/support/ui_driver.h"
#include "tests/support/wine_test_support.h"

using launchertest::EditorStart;
using launchertest::ParamsOf;
using launchertest::ProcessRun;
using launchertest::RecorderLog;
using launchertest::RunAnswering;
using testsupport::kDefaultEditor;
using testsupport::Quoted;
using testsupport::ScratchDir;
using testsupport::Wide;
using uidriver::Program;
using uidriver::SheetRun;

namespace {

typedef std::vector<std::string> Texts;

const char kCaption[] = "Quillgate";
const char kUnknownShell[] = "Unknown\\shell";
const char* const kPaths = testsupport::kPathsKey;
const char* const kSource = testsupport::kSourceKey;

// notepad.exe started as the shell starts it: its quoted path, then the rest.
std::string Command(const std::string& arguments) {
    std::string line = Quoted(testsupport::NotepadPath());
    return arguments.empty() ? line : line + " " + arguments;
}

bool StartedBy(const EditorStart& start, const std::string& program) {
    return start.commandLine.compare(0, program.size() + 2, Quoted(program)) == 0;
}

std::string UserShell() {
    return std::string(testsupport::kUserClasses) + "\\" + kUnknownShell;
}

std::string ClassesString(const char* path, const char* value) {
    return testsupport::MergedClassesString(path, value);
}

// The ProductVersion of a file's own version resource, under its first
// translation.
void ReadProductVersion(const std::string& path, std::string* version) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_GT(size, 0u) << path << " error " << GetLastError();
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
    void* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translation, &length));
    ASSERT_GE(length, 4u);
    const WORD* ids = static_cast<const WORD*>(translation);
    char key[64];
    wsprintfA(key, "\\StringFileInfo\\%04x%04x\\ProductVersion", ids[0], ids[1]);
    void* value = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), key, &value, &length)) << key;
    *version = static_cast<const char*>(value);
}

// Names that neither code page 932 nor 1252 holds, in UTF-8.
const char kWorldFolder[] = "Ελληνικά 한국어";
const char kWorldFile[] = "Ελληνικά 한국어 😀.txt";

std::string WriteUtf8(const std::string& path, const std::string& content = "text") {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    EXPECT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, NULL);
    CloseHandle(file);
    return path;
}

std::string ReadUtf8(const std::string& path) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                              OPEN_EXISTING, 0, NULL);
    char content[256];
    DWORD got = 0;
    if (file == INVALID_HANDLE_VALUE || !ReadFile(file, content, sizeof content, &got, NULL)) {
        got = 0;
    }
    CloseHandle(file);
    return std::string(content, got);
}

std::string EditorNotFound() {
    return testsupport::Localized("エディタが見つかりません。\r設定を確認してください。",
                                  "The editor cannot be found.\rCheck the settings.");
}
std::string EditorIsSelf() {
    return testsupport::Localized(
        "起動するエディタにQuillgateを指定しています。\r設定を確認してください。",
        "The editor to start is set to Quillgate itself.\rCheck the settings.");
}
// The lines after the message that name the user's own editor setting.
std::string YourEditor(const std::string& editor) {
    return testsupport::Localized("\r\rエディタ: ", "\r\rEditor: ") + editor +
           testsupport::Localized("\rこれはあなた自身の設定です。", "\rThis is your own setting.");
}
// The same for the built-in default, which the user has not chosen.
std::string DefaultEditor(const std::string& editor) {
    return testsupport::Localized("\r\rエディタ: ", "\r\rEditor: ") + editor +
           testsupport::Localized("\rこれは既定の設定です。使うエディタを設定で選んでください。",
                                  "\rThis is the default; choose your editor in the settings.");
}

// Whether the font `control` draws with, in the program that shows it, has
// the glyph of `character`: asked there through a window hook that loads
// tests/tools/font_probe.dll into it.
bool DrawsCharacter(HWND control, wchar_t character) {
    HMODULE probe = LoadLibraryA(testsupport::ToolPath("font_probe.dll").c_str());
    HOOKPROC hook =
        reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(probe, "FontProbeHook")));
    EXPECT_NE(nullptr, hook);
    HHOOK installed = hook ? SetWindowsHookExA(WH_CALLWNDPROC, hook, probe,
                                               GetWindowThreadProcessId(control, NULL))
                           : NULL;
    EXPECT_NE(nullptr, installed);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(control, RegisterWindowMessageA("QuillgateFontProbe"), character, 0,
                        SMTO_BLOCK, timelimits::Scaled(timelimits::kMessageMs), &ignored);
    const INT_PTR answer = reinterpret_cast<INT_PTR>(GetPropA(control, "QuillgateFontProbe"));
    if (installed) {
        UnhookWindowsHookEx(installed);
    }
    FreeLibrary(probe);
    EXPECT_NE(0, answer) << "the probe did not run in the program";
    return answer == 2;
}

class Journey : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testsupport::SetString(HKEY_CLASSES_ROOT, kUnknownShell, NULL, "openas"));
        testsupport::ResetSettings();
        // Short paths, as a user would type them into the editor field.
        editor_ = folder_.File("editor.exe");
        printer_ = folder_.File("printer.exe");
        const std::string recorder = testsupport::ToolPath("recorder.exe");
        ASSERT_TRUE(CopyFileA(recorder.c_str(), editor_.c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(recorder.c_str(), printer_.c_str(), FALSE));
    }
    void TearDown() override { testsupport::ResetSettings(); }

    // The user opens the settings, types the editors and presses OK.
    void ChooseEditors(const std::string& edit, const std::string& print = "") {
        SheetRun run(Command("/setting"));
        ASSERT_TRUE(run.FindSheet());
        ASSERT_TRUE(run.Type(IDC_EDIT_EDITOR, edit));
        ASSERT_EQ(edit, run.TextOf(IDC_EDIT_EDITOR)) << "the field did not take the path whole";
        if (!print.empty()) {
            ASSERT_TRUE(run.Type(IDC_PRINT_EDITOR, print));
            ASSERT_EQ(print, run.TextOf(IDC_PRINT_EDITOR));
        }
        ASSERT_EQ(0, run.Close(uidriver::kOk)) << run.StillOpen();
        ASSERT_EQ(edit, testsupport::ReadString(HKEY_CURRENT_USER, kPaths, "CommonEditor"));
    }

    // Runs notepad.exe with `arguments` (in UTF-8 with `codePage` CP_UTF8),
    // expecting no window at all.
    std::vector<EditorStart> Forward(const std::string& arguments, size_t starts,
                                     UINT codePage = CP_ACP) {
        launchertest::RunOptions options;
        options.codePage = codePage;
        ProcessRun run = RunAnswering(Command(arguments), options);
        EXPECT_EQ(0, run.exitCode);
        EXPECT_EQ(Texts(), run.dialogs);
        return log_.WaitForStarts(starts);
    }

    const std::string& Editor() const { return editor_; }
    const std::string& Printer() const { return printer_; }
    const ScratchDir& Files() const { return files_; }
    const RecorderLog& Log() const { return log_; }

private:
    testsupport::EmptyUnknownShell unknown_;
    ScratchDir folder_{"C:\\quillgate-journeys"};
    ScratchDir files_{"C:\\quillgate-journeys-files"};
    std::string editor_, printer_;
    RecorderLog log_;
};

TEST_F(Journey, FirstRunFindsNoEditorThenTheChosenOneReceivesTheFileQuoted) {
    const std::string memo = Files().Write("memo.txt");
    {
        SheetRun first(Command(memo));
        HWND box = uidriver::WaitForMessageBox(first.Process().Id(), kCaption);
        ASSERT_NE(nullptr, box) << "no message about the missing editor";
        EXPECT_EQ(EditorNotFound() + DefaultEditor("notepa~.exe"), uidriver::MessageBoxText(box));
        ASSERT_TRUE(uidriver::PressMessageBoxButton(box, IDOK));
        EXPECT_TRUE(uidriver::WaitUntil([box] { return !IsWindow(box); }));

        // Then the sheet, on its Settings page, showing the defaults.
        ASSERT_TRUE(first.FindSheet());
        EXPECT_EQ(0, uidriver::CurrentPageIndex(first.Window()));
        EXPECT_EQ(kDefaultEditor, first.TextOf(IDC_EDIT_EDITOR));
        EXPECT_EQ(Texts({kDefaultEditor}), uidriver::ComboItems(first.Item(IDC_EDIT_EDITOR)));
        EXPECT_EQ(kDefaultEditor, first.TextOf(IDC_PRINT_EDITOR));
        EXPECT_FALSE(uidriver::IsChecked(first.Item(IDC_EXTENSION_FLAG)));
        EXPECT_EQ("htm", first.TextOf(IDC_EXTENSION));
        EXPECT_FALSE(uidriver::IsEnabled(first.Item(IDC_EXTENSION)));
        EXPECT_EQ(testsupport::DefaultExtensions(),
                  uidriver::ComboItems(first.Item(IDC_EXTENSION)));
        EXPECT_FALSE(uidriver::IsChecked(first.Item(IDC_UNKNOWN_ASSOCIATE)));
        EXPECT_EQ(testsupport::DefaultMenuText(), first.TextOf(IDC_MENU_TEXT));
        EXPECT_FALSE(uidriver::IsEnabled(first.Item(IDC_MENU_TEXT)));
        EXPECT_FALSE(first.ApplyEnabled());

        // The user types the recorder's path and presses OK.
        ASSERT_TRUE(first.Type(IDC_EDIT_EDITOR, Editor()));
        EXPECT_EQ(Editor(), first.TextOf(IDC_EDIT_EDITOR));
        EXPECT_TRUE(first.ApplyEnabled()) << "typing did not count as a change";
        EXPECT_EQ(0, first.Close(uidriver::kOk)) << first.StillOpen();
    }
    EXPECT_EQ(Editor(), testsupport::ReadString(HKEY_CURRENT_USER, kPaths, "CommonEditor"));
    // The request that met the missing editor goes on in the chosen one.
    std::vector<EditorStart> starts = Log().WaitForStarts(1);
    ASSERT_EQ(1u, starts.size()) << "the first run's file did not arrive";
    EXPECT_TRUE(StartedBy(starts[0], Editor())) << starts[0].commandLine;
    EXPECT_EQ(Quoted(memo), starts[0].params);

    starts = Forward(memo, 2);
    ASSERT_EQ(2u, starts.size());
    EXPECT_TRUE(StartedBy(starts[1], Editor())) << starts[1].commandLine;
}

TEST_F(Journey, PrintingGoesToThePrintEditorWithItsSwitch) {
    ASSERT_NO_FATAL_FAILURE(ChooseEditors(Editor(), Printer()));
    const std::string memo = Files().Write("memo.txt");

    std::vector<EditorStart> starts = Forward("/p " + memo, 1);
    ASSERT_EQ(1u, starts.size());
    EXPECT_TRUE(StartedBy(starts[0], Printer())) << starts[0].commandLine;
    EXPECT_EQ("/p " + Quoted(memo), starts[0].params);

    // Alone, the switch still reaches the print editor, with its blank.
    starts = Forward("/p", 2);
    ASSERT_EQ(2u, starts.size());
    EXPECT_TRUE(StartedBy(starts[1], Printer())) << starts[1].commandLine;
    EXPECT_EQ("/p ", starts[1].params);
}

TEST_F(Journey, SeveralFilesAndUnquotedBlanksArriveWhole) {
    ASSERT_NO_FATAL_FAILURE(ChooseEditors(Editor()));
    ASSERT_TRUE(CreateDirectoryA(Files().File("My Documents").c_str(), NULL));
    const std::string memo = Files().Write("My Documents\\memo of today.txt");
    const std::string list = Files().Write("list.txt");

    // Unquoted, as the shell passes an old-style %1.
    std::vector<EditorStart> starts = Forward(memo + " " + list, 2);
    EXPECT_EQ(Texts({Quoted(list), Quoted(memo)}), ParamsOf(starts));
    for (const EditorStart& start : starts) {
        EXPECT_TRUE(StartedBy(start, Editor())) << start.commandLine;
    }
}

TEST_F(Journey, ViewSourceCopiesACachedFileAndLeavesOthersAlone) {
    ASSERT_NO_FATAL_FAILURE(ChooseEditors(Editor()));
    {
        SheetRun settings(Command("/setting"));
        ASSERT_TRUE(settings.FindSheet());
        ASSERT_TRUE(uidriver::Click(settings.Item(IDC_EXTENSION_FLAG)));
        EXPECT_TRUE(uidriver::IsChecked(settings.Item(IDC_EXTENSION_FLAG)));
        EXPECT_TRUE(uidriver::IsEnabled(settings.Item(IDC_EXTENSION)));
        ASSERT_TRUE(settings.Type(IDC_EXTENSION, "html"));
        EXPECT_EQ("html", settings.TextOf(IDC_EXTENSION));
        ASSERT_TRUE(settings.ApplyEnabled());
        ASSERT_TRUE(settings.Press(uidriver::kApply));
        EXPECT_TRUE(uidriver::WaitUntil([&] { return !settings.ApplyEnabled(); }));
        EXPECT_EQ(0, settings.Close(uidriver::kCancel)) << settings.StillOpen();
    }
    DWORD type = 0;
    std::string flag;
    ASSERT_TRUE(testsupport::ReadRaw(HKEY_CURRENT_USER, kSource, "ExtensionFlag", &type, &flag));
    EXPECT_EQ(std::string("\1\0\0\0", 4), flag);
    EXPECT_EQ("html", testsupport::ReadString(HKEY_CURRENT_USER, kSource, "Extension"));

    const std::string cache = launchertest::InternetCacheFolder();
    ASSERT_FALSE(cache.empty());
    ScratchDir cached(cache + "\\quillgate-journeys");
    const std::string page = cached.Write("page[1].txt", "<p>source</p>");
    std::vector<EditorStart> starts = Forward(page, 1);
    EXPECT_EQ(Texts({Quoted(page + ".html")}), ParamsOf(starts));
    EXPECT_EQ("<p>source</p>", testsupport::ReadFile(page + ".html"));

    const std::string outside = Files().Write("page.txt", "<p>mine</p>");
    starts = Forward(outside, 2);
    ASSERT_EQ(2u, starts.size());
    EXPECT_EQ(Quoted(outside), starts[1].params);
    EXPECT_FALSE(testsupport::FileExists(outside + ".html"));
}

TEST_F(Journey, NamesNoCodePageHoldsArriveWhole) {
    ASSERT_NO_FATAL_FAILURE(ChooseEditors(Editor()));
    const std::string folder = Files().Path() + "\\" + kWorldFolder;
    ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), NULL));
    const std::string world = WriteUtf8(folder + "\\" + kWorldFile);
    const std::string smile = WriteUtf8(Files().Path() + "\\😀 b.txt");

    // Unquoted, as the shell passes an old-style %1, then two in one call.
    std::vector<EditorStart> starts = Forward(world, 1, CP_UTF8);
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ(Quoted(world), starts[0].paramsUtf8);
    starts = Forward(Quoted(world) + " " + smile, 3, CP_UTF8);
    ASSERT_EQ(3u, starts.size());
    EXPECT_EQ(Quoted(smile), starts[1].paramsUtf8);
    EXPECT_EQ(Quoted(world), starts[2].paramsUtf8);

    // A view-source copy of a cached file so named.
    ASSERT_TRUE(testsupport::SetDword(HKEY_CURRENT_USER, kSource, "ExtensionFlag", 1));
    const std::string cache = launchertest::InternetCacheFolder();
    ASSERT_FALSE(cache.empty());
    ScratchDir cached(cache + "\\quillgate-journeys");
    const std::string page = WriteUtf8(cached.Path() + "\\한국어 😀[1].txt", "<p>source</p>");
    starts = Forward(page, 4, CP_UTF8);
    ASSERT_EQ(4u, starts.size());
    EXPECT_EQ(Quoted(page + ".htm"), starts[3].paramsUtf8);
    EXPECT_EQ("<p>source</p>", ReadUtf8(page + ".htm"));
}

TEST_F(Journey, AnEditorNoCodePageHoldsIsBrowsedForStoredAndStarted) {
    // Its UTF-8 takes more than the 100 bytes of a code page 932 setting.
    const std::string folder =
        Files().Path() + "\\エディタ " + kWorldFolder + " 😀 の エディタ folder";
    ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), NULL));
    const std::string editor = folder + "\\recorder.exe";
    ASSERT_GT(editor.size(), 100u);
    ASSERT_TRUE(CopyFileW(Wide(testsupport::ToolPath("recorder.exe"), CP_ACP).c_str(),
                          Wide(editor).c_str(), FALSE));
    {
        SheetRun run(Command("/setting"));
        ASSERT_TRUE(run.FindSheet());
        ASSERT_TRUE(run.PressModal(IDC_EDIT_EDITOR_BROWSE));
        HWND sheet = run.Window();
        HWND open = uidriver::WaitForDialog(run.Process().Id(),
                                            [sheet](HWND dialog) { return dialog != sheet; });
        ASSERT_NE(nullptr, open) << uidriver::DescribeWindows(run.Process().Id());
        EXPECT_EQ(
            Wide(testsupport::JapaneseSystem() ? "編集用エディタの選択" : "Edit Editor - Browse"),
            uidriver::TextWide(open));
        HWND name = GetDlgItem(open, cmb13) ? GetDlgItem(open, cmb13) : GetDlgItem(open, edt1);
        ASSERT_NE(nullptr, name);
        SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(editor).c_str()));
        ASSERT_TRUE(PostMessageA(open, WM_COMMAND, IDOK, 0));
        ASSERT_TRUE(uidriver::WaitUntil([open] { return !IsWindow(open); }));
        EXPECT_EQ(Wide(editor), run.WideTextOf(IDC_EDIT_EDITOR));
        EXPECT_EQ(0, run.Close(uidriver::kOk)) << run.StillOpen();
    }
    DWORD type = 0;
    std::wstring stored;
    ASSERT_TRUE(
        testsupport::ReadRawWide(HKEY_CURRENT_USER, kPaths, "CommonEditor", &type, &stored));
    EXPECT_EQ(Wide(editor), stored.c_str());

    std::vector<EditorStart> starts = Forward(Files().Write("memo.txt"), 1);
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ(0u, starts[0].commandLineUtf8.find(Quoted(editor))) << starts[0].commandLineUtf8;
}

TEST_F(Journey, AnEditorTheEarlierVersionStoredStartsAsBefore) {
    // The earlier version wrote its settings in code page 932; the registry
    // holds them as UTF-16 either way.
    const std::string folder = Files().Path() + "\\秀丸 エディタ";
    ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), NULL));
    const std::string editor = folder + "\\editor.exe";
    ASSERT_TRUE(CopyFileW(Wide(testsupport::ToolPath("recorder.exe"), CP_ACP).c_str(),
                          Wide(editor).c_str(), FALSE));
    HKEY paths;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, Wide(kPaths).c_str(), 0, NULL, 0,
                                             KEY_ALL_ACCESS, NULL, &paths, NULL));
    const std::wstring value = Wide(editor);
    RegSetValueExW(paths, L"CommonEditor", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() * sizeof(wchar_t)));
    RegCloseKey(paths);

    const std::string memo = Files().Write("memo.txt");
    std::vector<EditorStart> starts = Forward(memo, 1);
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ(0u, starts[0].commandLineUtf8.find(Quoted(editor))) << starts[0].commandLineUtf8;
    EXPECT_EQ(Quoted(memo), starts[0].params);
}

TEST_F(Journey, UnregisteredFileTypesOpenThroughItAndComeBack) {
    ASSERT_NO_FATAL_FAILURE(ChooseEditors(Editor()));
    const std::string menuText = "Edit with my editor";
    {
        SheetRun settings(Command("/setting"));
        ASSERT_TRUE(settings.FindSheet());
        ASSERT_TRUE(uidriver::Click(settings.Item(IDC_UNKNOWN_ASSOCIATE)));
        ASSERT_TRUE(uidriver::IsEnabled(settings.Item(IDC_MENU_TEXT)));
        ASSERT_TRUE(settings.Type(IDC_MENU_TEXT, menuText));
        ASSERT_TRUE(settings.Press(uidriver::kApply));
        EXPECT_TRUE(uidriver::WaitUntil([&] { return !settings.ApplyEnabled(); }));
        EXPECT_EQ(0, settings.Close(uidriver::kOk)) << settings.StillOpen();
    }
    const std::string open = std::string(kUnknownShell) + "\\open";
    const std::string command = open + "\\command";
    EXPECT_EQ("open", ClassesString(kUnknownShell, NULL));
    EXPECT_EQ("openas", testsupport::ReadString(HKEY_CLASSES_ROOT, kUnknownShell, NULL))
        << "the user's verb, not the machine's";
    EXPECT_EQ(menuText, ClassesString(open.c_str(), NULL));
    const std::string registered = ClassesString(command.c_str(), NULL);
    EXPECT_EQ("notepad.exe %1", registered);

    // Double-clicking a file of no registered type runs that command with %1
    // replaced, unquoted. Our notepad.exe stands in for the installed one.
    const std::string file = Files().Write("notes for monday.qgx");
    std::string line = registered;
    const size_t placeholder = line.find("%1");
    ASSERT_NE(std::string::npos, placeholder);
    line.replace(placeholder, 2, file);
    Program doubleClick(line, SW_SHOWNORMAL, testsupport::NotepadPath().c_str());
    ASSERT_TRUE(doubleClick.Started());
    EXPECT_EQ(0, doubleClick.WaitForExit());
    EXPECT_EQ(Texts({Quoted(file)}), ParamsOf(Log().WaitForStarts(1)));

    // The sheet shows the association; unticking it restores the old verb.
    {
        SheetRun settings(Command("/setting"));
        ASSERT_TRUE(settings.FindSheet());
        EXPECT_TRUE(uidriver::IsChecked(settings.Item(IDC_UNKNOWN_ASSOCIATE)));
        EXPECT_EQ(menuText, settings.TextOf(IDC_MENU_TEXT));
        ASSERT_TRUE(uidriver::Click(settings.Item(IDC_UNKNOWN_ASSOCIATE)));
        EXPECT_FALSE(uidriver::IsEnabled(settings.Item(IDC_MENU_TEXT)));
        EXPECT_EQ(0, settings.Close(uidriver::kOk)) << settings.StillOpen();
    }
    EXPECT_EQ("openas", ClassesString(kUnknownShell, NULL));
    EXPECT_FALSE(testsupport::ValueExists(HKEY_CURRENT_USER, UserShell().c_str(), "bak"));
    EXPECT_FALSE(testsupport::KeyExists(HKEY_CURRENT_USER, (UserShell() + "\\open").c_str()));
}

TEST_F(Journey, ItselfAsTheEditorIsRefusedAndNothingStarts) {
    ASSERT_NO_FATAL_FAILURE(ChooseEditors(testsupport::NotepadPath()));
    const std::string memo = Files().Write("memo.txt");
    SheetRun run(Command(memo));
    HWND box = uidriver::WaitForMessageBox(run.Process().Id(), kCaption);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(EditorIsSelf() + YourEditor(testsupport::NotepadPath()),
              uidriver::MessageBoxText(box));
    ASSERT_TRUE(uidriver::PressMessageBoxButton(box, IDOK));
    EXPECT_TRUE(uidriver::WaitUntil([box] { return !IsWindow(box); }));
    ASSERT_TRUE(run.FindSheet());
    EXPECT_EQ(testsupport::NotepadPath(), run.TextOf(IDC_EDIT_EDITOR));
    EXPECT_EQ(0, run.Close(uidriver::kCancel)) << run.StillOpen();
    EXPECT_TRUE(Log().WaitForStarts(0).empty());
}

TEST_F(Journey, AnEditorPathTooLongToReadBackIsRefusedAndThePageStaysOpen) {
    // Under UTF-8, notepad.exe reads an editor path through 260 bytes.
    const std::string fits = "C:\\" + std::string(252, 'e') + ".exe";
    SheetRun run(Command("/setting"));
    ASSERT_TRUE(run.FindSheet());
    HWND field = uidriver::ComboEdit(run.Item(IDC_EDIT_EDITOR));
    for (const std::string& path : {fits + "x", fits}) {
        SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        ASSERT_EQ(path, run.TextOf(IDC_EDIT_EDITOR));
        ASSERT_TRUE(run.Press(uidriver::kOk));
        if (path == fits) {
            break;
        }
        HWND box = uidriver::WaitForMessageBox(run.Process().Id(), kCaption);
        ASSERT_NE(nullptr, box);
        EXPECT_EQ(LoadTextTemp(IDS_EDITOR_PATH_TOO_LONG), uidriver::MessageBoxText(box));
        ASSERT_TRUE(uidriver::PressMessageBoxButton(box, IDOK));
        EXPECT_TRUE(uidriver::WaitUntil([box] { return !IsWindow(box); }));
        EXPECT_TRUE(IsWindowVisible(run.Window()));
        EXPECT_EQ(run.Page(), uidriver::CurrentPage(run.Window()));
        EXPECT_FALSE(testsupport::ValueExists(HKEY_CURRENT_USER, kPaths, "CommonEditor"));
    }
    EXPECT_TRUE(uidriver::WaitUntil([&run] { return !run.Process().Running(); }));
    EXPECT_EQ(0, run.Process().WaitForExit(0));
    EXPECT_EQ(fits, testsupport::ReadString(HKEY_CURRENT_USER, kPaths, "CommonEditor"));
}

// The editor's key takes its value, the view-source copies' key refuses its own.
TEST_F(Journey, SettingsSavedOnlyHalfWayAreReportedAndThePageStaysOpen) {
    ASSERT_TRUE(testsupport::SetString(HKEY_CURRENT_USER, kPaths, "CommonEditor", "old.exe"));
    ASSERT_TRUE(testsupport::SetDword(HKEY_CURRENT_USER, kSource, "ExtensionFlag", 0));
    testsupport::ScopedDeniedKey denied(HKEY_CURRENT_USER, kSource);
    ASSERT_TRUE(denied.Applied()) << "Wine no longer enforces the key's DACL";
    SheetRun run(Command("/setting"));
    ASSERT_TRUE(run.FindSheet());
    ASSERT_TRUE(run.Type(IDC_EDIT_EDITOR, "new.exe"));
    ASSERT_TRUE(uidriver::Click(run.Item(IDC_EXTENSION_FLAG)));
    ASSERT_TRUE(run.Press(uidriver::kOk));
    HWND box = uidriver::WaitForMessageBox(run.Process().Id(), kCaption);
    ASSERT_NE(nullptr, box) << "a failed save passed for a saved one";
    EXPECT_EQ(LoadTextTemp(IDS_SETTINGS_NOT_SAVED), uidriver::MessageBoxText(box));
    ASSERT_TRUE(uidriver::PressMessageBoxButton(box, IDOK));
    EXPECT_TRUE(uidriver::WaitUntil([box] { return !IsWindow(box); }));
    EXPECT_TRUE(IsWindowVisible(run.Window()));
    EXPECT_EQ("new.exe", run.TextOf(IDC_EDIT_EDITOR)) << "what was typed is kept";
    EXPECT_TRUE(uidriver::IsChecked(run.Item(IDC_EXTENSION_FLAG)));
    EXPECT_EQ(0, run.Close(uidriver::kCancel)) << run.StillOpen();
    EXPECT_EQ("new.exe", testsupport::ReadString(HKEY_CURRENT_USER, kPaths, "CommonEditor"));
    DWORD type = 0;
    std::string flag;
    ASSERT_TRUE(testsupport::ReadRaw(HKEY_CURRENT_USER, kSource, "ExtensionFlag", &type, &flag));
    EXPECT_EQ(std::string(4, '\0'), flag) << "the refused key kept its value";
}

TEST_F(Journey, ApplyThenCancelOnTheSheetAMissingEditorOpenedCountsAsSaved) {
    const std::string memo = Files().Write("memo.txt");
    SheetRun run(Command(memo));
    HWND box = uidriver::WaitForMessageBox(run.Process().Id(), kCaption);
    ASSERT_NE(nullptr, box);
    ASSERT_TRUE(uidriver::PressMessageBoxButton(box, IDOK));
    ASSERT_TRUE(run.FindSheet());
    ASSERT_TRUE(run.Type(IDC_EDIT_EDITOR, Editor()));
    ASSERT_TRUE(run.Press(uidriver::kApply));
    EXPECT_TRUE(uidriver::WaitUntil([&] { return !run.ApplyEnabled(); }));
    EXPECT_EQ(0, run.Close(uidriver::kCancel)) << run.StillOpen();
    std::vector<EditorStart> starts = Log().WaitForStarts(1);
    ASSERT_EQ(1u, starts.size()) << "the request did not go on in the editor applied";
    EXPECT_TRUE(StartedBy(starts[0], Editor())) << starts[0].commandLine;
    EXPECT_EQ(Quoted(memo), starts[0].params);
}

// The administrator's settings for every user, in the native view.
class MachineSettingsJourney : public Journey {
protected:
    void SetMachine(const char* subkey, const char* value, DWORD type, const std::string& text) {
        const std::string path = std::string(testsupport::kSettingsKey) + "\\" + subkey;
        ASSERT_TRUE(testsupport::SetRaw(HKEY_LOCAL_MACHINE, path.c_str(), value, type, text.c_str(),
                                        static_cast<DWORD>(text.size() + 1), KEY_WOW64_64KEY));
    }

private:
    testsupport::KeySnapshot machine_{HKEY_LOCAL_MACHINE, testsupport::kSettingsKey,
                                      KEY_WOW64_64KEY};
};

TEST_F(MachineSettingsJourney, OkOnAnUntouchedSheetWritesNothingAndShowsPathsAsStored) {
    SetMachine("Paths", "CommonEditor", REG_EXPAND_SZ, "%SystemRoot%\\machine.exe");
    ASSERT_TRUE(testsupport::SetDword(HKEY_LOCAL_MACHINE,
                                      (std::string(testsupport::kSettingsKey) + "\\Source").c_str(),
                                      "ExtensionFlag", 1, KEY_WOW64_64KEY));
    SetMachine("Source", "Extension", REG_SZ, "xml");
    // The user's own print editor, typed with a variable.
    const std::string own = "%LOCALAPPDATA%\\Programs\\printer.exe";
    ASSERT_TRUE(testsupport::SetRaw(HKEY_CURRENT_USER, kPaths, "PrinterEditor", REG_EXPAND_SZ,
                                    own.c_str(), static_cast<DWORD>(own.size() + 1)));
    HKEY source; // the layout the first run makes
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kSource, 0, NULL, 0, KEY_READ, NULL,
                                             &source, NULL));
    RegCloseKey(source);
    const std::string before =
        testsupport::KeySnapshot::Describe(HKEY_CURRENT_USER, testsupport::kSettingsKey);
    {
        SheetRun settings(Command("/setting"));
        ASSERT_TRUE(settings.FindSheet());
        EXPECT_EQ("%SystemRoot%\\machine.exe", settings.TextOf(IDC_EDIT_EDITOR));
        EXPECT_EQ(own, settings.TextOf(IDC_PRINT_EDITOR)) << "shown as typed, not expanded";
        EXPECT_TRUE(uidriver::IsChecked(settings.Item(IDC_EXTENSION_FLAG)));
        EXPECT_EQ(0, settings.Close(uidriver::kOk)) << settings.StillOpen();
    }
    EXPECT_EQ(before,
              testsupport::KeySnapshot::Describe(HKEY_CURRENT_USER, testsupport::kSettingsKey))
        << "OK wrote what nobody changed";
    // The administrator's later choice still reaches the user.
    SetMachine("Source", "Extension", REG_SZ, "html");
    SheetRun settings(Command("/setting"));
    ASSERT_TRUE(settings.FindSheet());
    EXPECT_EQ("html", settings.TextOf(IDC_EXTENSION));
    EXPECT_EQ(0, settings.Close(uidriver::kCancel)) << settings.StillOpen();
}

// An administrator fixes the user's editor by policy: the page shows it, as
// in effect, where the user cannot change it, and OK never writes it.
TEST_F(MachineSettingsJourney, APolicyEditorIsShownLockedAndNeverWritten) {
    testsupport::KeySnapshot policies{HKEY_LOCAL_MACHINE, "Software\\Policies\\Corvalen",
                                      KEY_WOW64_64KEY};
    const std::string fixed = "C:\\Program Files\\Fleet\\editor.exe";
    ASSERT_TRUE(testsupport::SetRaw(
        HKEY_LOCAL_MACHINE, "Software\\Policies\\Corvalen\\Quillgate\\Paths", "CommonEditor",
        REG_SZ, fixed.c_str(), static_cast<DWORD>(fixed.size() + 1), KEY_WOW64_64KEY));
    ASSERT_TRUE(testsupport::SetString(HKEY_CURRENT_USER, kPaths, "CommonEditor", "C:\\mine.exe"));
    const std::string before = testsupport::KeySnapshot::Describe(HKEY_CURRENT_USER, kPaths);
    SheetRun settings(Command("/setting"));
    ASSERT_TRUE(settings.FindSheet());
    EXPECT_EQ(fixed, settings.TextOf(IDC_EDIT_EDITOR));
    EXPECT_FALSE(uidriver::IsEnabled(settings.Item(IDC_EDIT_EDITOR)));
    EXPECT_FALSE(uidriver::IsEnabled(settings.Item(IDC_EDIT_EDITOR_BROWSE)));
    EXPECT_TRUE(uidriver::IsEnabled(settings.Item(IDC_PRINT_EDITOR)));
    EXPECT_EQ(LoadTextTemp(IDS_SETTINGS_MANAGED), settings.TextOf(IDC_MANAGED_NOTE));
    // The box cannot be typed into; a program may still set its text.
    SetWindowTextA(settings.Item(IDC_EDIT_EDITOR), "C:\\other.exe");
    EXPECT_EQ(0, settings.Close(uidriver::kOk)) << settings.StillOpen();
    EXPECT_EQ(before, testsupport::KeySnapshot::Describe(HKEY_CURRENT_USER, kPaths));
}

// A paste as the keyboard's Ctrl+V makes it: the clipboard's text into the
// focused field, which takes what its limits let it.
void Paste(HWND field, const std::string& text) {
    ASSERT_TRUE(OpenClipboard(NULL));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    ASSERT_NE(nullptr, memory);
    memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    EXPECT_NE(nullptr, SetClipboardData(CF_TEXT, memory));
    CloseClipboard();
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(field, EM_SETSEL, 0, -1, SMTO_BLOCK,
                        timelimits::Scaled(timelimits::kMessageMs), &ignored);
    SendMessageTimeoutA(field, WM_PASTE, 0, 0, SMTO_BLOCK,
                        timelimits::Scaled(timelimits::kMessageMs), &ignored);
}

TEST_F(Journey, APastedEditorPathIsSavedWholeOrRefusedNeverCut) {
    // notepad.exe runs in UTF-8 and reads a path through 260 bytes.
    const std::string whole = "C:\\" + std::string(112, 'p') + ".exe"; // 120 characters
    const std::string tooLong = "C:\\" + std::string(300, 'q') + ".exe";
    SheetRun run(Command("/setting"));
    ASSERT_TRUE(run.FindSheet());
    HWND field = uidriver::ComboEdit(run.Item(IDC_EDIT_EDITOR));
    ASSERT_NO_FATAL_FAILURE(Paste(field, tooLong));
    ASSERT_TRUE(run.Press(uidriver::kOk));
    HWND box = uidriver::WaitForMessageBox(run.Process().Id(), kCaption);
    ASSERT_NE(nullptr, box) << "a cut path passed: " << run.TextOf(IDC_EDIT_EDITOR);
    EXPECT_EQ(LoadTextTemp(IDS_EDITOR_PATH_TOO_LONG), uidriver::MessageBoxText(box));
    ASSERT_TRUE(uidriver::PressMessageBoxButton(box, IDOK));
    EXPECT_TRUE(uidriver::WaitUntil([box] { return !IsWindow(box); }));
    EXPECT_FALSE(testsupport::ValueExists(HKEY_CURRENT_USER, kPaths, "CommonEditor"));

    ASSERT_NO_FATAL_FAILURE(Paste(field, whole));
    EXPECT_EQ(0, run.Close(uidriver::kOk)) << run.StillOpen();
    EXPECT_EQ(whole, testsupport::ReadString(HKEY_CURRENT_USER, kPaths, "CommonEditor"));
}

// An earlier version wrote the verb into the machine's class.
class MachineAssociationJourney : public Journey {
protected:
    void SetUp() override {
        Journey::SetUp();
        ASSERT_TRUE(testsupport::SetString(HKEY_CLASSES_ROOT, kUnknownShell, NULL, "open"));
        ASSERT_TRUE(testsupport::SetString(HKEY_CLASSES_ROOT, kUnknownShell, "bak", "openas"));
        ASSERT_TRUE(testsupport::SetString(HKEY_CLASSES_ROOT, kOpen, NULL, "Edit"));
        ASSERT_TRUE(testsupport::SetString(HKEY_CLASSES_ROOT, kCommand, NULL, "notepad.exe %1"));
    }
    // On the sheet's Settings page: unticks the association, chooses the
    // editor and presses OK.
    void UntickAndChoose(const uidriver::SettingsSheet& sheet) {
        EXPECT_TRUE(uidriver::IsChecked(sheet.Item(IDC_UNKNOWN_ASSOCIATE)));
        ASSERT_TRUE(uidriver::Click(sheet.Item(IDC_UNKNOWN_ASSOCIATE)));
        ASSERT_TRUE(sheet.Type(IDC_EDIT_EDITOR, Editor()));
        ASSERT_TRUE(sheet.Press(uidriver::kOk));
    }
    const char* kOpen = "Unknown\\shell\\open";
    const char* kCommand = "Unknown\\shell\\open\\command";
};

TEST_F(MachineAssociationJourney, AStandardUserIsToldAnAdministratorMustRemoveIt) {
    SheetRun run(Command("/setting"));
    ASSERT_TRUE(run.FindSheet());
    ASSERT_NO_FATAL_FAILURE(UntickAndChoose(run));
    HWND box = uidriver::WaitForMessageBox(run.Process().Id(), kCaption);
    ASSERT_NE(nullptr, box) << uidriver::DescribeWindows(run.Process().Id());
    EXPECT_EQ(LoadTextTemp(IDS_MACHINE_ASSOCIATION_NEEDS_ADMINISTRATOR),
              uidriver::MessageBoxText(box));
    ASSERT_TRUE(uidriver::PressMessageBoxButton(box, IDOK));
    EXPECT_TRUE(uidriver::WaitUntil([&run] { return !run.Process().Running(); }))
        << "OK did not close: " << uidriver::DescribeWindows(run.Process().Id());
    EXPECT_EQ(0, run.Process().WaitForExit(0));
    EXPECT_EQ(Editor(), testsupport::ReadString(HKEY_CURRENT_USER, kPaths, "CommonEditor"));
    EXPECT_EQ("open", testsupport::ReadString(HKEY_CLASSES_ROOT, kUnknownShell, NULL));
    EXPECT_EQ("notepad.exe %1", testsupport::ReadString(HKEY_CLASSES_ROOT, kCommand, NULL));
}

TEST_F(MachineAssociationJourney, AnAdministratorRemovesIt) {
    Program caller(Quoted(testsupport::ToolPath("elevated_caller.exe")) + " " +
                   Command("/setting"));
    uidriver::SettingsSheet sheet;
    ASSERT_TRUE(sheet.Find(0));
    ASSERT_NO_FATAL_FAILURE(UntickAndChoose(sheet));
    EXPECT_EQ(0, caller.WaitForExit())
        << "no message: " << uidriver::DescribeWindows(sheet.ProcessId());
    EXPECT_EQ(Editor(), testsupport::ReadString(HKEY_CURRENT_USER, kPaths, "CommonEditor"));
    EXPECT_EQ("openas", testsupport::ReadString(HKEY_CLASSES_ROOT, kUnknownShell, NULL));
    EXPECT_FALSE(testsupport::KeyExists(HKEY_CLASSES_ROOT, kOpen));
}

// Japanese on a Japanese system, English on every other; UILanguage in the
// user's key, else in the machine's, picks either on any system. Japanese
// texts read whole as Unicode and the controls draw them, whatever the
// system's code page.
// The machine's UILanguage, in the native registry view, gone.
void ForgetMachineLanguage() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, testsupport::kSettingsKey, 0,
                      KEY_SET_VALUE | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "UILanguage");
        RegCloseKey(key);
    }
}

TEST_F(Journey, TheSheetSpeaksTheSystemsLanguageOrTheOneChosen) {
    const char* kSettings = testsupport::kSettingsKey;
    struct Case {
        const char* user;
        const char* machine;
        bool japanese;
    };
    const bool system = testsupport::JapaneseSystem();
    const Case cases[] = {{nullptr, nullptr, system}, {"ja", nullptr, true}, {"en", nullptr, false},
                          {nullptr, "ja", true},      {"en", "ja", false},   {"de", "ja", system}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << (c.user ? c.user : "-") << " over " << (c.machine ? c.machine : "-"));
        testsupport::ResetSettings();
        ForgetMachineLanguage();
        if (c.user) {
            ASSERT_TRUE(testsupport::SetString(HKEY_CURRENT_USER, kSettings, "UILanguage", c.user));
        }
        if (c.machine) {
            ASSERT_TRUE(testsupport::SetString(HKEY_LOCAL_MACHINE, kSettings, "UILanguage",
                                               c.machine, KEY_WOW64_64KEY));
        }
        SheetRun run(Command("/setting"));
        ASSERT_TRUE(run.FindSheet());
        EXPECT_EQ(Wide(c.japanese ? "エディタの選択" : "Editors"),
                  run.WideTextOf(IDC_EDITORS_GROUP));
        EXPECT_EQ(Wide(c.japanese ? "編集用エディタ(&C)" : "&Edit editor:"),
                  run.WideTextOf(IDC_EDIT_EDITOR_LABEL));
        EXPECT_EQ(Wide(c.japanese ? "編集(&E)" : "&Edit"), run.WideTextOf(IDC_MENU_TEXT));
        const wchar_t kEdit = 0x7DE8; // 編
        if (c.japanese) {
            EXPECT_TRUE(DrawsCharacter(run.Item(IDC_EDIT_EDITOR_LABEL), kEdit));
        } else if (!system) {
            // The English page's own font, which has no Japanese to show.
            EXPECT_FALSE(DrawsCharacter(run.Item(IDC_EDIT_EDITOR_LABEL), kEdit));
        }
        EXPECT_EQ(0, run.Close(uidriver::kCancel)) << run.StillOpen();
    }
    ForgetMachineLanguage();
}

TEST_F(Journey, TheSheetOpensWithSettingsStatusAndAboutInTheSystemsLanguage) {
    SheetRun run(Command("/setting"));
    ASSERT_TRUE(run.FindSheet());
    std::vector<std::wstring> titles;
    for (int page = 0; page < 3; ++page) {
        ASSERT_TRUE(run.SelectPage(page)) << page;
        titles.push_back(uidriver::TextWide(run.Page()));
    }
    EXPECT_FALSE(run.SelectPage(3)) << "no fourth page";
    const std::vector<std::wstring> expected =
        testsupport::JapaneseSystem()
            ? std::vector<std::wstring>{Wide("設定"), Wide("状態"), Wide("バージョン情報")}
            : std::vector<std::wstring>{L"Settings", L"Status", L"About"};
    EXPECT_TRUE(expected == titles);
    EXPECT_EQ(0, run.Close(uidriver::kCancel)) << run.StillOpen();
}

// The links open through the shell's URL handlers, which this test points at
// the recorder: each click must start the handler once with the link's text.
class AboutJourney : public Journey {
protected:
    void SetUp() override {
        Journey::SetUp();
        for (const char* protocol : {"http", "mailto"}) {
            const std::string command = std::string(protocol) + "\\shell\\open\\command";
            handlers_.emplace_back(
                new testsupport::KeySnapshot(HKEY_CLASSES_ROOT, command.c_str()));
            const std::string line = Quoted(testsupport::ToolPath("recorder.exe")) + " \"%1\"";
            ASSERT_TRUE(
                testsupport::SetString(HKEY_CLASSES_ROOT, command.c_str(), NULL, line.c_str()));
        }
    }
    void TearDown() override {
        handlers_.clear();
        Journey::TearDown();
    }

private:
    std::vector<std::unique_ptr<testsupport::KeySnapshot>> handlers_;
};

TEST_F(AboutJourney, ShowsTitleVersionAndLinksThatOpenOnce) {
    SheetRun run(Command("/setting"));
    ASSERT_TRUE(run.FindSheet());
    ASSERT_TRUE(run.SelectPage(2));
    EXPECT_EQ(2, uidriver::CurrentPageIndex(run.Window()));
    EXPECT_EQ("Corvalen Quillgate", run.TextOf(IDC_ABOUT_TITLE));
    std::string version;
    ASSERT_NO_FATAL_FAILURE(ReadProductVersion(testsupport::NotepadPath(), &version));
    EXPECT_EQ("Version " + version, run.TextOf(IDC_ABOUT_VERSION));
    const std::string home = LoadTextTemp(IDS_HOME_PAGE_URL);
    const std::string mail = LoadTextTemp(IDS_MAIL_URL);
    EXPECT_EQ(0u, home.find("http://")) << home;
    EXPECT_EQ(0u, mail.find("mailto:")) << mail;
    EXPECT_EQ(home, run.TextOf(IDC_ABOUT_HOME_LINK));
    EXPECT_EQ(mail, run.TextOf(IDC_ABOUT_MAIL_LINK));

    ASSERT_TRUE(uidriver::ClickLink(run.Item(IDC_ABOUT_HOME_LINK)));
    EXPECT_EQ(Texts({Quoted(home)}), ParamsOf(Log().WaitForStarts(1)));
    ASSERT_TRUE(uidriver::ClickLink(run.Item(IDC_ABOUT_MAIL_LINK)));
    EXPECT_EQ(Texts({Quoted(home), Quoted(mail)}), ParamsOf(Log().WaitForStarts(2)));
    EXPECT_EQ(0, run.Close(uidriver::kCancel)) << run.StillOpen();
}

} // namespace
