#include "tests/support/process_start.h"

#include <vector>

namespace testsupport {

HANDLE StartProcess(const std::string& commandLine, int showState, DWORD* processId,
                    const char* applicationName, DWORD creationFlags) {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (showState != kSystemShowState) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(showState);
    }
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(applicationName, line.data(), NULL, NULL, FALSE, creationFlags, NULL, NULL,
                        &startup, &process)) {
        return NULL;
    }
    CloseHandle(process.hThread);
    if (processId) {
        *processId = process.dwProcessId;
    }
    return process.hProcess;
}

} // namespace testsupport
