#include "tests/support/process_start.h"

#include <vector>

namespace testsupport {

std::wstring Wide(const std::string& text, UINT codePage) {
    int length = MultiByteToWideChar(codePage, 0, text.c_str(), -1, NULL, 0);
    std::vector<wchar_t> wide(length > 0 ? length : 1);
    MultiByteToWideChar(codePage, 0, text.c_str(), -1, wide.data(), length);
    return std::wstring(wide.data());
}

HANDLE StartProcess(const std::string& commandLine, int showState, DWORD* processId,
                    const char* applicationName, DWORD creationFlags, UINT codePage) {
    // Through the W entry, so that a UTF-8 command line arrives whole too;
    // for the ANSI code page this is what CreateProcessA does.
    std::wstring line = Wide(commandLine, codePage);
    std::wstring application = applicationName ? Wide(applicationName, codePage) : L"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (showState != kSystemShowState) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(showState);
    }
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(applicationName ? application.c_str() : NULL, &line[0], NULL, NULL, FALSE,
                        creationFlags, NULL, NULL, &startup, &process)) {
        return NULL;
    }
    CloseHandle(process.hThread);
    if (processId) {
        *processId = process.dwProcessId;
    }
    return process.hProcess;
}

} // namespace testsupport
