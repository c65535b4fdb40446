#include "tests/launcher/launcher_test_support.h"

#include "resources/load_text.h"
#include "resources/resource_ids.h"
#include "tests/support/registry_guard.h"
#include "tests/support/settings_sheet.h"
#include "tests/support/wine_test_support.h"

#include <commctrl.h>
#include <psapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <stdlib.h>

#include <algorithm>
#include <set>

namespace launchertest {

std::string InternetCacheFolder() {
    char path[MAX_PATH] = "";
    LPITEMIDLIST items = NULL;
    if (SUCCEEDED(SHGetSpecialFolderLocation(NULL, CSIDL_INTERNET_CACHE, &items)) && items) {
        if (!SHGetPathFromIDListA(items, path)) {
            path[0] = '\0';
        }
        CoTaskMemFree(items);
    }
    return path;
}

namespace {

const char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

} // namespace

UnlocatableInternetCache::UnlocatableInternetCache()
    : shellFolders_(HKEY_CURRENT_USER, kUserShellFolders) {
    const char nowhere[] = "Q:\\nowhere\\INetCache";
    testsupport::SetRaw(HKEY_CURRENT_USER, kUserShellFolders, "Cache", REG_EXPAND_SZ, nowhere,
                        sizeof nowhere);
}

std::string ShortPath(const std::string& path) {
    char buffer[MAX_PATH];
    DWORD length = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : path;
}

std::string UpperCase(const std::string& path) {
    std::string upper = path;
    CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    return upper;
}

std::string WithForwardSlashes(const std::string& path) {
    std::string slashes = path;
    for (char& c : slashes) {
        if (c == '\\') {
            c = '/';
        }
    }
    return slashes;
}

namespace {

const char kLogVariable[] = "QUILLGATE_RECORDER_LOG";

std::string ParamsOf(const std::string& commandLine) {
    size_t start = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        size_t close = commandLine.find('"', 1);
        start = close == std::string::npos ? commandLine.size() : close + 1;
    } else {
        start = std::min(commandLine.find(' '), commandLine.size());
    }
    if (start < commandLine.size() && commandLine[start] == ' ') {
        ++start;
    }
    return commandLine.substr(start);
}

} // namespace

RecorderLog::RecorderLog() {
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(sizeof temp, temp);
    path_.assign(temp, length);
    path_ += "quillgate-recorder.log";
    DeleteFileA(path_.c_str());
    SetEnvironmentVariableA(kLogVariable, path_.c_str());
}

RecorderLog::~RecorderLog() {
    SetEnvironmentVariableA(kLogVariable, NULL);
    DeleteFileA(path_.c_str());
}

std::vector<EditorStart> RecorderLog::Starts() const {
    std::string log;
    HANDLE h = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, 0, NULL);
    if (h != INVALID_HANDLE_VALUE) {
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(h, chunk, sizeof chunk, &got, NULL) && got > 0) {
            log.append(chunk, got);
        }
        CloseHandle(h);
    }
    std::vector<std::pair<unsigned long long, EditorStart>> records;
    size_t pos = 0;
    while (pos < log.size()) {
        int show = 0;
        unsigned long long created = 0;
        int length = 0, used = 0;
        if (sscanf(log.c_str() + pos, "%d %llu %d:%n", &show, &created, &length, &used) != 3 ||
            pos + used + length + 1 > log.size()) {
            break; // a record still being written
        }
        EditorStart start;
        start.showState = show;
        start.commandLineUtf8 = log.substr(pos + used, length);
        start.paramsUtf8 = ParamsOf(start.commandLineUtf8);
        start.commandLine = testsupport::Ansi(start.commandLineUtf8.c_str());
        start.params = ParamsOf(start.commandLine);
        records.push_back(std::make_pair(created, start));
        pos += used + length + 1;
    }
    std::stable_sort(
        records.begin(), records.end(),
        [](const std::pair<unsigned long long, EditorStart>& a,
           const std::pair<unsigned long long, EditorStart>& b) { return a.first < b.first; });
    std::vector<EditorStart> starts;
    for (const auto& r : records) {
        starts.push_back(r.second);
    }
    return starts;
}

