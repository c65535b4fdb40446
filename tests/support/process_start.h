// Starting a program exactly as a shell would, for tests and helper programs.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

// Starts `commandLine` (text in `codePage`) exactly as given, with
// `showState` (or the one the system chooses) and `creationFlags`; the
// process handle (to close) and id, or NULL when it could not be started.
enum { kSystemShowState = -1 };
HANDLE StartProcess(const std::string& commandLine, int showState, DWORD* processId,
                    const char* applicationName = NULL, DWORD creationFlags = 0,
                    UINT codePage = CP_ACP);

// `text` in `codePage` as UTF-16.
std::wstring Wide(const std::string& text, UINT codePage = CP_UTF8);

} // namespace testsupport
