// Stand-in editor for the launcher's tests. Each start appends one record to
// the file named by QUILLGATE_RECORDER_LOG:
//   <show state> <creation time> <length>:<command line in UTF-8>\n
// The show state is the one passed in STARTUPINFO (-1 when none was); the
// creation time (FILETIME as one number) orders starts that overlap.
#include <windows.h>

#include <stdio.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
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
    snprintf(header, sizeof header, "%d %llu %d:", show, createdTime, static_cast<int>(line.size()));
    std::string record = std::string(header) + line + "\n";

    // Starts may overlap: open the log exclusively, waiting for a turn.
    HANDLE log = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 500 && log == INVALID_HANDLE_VALUE; ++attempt) {
        log = CreateFileA(logPath, FILE_APPEND_DATA, 0, NULL, OPEN_ALWAYS, 0, NULL);
        if (log == INVALID_HANDLE_VALUE) {
            Sleep(10);
        }
    }
    if (log == INVALID_HANDLE_VALUE) {
        return 3;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(log, record.data(), static_cast<DWORD>(record.size()), &written, NULL);
    CloseHandle(log);
    return ok && written == record.size() ? 0 : 4;
}