std::vector<EditorStart> RecorderLog::WaitForStarts(size_t count, DWORD timeoutMs) const {
    const DWORD limit = timelimits::Scaled(timeoutMs);
    const DWORD begin = GetTickCount();
    while (Starts().size() < count && GetTickCount() - begin < limit) {
        Sleep(50);
    }
    Sleep(timelimits::Scaled(timelimits::kSettleMs));
    return Starts();
}

std::vector<std::string> ParamsOf(const std::vector<EditorStart>& starts) {
    std::vector<std::string> params;
    for (const EditorStart& start : starts) {
        params.push_back(start.params);
    }
    return params;
}

std::string EditorMessage(UINT id, const std::string& editor, UINT detailId) {
    std::string detail = LoadTextTemp(detailId);
    for (size_t at; (at = detail.find("%r")) != std::string::npos;) {
        detail.replace(at, 2, "\r");
    }
    return LoadTextTemp(id) + detail.replace(detail.find("%1"), 2, editor);
}

namespace {

// The first breakpoint of a 32-bit process under WoW64.
const DWORD kWow64Breakpoint = 0x4000001F;

// How long a dialog may take to answer before it is asked again on the next
// round: a debuggee stops at each of its debug events until this process, its
// debugger, lets it go on, so a plain send could wait forever.
const DWORD kReplyMs = 200;

struct Answering {
    DWORD processId; // 0: any process
    int sheetButton;
    int messageButton;
    std::string sheetEditor;
    std::set<HWND> seen;
    ProcessRun* run;
    bool browse;
    uidriver::SettingsSheet browsingSheet; // the sheet whose Browse was pressed, still open
    HWND browseAnswer;                     // the first dialog after that
};

uidriver::SheetButton SheetButtonOf(int id) {
    return static_cast<uidriver::SheetButton>(id);
}

// Closes the sheet whose Browse was pressed once its dialog has gone.
void CloseBrowsingSheet(Answering* answering) {
    if (answering->browsingSheet.Window() && answering->browseAnswer &&
        !IsWindow(answering->browseAnswer)) {
        answering->browsingSheet.Press(SheetButtonOf(answering->sheetButton));
        answering->browsingSheet = uidriver::SettingsSheet();
    }
}

BOOL CALLBACK AnswerWindow(HWND window, LPARAM context) {
    Answering* answering = reinterpret_cast<Answering*>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if ((answering->processId && processId != answering->processId) ||
        answering->seen.count(window) || !IsWindowVisible(window) ||
        uidriver::ClassOf(window) != "#32770") {
        return TRUE; // only dialogs: message boxes and the settings sheet
    }
    // A sheet that does not name its page in time, or another dialog that does
    // not answer, is asked again on the next round.
    uidriver::SettingsSheet sheet;
    const bool isSheet = uidriver::IsPropertySheet(window);
    DWORD_PTR reply = 0;
    if (isSheet ? !sheet.Take(window, kReplyMs)
                : !SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kReplyMs, &reply)) {
        return TRUE;
    }
    answering->seen.insert(window);
    if (answering->browsingSheet.Window() && !answering->browseAnswer) {
        answering->browseAnswer = window;
    }
    // Read without a message, as a send may wait on a held debuggee.
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    if (isSheet && answering->browse) {
        answering->browse = false;
        answering->browsingSheet = sheet;
        answering->run->dialogs.push_back(std::string("dialog: ") + title);
        sheet.PressModal(IDC_EDIT_EDITOR_BROWSE);
        return TRUE;
    }
    if (uidriver::IsMessageBox(window) && lstrcmpA(title, "Quillgate") == 0) {
        char message[1024] = "";
        GetWindowTextA(GetDlgItem(window, 0xFFFF), message, sizeof message);
        answering->run->dialogs.push_back(std::string("message: ") + message);
        PostMessageA(window, WM_COMMAND, answering->messageButton, 0);
    } else if (isSheet) {
        answering->run->dialogs.push_back(std::string("dialog: ") + title);
        if (!answering->sheetEditor.empty()) {
            sheet.Type(IDC_EDIT_EDITOR, answering->sheetEditor);
        }
        sheet.Press(SheetButtonOf(answering->sheetButton));
    } else {
        answering->run->dialogs.push_back(std::string("dialog: ") + title);
        PostMessageA(window, WM_COMMAND, answering->sheetButton, 0);
    }
    return TRUE;
}

