// The built setup program run silently into the test prefix, as an
// administrator's script runs it, with the registry read back in both views.
// It installs only under a Program Files folder: each test's folder is there.
// Wine links the 32-bit view's Image File Execution Options to the 64-bit key;
// most tests give that view a key of its own, as Windows may keep one, so
// that each view is seen to get what it should.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <memory>
#include <string>

#include "resources/resource_ids.h"
#include "tests/launcher/launcher_test_support.h"
#include "tests/support/registry_guard.h"
#include "tests/support/settings_sheet.h"
#include "tests/support/wine_test_support.h"

using testsupport::KeySnapshot;
using testsupport::Quoted;
using testsupport::SeparateImageOptionsViews;

namespace {

const HKEY kMachine = HKEY_LOCAL_MACHINE;
const char kNotepadKey[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\notepad.exe";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillgate";
const REGSAM kViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
const REGSAM kSetupView = KEY_WOW64_32KEY; // the 32-bit setup program's own
const DWORD kTimeoutMs = timelimits::kSetupMs;
const int kRestartNeeded = ERROR_SUCCESS_REBOOT_REQUIRED; // 3010, as installers report it
// The default-apps registration, in the 64-bit view where Windows reads it.
const char kRegisteredApps[] = "Software\\RegisteredApplications";
const std::string kCapabilities = std::string(testsupport::kSettingsKey) + "\\Capabilities";
const char kProgId[] = "Software\\Classes\\Quillgate.txt";
const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char kPendingRenames[] = "PendingFileRenameOperations";
// The editors Setup chooses for every user, in the 64-bit view where notepad.exe reads them.
const char* const kMachinePaths = testsupport::kPathsKey;
const char kWindowsNotepad[] = "%SystemRoot%\\System32\\notepad.exe";
// Where Wine's Task Scheduler keeps the start-up task (the 64-bit System32).
const char kTaskFile[] = "C:\\windows\\sysnative\\tasks\\Quillgate Repair";
// Windows 11's filter subkeys, each as Windows ships it: the Store Notepad's redirect.
const char* const kStockFilters[][2] = {{"0", "C:\\Windows\\System32\\notepad.exe"},
                                        {"1", "C:\\Windows\\SysWOW64\\notepad.exe"},
                                        {"2", "C:\\Windows\\notepad.exe"}};

std::string Subkey(const char* name) {
    return std::string(kNotepadKey) + "\\" + name;
}

std::string Debugger(const std::string& key, REGSAM view) {
    return testsupport::ReadString(kMachine, key.c_str(), "Debugger", view);
}

// "expand: <text>", "text: <text>" or "none", as the machine's editor setting `name` reads
// (or the installing user's own, from `root` HKEY_CURRENT_USER).
std::string MachineEditor(const char* name, HKEY root = kMachine) {
    DWORD type = 0;
    std::string data;
    if (!testsupport::ReadRaw(root, kMachinePaths, name, &type, &data, KEY_WOW64_64KEY)) {
        return "none";
    }
    return std::string(type == REG_EXPAND_SZ ? "expand: "
                       : type == REG_SZ      ? "text: "
                                             : "other: ") +
           data.c_str();
}

std::string Environment(const char* name) {
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA(name, path, sizeof path);
    return length > 0 && length < sizeof path ? path : "";
}

std::string LocalAppData() {
    return Environment("LOCALAPPDATA");
}

// The key as a Windows update leaves it: no Debugger in the main key, each filter subkey
// put back with the Store redirect and nothing else.
void PutBackAsWindowsShipsIt(REGSAM view) {
    HKEY key;
    if (RegOpenKeyExA(kMachine, kNotepadKey, 0, KEY_SET_VALUE | view, &key) == 0) {
        RegDeleteValueA(key, "Debugger");
        RegCloseKey(key);
    }
    testsupport::SetDword(kMachine, kNotepadKey, "UseFilter", 1, view);
    for (const auto& filter : kStockFilters) {
        const std::string subkey = Subkey(filter[0]);
        testsupport::DeleteKeyTree(kMachine, subkey.c_str(), view);
        testsupport::SetString(kMachine, subkey.c_str(), "FilterFullPath", filter[1], view);
        testsupport::SetDword(kMachine, subkey.c_str(), "AppExecutionAliasRedirect", 1, view);
        testsupport::SetString(kMachine, subkey.c_str(), "AppExecutionAliasRedirectPackages",
                               "Microsoft.WindowsNotepad_8wekyb3d8bbwe", view);
    }
}

// What the installed notepad.exe's Status page shows, read as a user reads it.
struct StatusShown {
    std::wstring places, editor, editorSource;
    bool repairEnabled = false;
};

void ReadStatusPage(const std::string& notepad, StatusShown* shown) {
    uidriver::SheetRun run(Quoted(notepad) + " /setting");
    ASSERT_TRUE(run.FindSheet());
    ASSERT_TRUE(run.SelectPage(1));
    shown->places = run.WideTextOf(IDC_STATUS_PLACES);
    shown->editor = run.WideTextOf(IDC_STATUS_EDIT_EDITOR);
    shown->editorSource = run.WideTextOf(IDC_STATUS_EDIT_SOURCE);
    shown->repairEnabled = uidriver::IsEnabled(run.Item(IDC_STATUS_REPAIR));
    EXPECT_EQ(0, run.Close(uidriver::kCancel)) << run.StillOpen();
}

// A text as the page shows it in the system's language.
std::wstring Shown(const char* japaneseUtf8, const char* english) {
    return testsupport::Wide(testsupport::JapaneseSystem() ? japaneseUtf8 : english);
}

// The Status page's lines for the main key and Windows 11's filter subkeys,
// each state first, where it is seen at a glance.
std::wstring PlaceLines(const std::wstring& mainState, const std::wstring& filterState) {
    std::wstring lines =
        mainState + L": " + Shown("すべての notepad.exe", "Any notepad.exe") + L"\r\n";
    for (const auto& filter : kStockFilters) {
        lines += filterState + L": " + testsupport::Wide(filter[1]) + L"\r\n";
    }
    return lines;
}

std::string SettingsShortcut() {
    char programs[MAX_PATH];
    if (FAILED(SHGetFolderPathA(NULL, CSIDL_COMMON_PROGRAMS, NULL, 0, programs))) {
        return "";
    }
    return std::string(programs) + "\\" +
           testsupport::Localized("Quillgate の設定", "Quillgate Settings") + ".lnk";
}

// Both views' notepad.exe key trees, the uninstall key, the default-apps registration and
// the user's settings.
std::string RegistryState() {
    std::string state;
    for (REGSAM view : kViews) {
        state += KeySnapshot::Describe(kMachine, kNotepadKey, view) + "--\n";
    }
    return state + KeySnapshot::Describe(kMachine, kUninstallKey, kSetupView) + "--\n" +
           KeySnapshot::Describe(kMachine, "Software\\Corvalen", KEY_WOW64_64KEY) +
           KeySnapshot::Describe(kMachine, kProgId, KEY_WOW64_64KEY) +
           testsupport::ReadString(kMachine, kRegisteredApps, "Quillgate", KEY_WOW64_64KEY) +
           KeySnapshot::Describe(HKEY_CURRENT_USER, "Software\\Corvalen");
}

// The renames a restart is to make, put back as they were when it goes.
class PendingRenames {
public:
    ~PendingRenames() {
        HKEY key;
        if (saved_) {
            testsupport::SetRaw(kMachine, kSessionManager, kPendingRenames, type_, data_.data(),
                                static_cast<DWORD>(data_.size()));
        } else if (RegOpenKeyExA(kMachine, kSessionManager, 0, KEY_SET_VALUE, &key) == 0) {
            RegDeleteValueA(key, kPendingRenames);
            RegCloseKey(key);
        }
    }
    // Whether the list (NT paths, each name ended by a NUL) holds `text`,
    // which starts at a name: "!" marks a target to replace, "" deletes.
    static bool Holds(const std::string& text) {
        DWORD type;
        std::string data;
        testsupport::ReadRaw(kMachine, kSessionManager, kPendingRenames, &type, &data);
        return (std::string(1, '\0') + data).find(std::string(1, '\0') + text) != std::string::npos;
    }

private:
    DWORD type_ = 0;
    std::string data_;
    bool saved_ = testsupport::ReadRaw(kMachine, kSessionManager, kPendingRenames, &type_, &data_);
};

class Installer : public testing::Test {
protected:
    void SetUp() override {
        // Wine would add a menu entry of the host's for each shortcut Setup makes.
        const std::string overrides = Environment("WINEDLLOVERRIDES");
        if (overrides.find("winemenubuilder") == std::string::npos) {
            SetEnvironmentVariableA("WINEDLLOVERRIDES",
                                    (overrides + ";winemenubuilder.exe=d").c_str());
        }
        for (REGSAM view : kViews) {
            testsupport::DeleteKeyTree(kMachine, kNotepadKey, view);
        }
        testsupport::DeleteKeyTree(kMachine, kUninstallKey, kSetupView);
        testsupport::DeleteKeyTree(kMachine, "Software\\Corvalen", KEY_WOW64_64KEY);
        testsupport::DeleteKeyTree(kMachine, kProgId, KEY_WOW64_64KEY);
        testsupport::ResetSettings();
    }

    int Install(const std::string& folder = std::string(),
                const std::string& options = std::string()) const {
        std::string setup =
            testsupport::BuildDir() + "\\quillgate-" QUILLGATE_VERSION_TEXT "-setup.exe";
        return testsupport::RunProcess(Quoted(setup) + " /S " + options + " /D=" + Or(folder),
                                       kTimeoutMs);
    }
    // In place (_?=), not from a copy in %TEMP%, so that its end is the end.
    int Uninstall(const std::string& folder = std::string()) const {
        return testsupport::RunProcess(
            Quoted(Or(folder) + "\\uninstall.exe") + " /S _?=" + Or(folder), kTimeoutMs);
    }
    const std::string& Folder() const { return folder_; }
    std::string File(const char* name) const { return folder_ + "\\" + name; }
    // What the setup program writes: its notepad.exe, quoted, and /z.
    std::string Entry(const std::string& folder = std::string()) const {
        return Quoted(Or(folder) + "\\notepad.exe") + " /z";
    }
    // What the start-up task runs at each start of Windows, and Apps' Repair without /S.
    // Wine stores the task without its action, so the command is given here.
    int RunStartupTask() const {
        return testsupport::RunProcess(Quoted(File("uninstall.exe")) + " /REPAIR /S _?=" + Folder(),
                                       kTimeoutMs);
    }
    std::string Scratch(const char* name) const { return scratch_.File(name); }
    // A folder under Program Files, where Setup installs.
    std::string Programs(const char* name) const { return programs_.File(name); }
    std::string WriteScratch(const char* name) const { return scratch_.Write(name); }

private:
    // Declared first, so they put the registry back last.
    KeySnapshot notepad64_{kMachine, kNotepadKey, KEY_WOW64_64KEY};
    KeySnapshot notepad32_{kMachine, kNotepadKey, KEY_WOW64_32KEY};
    KeySnapshot uninstall_{kMachine, kUninstallKey, kSetupView};
    KeySnapshot company_{kMachine, "Software\\Corvalen", KEY_WOW64_64KEY};
    KeySnapshot progId_{kMachine, kProgId, KEY_WOW64_64KEY};
    KeySnapshot registeredApps_{kMachine, kRegisteredApps, KEY_WOW64_64KEY};
    KeySnapshot settings_{HKEY_CURRENT_USER, "Software\\Corvalen"};
    testsupport::ScratchDir scratch_{testsupport::TempPath("installer")};
    testsupport::ScratchDir programs_{Environment("ProgramFiles") + "\\Quillgate Tests"};
    std::string folder_ = programs_.File("Quillgate");
    const std::string& Or(const std::string& folder) const {
        return folder.empty() ? folder_ : folder;
    }
};

TEST_F(Installer, WithoutANotepadKeyEachViewGetsTheEntryAndUninstallingRemovesTheKey) {
    for (bool separate : {false, true}) {
        SCOPED_TRACE(separate ? "separate views" : "one key shared by both views");
        std::unique_ptr<SeparateImageOptionsViews> views(separate ? new SeparateImageOptionsViews
                                                                  : nullptr);
        ASSERT_EQ(0, Install());
        for (REGSAM view : kViews) {
            EXPECT_EQ(Entry(), Debugger(kNotepadKey, view)) << view;
        }
        EXPECT_EQ(testsupport::ReadFile(testsupport::NotepadPath()),
                  testsupport::ReadFile(File("notepad.exe")));
        ASSERT_EQ(0, Uninstall());
        for (REGSAM view : kViews) {
            EXPECT_FALSE(testsupport::KeyExists(kMachine, kNotepadKey, view)) << view;
        }
        EXPECT_FALSE(testsupport::FileExists(File("notepad.exe")));
        EXPECT_FALSE(testsupport::KeyExists(kMachine, kUninstallKey, kSetupView));
    }
}

TEST_F(Installer, AddRemoveProgramsNamesTheProgramAndItsQuietUninstall) {
    ASSERT_EQ(0, Install());
    auto value = [](const char* name) {
        return testsupport::ReadString(kMachine, kUninstallKey, name, kSetupView);
    };
    EXPECT_EQ("Quillgate", value("DisplayName"));
    EXPECT_EQ(QUILLGATE_VERSION_TEXT, value("DisplayVersion"));
    EXPECT_EQ("Corvalen", value("Publisher"));
    EXPECT_EQ(Quoted(File("uninstall.exe")), value("UninstallString"));
    EXPECT_EQ(Quoted(File("uninstall.exe")) + " /S", value("QuietUninstallString"));
    EXPECT_EQ(Folder(), value("InstallLocation"));
    EXPECT_EQ(Quoted(File("notepad.exe")) + ",0", value("DisplayIcon"));
    // Apps' Repair runs the repair in place.
    EXPECT_EQ(Quoted(File("uninstall.exe")) + " /REPAIR _?=" + Folder(), value("ModifyPath"));
    DWORD type = 0;
    std::string noRepair;
    ASSERT_TRUE(
        testsupport::ReadRaw(kMachine, kUninstallKey, "NoRepair", &type, &noRepair, kSetupView));
    EXPECT_EQ(std::string(4, '\0'), noRepair);
    EXPECT_TRUE(testsupport::FileExists(File("uninstall.exe")));
    ASSERT_EQ(0, Uninstall());
}

TEST_F(Installer, AWindows11FilterLayoutGetsTheEntryInEachFilterAndKeepsTheRest) {
    SeparateImageOptionsViews views;
    const char* const filters[][2] = {{"0", "C:\\Windows\\System32\\notepad.exe"},
                                      {"1", "C:\\Windows\\SysWOW64\\notepad.exe"},
                                      {"2", "C:\\Windows\\notepad.exe"}};
    for (REGSAM view : kViews) {
        ASSERT_TRUE(testsupport::SetDword(kMachine, kNotepadKey, "UseFilter", 1, view));
        for (const auto& filter : filters) {
            ASSERT_TRUE(testsupport::SetString(kMachine, Subkey(filter[0]).c_str(),
                                               "FilterFullPath", filter[1], view));
        }
        ASSERT_TRUE(testsupport::SetString(kMachine, Subkey("Other").c_str(), "Note", "x", view));
    }
    const std::string before = RegistryState();
    ASSERT_EQ(0, Install());
    for (REGSAM view : kViews) {
        EXPECT_EQ(Entry(), Debugger(kNotepadKey, view)) << view;
        for (const auto& filter : filters) {
            EXPECT_EQ(Entry(), Debugger(Subkey(filter[0]), view)) << view << filter[0];
        }
        EXPECT_FALSE(testsupport::ValueExists(kMachine, Subkey("Other").c_str(), "Debugger", view));
    }
    ASSERT_EQ(0, Uninstall());
    EXPECT_EQ(before, RegistryState());
}

TEST_F(Installer, AForeignDebuggerEntryIsLeftAloneWhileFreePlacesGetTheEntry) {
    SeparateImageOptionsViews views;
    const char foreign[] = "\"C:\\Tools\\Other Editor\\notepad.exe\" /z";
    const char expandable[] = "%ProgramFiles%\\Other\\other.exe";
    ASSERT_TRUE(
        testsupport::SetString(kMachine, kNotepadKey, "Debugger", foreign, KEY_WOW64_64KEY));
    const std::string zero = Subkey("0"), one = Subkey("1");
    ASSERT_TRUE(testsupport::SetString(kMachine, zero.c_str(), "FilterFullPath",
                                       "C:\\Windows\\System32\\notepad.exe", KEY_WOW64_32KEY));
    ASSERT_TRUE(testsupport::SetRaw(kMachine, zero.c_str(), "Debugger", REG_EXPAND_SZ, expandable,
                                    sizeof expandable, KEY_WOW64_32KEY));
    ASSERT_TRUE(testsupport::SetString(kMachine, one.c_str(), "FilterFullPath",
                                       "C:\\Windows\\SysWOW64\\notepad.exe", KEY_WOW64_32KEY));
    const std::string before = RegistryState();
    const std::string before64 = KeySnapshot::Describe(kMachine, kNotepadKey, KEY_WOW64_64KEY);
    ASSERT_EQ(0, Install());
    EXPECT_EQ(before64, KeySnapshot::Describe(kMachine, kNotepadKey, KEY_WOW64_64KEY));
    EXPECT_EQ(Entry(), Debugger(kNotepadKey, KEY_WOW64_32KEY));
    EXPECT_EQ(expandable, Debugger(zero, KEY_WOW64_32KEY));
    EXPECT_EQ(Entry(), Debugger(one, KEY_WOW64_32KEY));
    ASSERT_EQ(0, Uninstall());
    EXPECT_EQ(before, RegistryState());
}

TEST_F(Installer, AnEntryTakenOverAfterInstallingIsLeftByTheUninstaller) {
    SeparateImageOptionsViews views;
    ASSERT_EQ(0, Install());
    const char other[] = "C:\\Tools\\other.exe";
    ASSERT_TRUE(testsupport::SetString(kMachine, kNotepadKey, "Debugger", other, KEY_WOW64_32KEY));
    ASSERT_EQ(0, Uninstall());
    EXPECT_FALSE(testsupport::KeyExists(kMachine, kNotepadKey, KEY_WOW64_64KEY));
    EXPECT_EQ(other, Debugger(kNotepadKey, KEY_WOW64_32KEY));
}

TEST_F(Installer, InstallingThenUninstallingLeavesTheRegistryAsItWas) {
    SeparateImageOptionsViews views;
    // The 32-bit view has a key with a setting of its own; the 64-bit view none.
    ASSERT_TRUE(testsupport::SetDword(kMachine, kNotepadKey, "GlobalFlag", 0x200, KEY_WOW64_32KEY));
    const std::string before = RegistryState();
    ASSERT_EQ(0, Install());
    ASSERT_NE(before, RegistryState());
    ASSERT_EQ(0, Uninstall());
    EXPECT_EQ(before, RegistryState());
}

TEST_F(Installer, InstallingAgainTakesItsOwnEntryHoweverCasedAndUninstallingStillRemovesIt) {
    SeparateImageOptionsViews views;
    ASSERT_EQ(0, Install());
    // The path in capitals, which Windows takes for the same; " /z" as it was.
    std::string spelled = Entry();
    CharUpperBuffA(&spelled[0], static_cast<DWORD>(spelled.size() - 3));
    ASSERT_TRUE(testsupport::SetString(kMachine, kNotepadKey, "Debugger", spelled.c_str(),
                                       KEY_WOW64_64KEY));
    ASSERT_EQ(0, Install());
    for (REGSAM view : kViews) {
        EXPECT_EQ(Entry(), Debugger(kNotepadKey, view)) << view;
    }
    ASSERT_EQ(0, Uninstall());
    for (REGSAM view : kViews) {
        EXPECT_FALSE(testsupport::KeyExists(kMachine, kNotepadKey, view)) << view;
    }
    EXPECT_FALSE(testsupport::KeyExists(kMachine, kUninstallKey, kSetupView));
}

TEST_F(Installer, InstallingElsewhereTakesOverEarlierEntriesAndRemovesTheRecordedInstall) {
    SeparateImageOptionsViews views;
    const std::string before = RegistryState();
    ASSERT_EQ(0, Install());
    // A copy registered by hand, in no Apps entry: Quillgate's by its version resource.
    const std::string copyEntry = Quoted(Scratch("Copy\\notepad.exe")) + " /z";
    ASSERT_TRUE(CreateDirectoryA(Scratch("Copy").c_str(), NULL));
    ASSERT_TRUE(
        CopyFileA(testsupport::NotepadPath().c_str(), Scratch("Copy\\notepad.exe").c_str(), FALSE));
    ASSERT_TRUE(testsupport::SetString(kMachine, kNotepadKey, "Debugger", copyEntry.c_str(),
                                       KEY_WOW64_32KEY));
    const std::string other = Programs("Other Folder");
    ASSERT_EQ(0, Install(other));
    for (REGSAM view : kViews) {
        EXPECT_EQ(Entry(other), Debugger(kNotepadKey, view)) << view;
    }
    EXPECT_EQ(other,
              testsupport::ReadString(kMachine, kUninstallKey, "InstallLocation", kSetupView));
    EXPECT_FALSE(testsupport::FileExists(Folder())) << "the earlier install's files and folder";
    EXPECT_TRUE(testsupport::FileExists(Scratch("Copy\\notepad.exe"))) << "left, and named";
    ASSERT_EQ(0, Uninstall(other));
    EXPECT_EQ(before, RegistryState());
}

TEST_F(Installer, AFileInUseIsReplacedAtRestartWhichBothWaysReport) {
    ASSERT_EQ(0, Install());
    PendingRenames pending;
    auto start = [this] {
        return testsupport::StartProcess(Quoted(File("notepad.exe")) + " /setting",
                                         testsupport::kSystemShowState, NULL);
    };
    auto stop = [](HANDLE process) {
        TerminateProcess(process, 0);
        WaitForSingleObject(process, timelimits::Scaled(kTimeoutMs));
        CloseHandle(process);
    };
    HANDLE running = start();
    ASSERT_TRUE(running);
    EXPECT_EQ(kRestartNeeded, Install());
    const std::string target = "\\??\\" + File("notepad.exe"), end(1, '\0');
    EXPECT_TRUE(PendingRenames::Holds("!" + target + end)) << "a new copy replaces it";
    for (REGSAM view : kViews) {
        EXPECT_EQ(Entry(), Debugger(kNotepadKey, view)) << view;
    }
    stop(running);
    // Installed again once free: no copy is left to replace this one at the restart.
    ASSERT_EQ(0, Install());
    WIN32_FIND_DATAA found;
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA(File("ns*.tmp").c_str(), &found));
    running = start();
    EXPECT_EQ(kRestartNeeded, Uninstall());
    EXPECT_TRUE(PendingRenames::Holds(target + end + end)) << "deleted at restart";
    EXPECT_FALSE(testsupport::KeyExists(kMachine, kNotepadKey, KEY_WOW64_64KEY));
    EXPECT_FALSE(testsupport::KeyExists(kMachine, kUninstallKey, kSetupView));
    stop(running);
}

TEST_F(Installer, InstallingAgainBeforeTheRestartCancelsThePendingDeleteOfItsFiles) {
    ASSERT_EQ(0, Install());
    PendingRenames pending;
    const std::string other = WriteScratch("other program.tmp");
    ASSERT_TRUE(MoveFileExA(other.c_str(), NULL, MOVEFILE_DELAY_UNTIL_REBOOT));
    HANDLE running = testsupport::StartProcess(Quoted(File("notepad.exe")) + " /setting",
                                               testsupport::kSystemShowState, NULL);
    ASSERT_TRUE(running);
    const std::string target = "\\??\\" + File("notepad.exe"), end(1, '\0');
    EXPECT_EQ(kRestartNeeded, Uninstall());
    EXPECT_TRUE(PendingRenames::Holds(target + end + end)) << "deleted at restart";
    // Still in use: the new copy replaces it at the restart, and nothing deletes it then.
    EXPECT_EQ(kRestartNeeded, Install());
    EXPECT_FALSE(PendingRenames::Holds(target + end + end));
    EXPECT_FALSE(PendingRenames::Holds("\\??\\" + Folder() + end + end));
    EXPECT_TRUE(PendingRenames::Holds("!" + target + end));
    EXPECT_TRUE(PendingRenames::Holds("\\??\\" + other + end + end)) << "another program's";
    TerminateProcess(running, 0);
    WaitForSingleObject(running, timelimits::Scaled(kTimeoutMs));
    CloseHandle(running);
    ASSERT_EQ(0, Install());
    ASSERT_EQ(0, Uninstall());
}

TEST_F(Installer, UninstallingRemovesItsEntryFromFiltersItNeverRecordedAndKeepsOthers) {
    SeparateImageOptionsViews views;
    ASSERT_EQ(0, Install());
    // Filters renumbered after the install: the uninstall record names neither.
    const std::string ours = Subkey("7"), theirs = Subkey("8");
    const char other[] = "C:\\Tools\\other.exe";
    std::string spelled = Entry();
    CharUpperBuffA(&spelled[0], static_cast<DWORD>(spelled.size()));
    for (REGSAM view : kViews) {
        for (const std::string* key : {&ours, &theirs}) {
            ASSERT_TRUE(testsupport::SetString(kMachine, key->c_str(), "FilterFullPath",
                                               "C:\\Windows\\notepad.exe", view));
        }
        ASSERT_TRUE(
            testsupport::SetString(kMachine, ours.c_str(), "Debugger", spelled.c_str(), view));
        ASSERT_TRUE(testsupport::SetString(kMachine, theirs.c_str(), "Debugger", other, view));
    }
    ASSERT_EQ(0, Uninstall());
    for (REGSAM view : kViews) {
        EXPECT_FALSE(testsupport::ValueExists(kMachine, ours.c_str(), "Debugger", view)) << view;
        EXPECT_EQ(other, Debugger(theirs, view)) << view;
    }
}

TEST_F(Installer, AFreshInstallThatCannotWriteItsFileFailsAndRegistersNothing) {
    const std::string before = RegistryState();
    // A folder in the file's place: no write can succeed, however often tried.
    ASSERT_TRUE(CreateDirectoryA(Folder().c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA(File("notepad.exe").c_str(), NULL));
    EXPECT_NE(0, Install());
    EXPECT_EQ(before, RegistryState());
}

TEST_F(Installer, TextFilesCanBeGivenToQuillgateInDefaultAppsUntilItIsUninstalled) {
    const std::string before = RegistryState();
    ASSERT_EQ(0, Install());
    auto value = [](const std::string& key, const char* name) {
        return testsupport::ReadString(kMachine, key.c_str(), name, KEY_WOW64_64KEY);
    };
    EXPECT_EQ(kCapabilities, value(kRegisteredApps, "Quillgate"));
    EXPECT_EQ("Quillgate", value(kCapabilities, "ApplicationName"));
    EXPECT_NE("", value(kCapabilities, "ApplicationDescription"));
    const std::string associations = std::string(kCapabilities) + "\\FileAssociations";
    EXPECT_EQ("Quillgate.txt", value(associations, ".txt"));
    EXPECT_EQ("Quillgate.txt", value(associations, ".log"));
    const std::string program = Quoted(File("notepad.exe"));
    const std::string verbs = std::string(kProgId) + "\\shell\\";
    EXPECT_EQ(program + " \"%1\"", value(verbs + "open\\command", ""));
    EXPECT_EQ(program + " /p \"%1\"", value(verbs + "print\\command", ""));
    EXPECT_EQ(program + " /pt \"%1\" \"%2\" \"%3\" \"%4\"", value(verbs + "printto\\command", ""));
    ASSERT_EQ(0, Uninstall());
    EXPECT_EQ(before, RegistryState());
}

TEST_F(Installer, AFolderOutsideProgramFilesIsRefusedBeforeAnythingIsWrittenOrRegistered) {
    const std::string programs = Environment("ProgramFiles");
    ASSERT_NE("", programs);
    const std::string before = RegistryState();
    for (const std::string& folder : {std::string("C:\\Quillgate"), programs + " Evil\\Quillgate",
                                      programs + "\\..\\Quillgate", programs}) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(2, Install(folder));
        EXPECT_EQ(before, RegistryState());
        EXPECT_FALSE(testsupport::FileExists(folder + "\\notepad.exe"));
        EXPECT_FALSE(testsupport::FileExists(folder + "\\uninstall.exe"));
    }
    EXPECT_FALSE(testsupport::FileExists("C:\\Quillgate"));
    EXPECT_FALSE(testsupport::FileExists(programs + " Evil"));
    testsupport::RemoveTree("C:\\Quillgate");
    testsupport::RemoveTree(programs + " Evil");
}

TEST_F(Installer, ASilentInstallWritesTheEditorItIsGivenAndKeepsWhatItIsNotGiven) {
    const std::string notepad = std::string("expand: ") + kWindowsNotepad;
    const std::string profile = LocalAppData();
    ASSERT_NE("", profile);
    const std::string admins = "text: C:\\Tools\\print.exe";
    // What the machine's print editor is before; the editors after, the machine's and then the
    // installing user's own.
    const struct {
        const char* printer;
        std::string options, editor, printerAfter, userEditor;
    } cases[] = {
        {NULL, "", notepad, notepad, "none"},
        {NULL, "/EDITOR=C:\\Tools\\Notepad++\\notepad++.exe",
         "text: C:\\Tools\\Notepad++\\notepad++.exe", "text: C:\\Tools\\Notepad++\\notepad++.exe",
         "none"},
        {"C:\\Tools\\print.exe", "/EDITOR=C:\\Tools\\Notepad++\\notepad++.exe",
         "text: C:\\Tools\\Notepad++\\notepad++.exe", admins, "none"},
        {"C:\\Tools\\print.exe", "/EDITOR=C:\\Tools\\a.exe /PRINTEDITOR=C:\\Tools\\b.exe",
         "text: C:\\Tools\\a.exe", "text: C:\\Tools\\b.exe", "none"},
        // Found only in the installing user's profile: that user's own, not every user's.
        {NULL, "/EDITOR=" + Quoted(profile + "\\Programs\\Some Editor\\Code.exe"), notepad, notepad,
         "expand: %LOCALAPPDATA%\\Programs\\Some Editor\\Code.exe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        testsupport::DeleteKeyTree(kMachine, "Software\\Corvalen", KEY_WOW64_64KEY);
        testsupport::ResetSettings();
        if (c.printer) {
            ASSERT_TRUE(testsupport::SetString(kMachine, kMachinePaths, "PrinterEditor", c.printer,
                                               KEY_WOW64_64KEY));
        }
        ASSERT_EQ(0, Install(std::string(), c.options));
        EXPECT_EQ(c.editor, MachineEditor("CommonEditor"));
        EXPECT_EQ(c.printerAfter, MachineEditor("PrinterEditor"));
        EXPECT_EQ(c.userEditor, MachineEditor("CommonEditor", HKEY_CURRENT_USER));
    }
    // Given nothing, it keeps what there is; uninstalling removes what it wrote and nothing else.
    ASSERT_TRUE(testsupport::SetString(kMachine, kMachinePaths, "PrinterEditor",
                                       "C:\\Tools\\print.exe", KEY_WOW64_64KEY));
    ASSERT_EQ(0, Install());
    EXPECT_EQ(notepad, MachineEditor("CommonEditor"));
    EXPECT_EQ(admins, MachineEditor("PrinterEditor"));
    EXPECT_EQ(cases[4].userEditor, MachineEditor("CommonEditor", HKEY_CURRENT_USER));
    ASSERT_EQ(0, Uninstall());
    EXPECT_EQ("none", MachineEditor("CommonEditor"));
    EXPECT_EQ(admins, MachineEditor("PrinterEditor"));
    EXPECT_FALSE(testsupport::KeyExists(HKEY_CURRENT_USER, testsupport::kSettingsKey));
}

TEST_F(Installer, SetupRunAsWingetRunsItInstallsIntoTheGivenFolderWithTheGivenEditor) {
    const std::string editor = Programs("Some Editor\\editor.exe");
    const std::string setup =
        testsupport::BuildDir() + "\\quillgate-" QUILLGATE_VERSION_TEXT "-setup.exe";
    // winget's order: /S first, custom switches, then --location as /D= last, unquoted.
    ASSERT_EQ(0,
              testsupport::RunProcess(
                  Quoted(setup) + " /S /EDITOR=" + Quoted(editor) + " /D=" + Folder(), kTimeoutMs));
    EXPECT_TRUE(testsupport::FileExists(File("notepad.exe")));
    for (REGSAM view : kViews) {
        EXPECT_EQ(Entry(), Debugger(kNotepadKey, view)) << view;
    }
    EXPECT_EQ("text: " + editor, MachineEditor("CommonEditor"));
    ASSERT_EQ(0, Uninstall());
}

TEST_F(Installer, AfterASilentInstallWithAnEditorNotepadOpensFilesInIt) {
    testsupport::ResetSettings(); // no editor of the user's own
    testsupport::ScratchDir editors(LocalAppData() + "\\Quillgate Test Editor");
    const std::string editor = editors.File("editor.exe");
    ASSERT_TRUE(CopyFileA(testsupport::ToolPath("recorder.exe").c_str(), editor.c_str(), FALSE));
    ASSERT_EQ(0, Install(std::string(), "/EDITOR=" + Quoted(editor)));
    launchertest::RecorderLog log;
    const std::string file = WriteScratch("a note.txt");
    launchertest::RunAnswering(Quoted(File("notepad.exe")) + " " + Quoted(file));
    const auto starts = log.WaitForStarts(1);
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ(Quoted(file), starts[0].params);
    ASSERT_EQ(0, Uninstall());
}

TEST_F(Installer, TheStartupTaskPutsBackWhatAWindowsUpdateResetAndLeavesAnotherProgramsEntry) {
    SeparateImageOptionsViews views;
    for (REGSAM view : kViews) {
        PutBackAsWindowsShipsIt(view);
    }
    ASSERT_EQ(0, Install());
    for (REGSAM view : kViews) {
        PutBackAsWindowsShipsIt(view);
    }
    const std::string theirs = Subkey("2");
    const char other[] = "C:\\Tools\\other.exe";
    ASSERT_TRUE(
        testsupport::SetString(kMachine, theirs.c_str(), "Debugger", other, KEY_WOW64_64KEY));
    EXPECT_EQ(1, RunStartupTask()) << "another program's entry is named";
    for (REGSAM view : kViews) {
        EXPECT_EQ(Entry(), Debugger(kNotepadKey, view)) << view;
        for (const auto& filter : kStockFilters) {
            const std::string subkey = Subkey(filter[0]);
            EXPECT_EQ(view == KEY_WOW64_64KEY && subkey == theirs ? other : Entry(),
                      Debugger(subkey, view))
                << view << filter[0];
            EXPECT_EQ(filter[1],
                      testsupport::ReadString(kMachine, subkey.c_str(), "FilterFullPath", view));
        }
    }
    // Put back, every place is as Setup left it: the next start writes nothing.
    testsupport::DeleteKeyTree(kMachine, theirs.c_str(), KEY_WOW64_64KEY);
    ASSERT_EQ(0, RunStartupTask());
    const std::string repaired = RegistryState();
    EXPECT_EQ(0, RunStartupTask());
    EXPECT_EQ(repaired, RegistryState());
    ASSERT_EQ(0, Uninstall());
}

TEST_F(Installer, WithNothingChangedSinceSetupTheStartupTaskWritesNothing) {
    for (bool separate : {false, true}) {
        SCOPED_TRACE(separate ? "separate views" : "one key shared by both views");
        std::unique_ptr<SeparateImageOptionsViews> views(separate ? new SeparateImageOptionsViews
                                                                  : nullptr);
        PutBackAsWindowsShipsIt(KEY_WOW64_64KEY);
        PutBackAsWindowsShipsIt(KEY_WOW64_32KEY);
        ASSERT_EQ(0, Install());
        const std::string installed = RegistryState();
        EXPECT_EQ(0, RunStartupTask());
        EXPECT_EQ(installed, RegistryState());
        ASSERT_EQ(0, Uninstall());
    }
}

TEST_F(Installer, TheStartupTaskAndTheSettingsEntryComeWithSetupAndGoWithTheUninstaller) {
    const std::string shortcut = SettingsShortcut();
    for (const char* options : {"", "/NOTASK"}) {
        SCOPED_TRACE(options);
        const bool task = options[0] == '\0';
        ASSERT_EQ(0, Install(std::string(), options));
        EXPECT_EQ(task, testsupport::FileExists(kTaskFile));
        EXPECT_TRUE(testsupport::FileExists(shortcut)) << shortcut;
        ASSERT_EQ(0, Uninstall());
        EXPECT_FALSE(testsupport::FileExists(kTaskFile));
        EXPECT_FALSE(testsupport::FileExists(shortcut));
    }
}

} // namespace

namespace {

TEST_F(Installer, TheStatusPageShowsWhatAWindowsUpdateResetAndTheRepairPutBack) {
    SeparateImageOptionsViews views;
    for (REGSAM view : kViews) {
        PutBackAsWindowsShipsIt(view);
    }
    ASSERT_EQ(0, Install());
    const std::wstring forwarded = Shown("Quillgate に転送", "Forwarded to Quillgate");
    StatusShown shown;
    ASSERT_NO_FATAL_FAILURE(ReadStatusPage(File("notepad.exe"), &shown));
    EXPECT_EQ(PlaceLines(forwarded, forwarded), shown.places);
    EXPECT_FALSE(shown.repairEnabled) << "nothing to repair";
    // Setup's editor for every user, the user having none.
    char notepad[MAX_PATH];
    ASSERT_NE(0u, ExpandEnvironmentStringsA(kWindowsNotepad, notepad, sizeof notepad));
    EXPECT_EQ(0, lstrcmpiW((Shown("編集用: ", "Edit: ") + testsupport::Wide(notepad)).c_str(),
                           shown.editor.c_str()));
    EXPECT_EQ(
        Shown("コンピューターの設定、ファイルあり", "The computer's setting; the file is there"),
        shown.editorSource);

    for (REGSAM view : kViews) {
        PutBackAsWindowsShipsIt(view);
    }
    ASSERT_NO_FATAL_FAILURE(ReadStatusPage(File("notepad.exe"), &shown));
    EXPECT_EQ(PlaceLines(Shown("未登録 (メモ帳が起動します)", "Missing (Notepad starts)"),
                         Shown("Windows が元に戻しました", "Reset by Windows")),
              shown.places);
    EXPECT_TRUE(shown.repairEnabled);

    // Repair's command, which the button runs elevated (here silently).
    ASSERT_EQ(0, RunStartupTask());
    ASSERT_NO_FATAL_FAILURE(ReadStatusPage(File("notepad.exe"), &shown));
    EXPECT_EQ(PlaceLines(forwarded, forwarded), shown.places);
    EXPECT_FALSE(shown.repairEnabled);
    ASSERT_EQ(0, Uninstall());
}

} // namespace
