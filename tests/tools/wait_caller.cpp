// Stand-in for a console program that starts the editor and waits for it
// (git commit, jj): runs the rest of its own command line and returns when
// that program has exited, with its exit code.
//   wait_caller.exe "<notepad.exe>" <arguments>
#include <windows.h>

#include <string>

#include "tests/support/process_start.h"

int main() {
    // The command line after this program's own (quoted) name.
    std::string line = GetCommandLineA();
    size_t rest = line[0] == '"' ? line.find('"', 1) + 1 : line.find(' ');
    HANDLE process =
        testsupport::StartProcess(line.substr(rest + 1), testsupport::kSystemShowState, NULL);
    if (!process) {
        return 3;
    }
    WaitForSingleObject(process, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return static_cast<int>(code);
}