// The module's path as its mapping names it, in lower case.
std::string PathOf(HANDLE process, void* base) {
    char path[MAX_PATH] = "";
    if (!GetMappedFileNameA(process, base, path, sizeof path)) {
        return std::string();
    }
    std::string lower = path;
    CharLowerBuffA(&lower[0], static_cast<DWORD>(lower.size()));
    return lower;
}

// Handles the debug events that arrive within 50 ms; true once the process
// has exited.
bool FollowDebugEvents(HANDLE process, ProcessRun* run) {
    DEBUG_EVENT event;
    if (!WaitForDebugEvent(&event, 50)) {
        return false;
    }
    DWORD status = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
    case CREATE_PROCESS_DEBUG_EVENT:
        CloseHandle(event.u.CreateProcessInfo.hFile);
        break;
    case LOAD_DLL_DEBUG_EVENT:
        run->modulePaths.push_back(PathOf(process, event.u.LoadDll.lpBaseOfDll));
        run->modules.push_back(PathFindFileNameA(run->modulePaths.back().c_str()));
        CloseHandle(event.u.LoadDll.hFile);
        break;
    case EXCEPTION_DEBUG_EVENT: {
        // The loader's breakpoints belong to debugging; the program's own
        // exceptions go back to it.
        const DWORD code = event.u.Exception.ExceptionRecord.ExceptionCode;
        if (code != EXCEPTION_BREAKPOINT && code != kWow64Breakpoint) {
            status = DBG_EXCEPTION_NOT_HANDLED;
        }
        break;
    }
    case EXIT_PROCESS_DEBUG_EVENT:
        run->exitCode = static_cast<int>(event.u.ExitProcess.dwExitCode);
        break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    return event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT;
}

} // namespace

ProcessRun RunAnswering(const std::string& commandLine, const RunOptions& options) {
    ProcessRun run;
    DWORD processId = 0;
    const DWORD flags = (options.watchModules ? DEBUG_ONLY_THIS_PROCESS : 0) |
                        (options.console ? CREATE_NEW_CONSOLE : 0);
    HANDLE process = testsupport::StartProcess(commandLine, options.showState, &processId, NULL,
                                               flags, options.codePage);
    if (!process) {
        return run;
    }
    Answering answering;
    answering.processId = options.anyProcess ? 0 : processId;
    answering.sheetButton = options.sheetButton;
    answering.messageButton = options.messageButton;
    answering.sheetEditor = options.sheetEditor;
    answering.run = &run;
    answering.browse = options.browse;
    answering.browseAnswer = NULL;
    DWORD begin = GetTickCount();
    for (;;) {
        if (options.watchModules) {
            if (FollowDebugEvents(process, &run)) {
                break;
            }
        } else if (WaitForSingleObject(process, 50) == WAIT_OBJECT_0) {
            DWORD exitCode = 0;
            GetExitCodeProcess(process, &exitCode);
            run.exitCode = static_cast<int>(exitCode);
            break;
        }
        if (GetTickCount() - begin > timelimits::Scaled(options.timeoutMs)) {
            TerminateProcess(process, 1);
            run.exitCode = -1;
            break;
        }
        EnumWindows(AnswerWindow, reinterpret_cast<LPARAM>(&answering));
        CloseBrowsingSheet(&answering);
    }
    if (options.watchModules) {
        DebugActiveProcessStop(processId);
    }
    CloseHandle(process);
    return run;
}

ProcessRun RunAnswering(const std::string& commandLine, int showState, DWORD timeoutMs) {
    RunOptions options;
    options.showState = showState;
    options.timeoutMs = timeoutMs;
    return RunAnswering(commandLine, options);
}

} // namespace launchertest
