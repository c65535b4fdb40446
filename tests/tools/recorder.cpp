// Stand-in editor for the launcher's tests. Each start appends one record to
// the file named by QUILLGATE_RECORDER_LOG:
//   <show state> <creation time> <length>:<command line in UTF-8>\n
// The show state is the one passed in STARTUPINFO (-1 when none was); the
// creation time (FILETIME as one number) orders starts that overlap.
//
// Copied under a name that has a Debugger registered under Image File
// Execution Options (notepad.exe, say), it stands in for that program: Wine
// does not honour the registration, so the recorder does what Windows would,
// and starts "<Debugger> <its own command line>" instead of logging. Windows
// skips that when the creator debugs the program, and such a creator leaves
// a trace that outlasts letting go at once: ProcessDebugFlags reads 0. Hand-
// overs are counted in QUILLGATE_HANDED_OVER, so that a loop ends.
//
// With QUILLGATE_RECORDER_HAND_BACK naming a program, the recorder logs its
// start, then runs that program with its own arguments, waits for it and
// exits with its exit code: a Notepad that always leads back to whoever
// started it. Up to kMostHandBacks times in one chain.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include <string>

#include "tests/support/time_limits.h"

namespace {

const wchar_t kImageOptions[] =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\";
const int kMostHandOvers = 3;
const int kMostHandBacks = 10;

std::wstring ReadText(HKEY key, const wchar_t* name) {
    wchar_t text[2048] = {};
    DWORD bytes = sizeof text - sizeof text[0];
    DWORD type = 0;
    if (RegQueryValueExW(key, name, NULL, &type, reinterpret_cast<BYTE*>(text), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return L"";
    }
    return text;
}

// The Debugger Windows would start for this program, in either registry view:
// a filter subkey naming this path wins where UseFilter is set.
std::wstring RegisteredDebugger(const std::wstring& path) {
    const std::wstring key = kImageOptions + path.substr(path.find_last_of(L'\\') + 1);
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        HKEY options;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | view, &options)) {
            continue;
        }
        std::wstring debugger = ReadText(options, L"Debugger");
        DWORD useFilter = 0, bytes = sizeof useFilter;
        RegQueryValueExW(options, L"UseFilter", NULL, NULL, reinterpret_cast<BYTE*>(&useFilter),
                         &bytes);
        wchar_t name[256];
        for (DWORD i = 0; useFilter; ++i) {
            DWORD length = 256;
            if (RegEnumKeyExW(options, i, name, &length, NULL, NULL, NULL, NULL)) {
                break;
            }
            HKEY filter;
            if (RegOpenKeyExW(options, name, 0, KEY_READ | view, &filter) == ERROR_SUCCESS) {
                if (lstrcmpiW(ReadText(filter, L"FilterFullPath").c_str(), path.c_str()) == 0) {
                    debugger = ReadText(filter, L"Debugger");
                }
                RegCloseKey(filter);
            }
        }
        RegCloseKey(options);
        if (!debugger.empty()) {
            return debugger;
        }
    }
    return L"";
}

bool CreatedByADebugger() {
    typedef LONG(WINAPI * QueryProcess)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    QueryProcess query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    const ULONG kProcessDebugFlags = 0x1f;
    ULONG inherits = 1;
    return query &&
           query(GetCurrentProcess(), kProcessDebugFlags, &inherits, sizeof inherits, NULL) == 0 &&
           inherits == 0;
}

// Whether this start went on to the registered debugger, as on Windows.
bool HandedOverToDebugger() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    std::wstring debugger = RegisteredDebugger(path);
    if (debugger.empty() || CreatedByADebugger()) {
        return false;
    }
    char count[16] = "0";
    GetEnvironmentVariableA("QUILLGATE_HANDED_OVER", count, sizeof count);
    const int handedOver = atoi(count) + 1;
    if (handedOver > kMostHandOvers) {
        return true; // a loop: end it here, logging nothing
    }
    snprintf(count, sizeof count, "%d", handedOver);
    SetEnvironmentVariableA("QUILLGATE_HANDED_OVER", count);
    std::wstring commandLine = debugger + L" " + GetCommandLineW();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    PROCESS_INFORMATION started;
    if (CreateProcessW(NULL, &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                       &started)) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
    return true;
}

// Returns the exit code to end with, or -1 when there is nothing to hand back to.
int HandBack() {
    wchar_t program[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(L"QUILLGATE_RECORDER_HAND_BACK", program, MAX_PATH);
    char count[16] = "0";
    GetEnvironmentVariableA("QUILLGATE_HANDED_BACK", count, sizeof count);
    const int handedBack = atoi(count) + 1;
    if (length == 0 || length >= MAX_PATH || handedBack > kMostHandBacks) {
        return -1;
    }
    snprintf(count, sizeof count, "%d", handedBack);
    SetEnvironmentVariableA("QUILLGATE_HANDED_BACK", count);
    // As a debugger registration of Notepad would start it, with Notepad's
    // path in place of the recorder's own name.
    const wchar_t* arguments = GetCommandLineW();
    const bool quoted = arguments[0] == L'"';
    const wchar_t* nameEnd = wcschr(arguments + 1, quoted ? L'"' : L' ');
    arguments = nameEnd ? nameEnd + (quoted ? 1 : 0) : L"";
    std::wstring commandLine =
        L"\"" + std::wstring(program) + L"\" /z C:\\Windows\\notepad.exe" + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    DWORD code = 5;
    if (CreateProcessW(NULL, &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                       &started)) {
        CloseHandle(started.hThread);
        WaitForSingleObject(started.hProcess, INFINITE);
        GetExitCodeProcess(started.hProcess, &code);
        CloseHandle(started.hProcess);
    }
    return static_cast<int>(code);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (HandedOverToDebugger()) {
        return 0;
    }
    char logPath[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("QUILLGATE_RECORDER_LOG", logPath, sizeof logPath);
    if (length == 0 || length >= sizeof logPath) {
        return 2;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;

    FILETIME created = {}, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    unsigned long long createdTime =
        (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;

    // In UTF-8, so that no name is lost to this program's code page.
    const wchar_t* wide = GetCommandLineW();
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, NULL, 0, NULL, NULL);
    std::string line(bytes > 0 ? bytes - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, &line[0], bytes, NULL, NULL);
    char header[80];
    snprintf(header, sizeof header, "%d %llu %d:", show, createdTime,
             static_cast<int>(line.size()));
    std::string record = std::string(header) + line + "\n";

    // Starts may overlap: open the log exclusively, waiting for a turn.
    HANDLE log = INVALID_HANDLE_VALUE;
    const DWORD start = GetTickCount();
    for (;;) {
        log = CreateFileA(logPath, FILE_APPEND_DATA, 0, NULL, OPEN_ALWAYS, 0, NULL);
        if (log != INVALID_HANDLE_VALUE ||
            GetTickCount() - start > timelimits::Scaled(timelimits::kMessageMs)) {
            break;
        }
        Sleep(10);
    }
    if (log == INVALID_HANDLE_VALUE) {
        return 3;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(log, record.data(), static_cast<DWORD>(record.size()), &written, NULL);
    CloseHandle(log);
    if (!ok || written != record.size()) {
        return 4;
    }
    const int handedBack = HandBack();
    return handedBack < 0 ? 0 : handedBack;
}
