#include "tests/launcher/launcher_test_support.h"

#include "tests/support/wine_test_support.h"

#include <shlobj.h>
#include <stdlib.h>

#include <algorithm>
#include <set>

namespace launchertest {

using testsupport::RemoveTree;

bool WriteFileText(const std::string& path, const std::string& content) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, NULL);
    CloseHandle(h);
    return ok && written == content.size();
}

TestFolder::TestFolder(const std::string& path) : path_(path) {
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), NULL);
}

TestFolder::~TestFolder() {
    RemoveTree(path_);
}

std::string TestFolder::Write(const std::string& name, const std::string& content) const {
    std::string file = File(name);
    WriteFileText(file, content);
    return file;
}

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

UnlocatableInternetCache::UnlocatableInternetCache() {
    hadValue_ =
        testsupport::ReadRaw(HKEY_CURRENT_USER, kUserShellFolders, "Cache", &savedType_, &saved_);
    const char nowhere[] = "Q:\\nowhere\\INetCache";
    testsupport::SetRaw(HKEY_CURRENT_USER, kUserShellFolders, "Cache", REG_EXPAND_SZ, nowhere,
                        sizeof nowhere);
}

UnlocatableInternetCache::~UnlocatableInternetCache() {
    if (hadValue_) {
        testsupport::SetRaw(HKEY_CURRENT_USER, kUserShellFolders, "Cache", savedType_,
                            saved_.data(), static_cast<DWORD>(saved_.size()));
    } else {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kUserShellFolders, 0, KEY_SET_VALUE, &key) ==
            ERROR_SUCCESS) {
            RegDeleteValueA(key, "Cache");
            RegCloseKey(key);
        }
    }
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
        start.commandLine = log.substr(pos + used, length);
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
    DWORD begin = GetTickCount();
    while (Starts().size() < count && GetTickCount() - begin < timeoutMs) {
        Sleep(50);
    }
    Sleep(300);
    return Starts();
}

namespace {

struct Answering {
    DWORD processId;
    std::set<HWND> seen;
    ProcessRun* run;
};

BOOL CALLBACK AnswerWindow(HWND window, LPARAM context) {
    Answering* answering = reinterpret_cast<Answering*>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != answering->processId || answering->seen.count(window) ||
        !IsWindowVisible(window)) {
        return TRUE;
    }
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") != 0) {
        return TRUE; // only dialogs: message boxes and the settings sheet
    }
    answering->seen.insert(window);
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    HWND text = GetDlgItem(window, 0xFFFF); // a message box's text
    if (text && lstrcmpA(title, "Quillgate") == 0) {
        char message[1024] = "";
        GetWindowTextA(text, message, sizeof message);
        answering->run->dialogs.push_back(std::string("message: ") + message);
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    } else {
        answering->run->dialogs.push_back(std::string("dialog: ") + title);
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    }
    return TRUE;
}

} // namespace

ProcessRun RunAnswering(const std::string& commandLine, int showState, DWORD timeoutMs) {
    ProcessRun run;
    DWORD processId = 0;
    HANDLE process = testsupport::StartProcess(commandLine, showState, &processId);
    if (!process) {
        return run;
    }
    Answering answering;
    answering.processId = processId;
    answering.run = &run;
    DWORD begin = GetTickCount();
    for (;;) {
        if (WaitForSingleObject(process, 50) == WAIT_OBJECT_0) {
            DWORD exitCode = 0;
            GetExitCodeProcess(process, &exitCode);
            run.exitCode = static_cast<int>(exitCode);
            break;
        }
        if (GetTickCount() - begin > timeoutMs) {
            TerminateProcess(process, 1);
            break;
        }
        EnumWindows(AnswerWindow, reinterpret_cast<LPARAM>(&answering));
    }
    CloseHandle(process);
    return run;
}

} // namespace launchertest
