#include "launcher/debuggee_start.h"

#include <stddef.h>
#include <winternl.h>

#include "launcher/heap_text.h"

namespace {

// The system skips a Debugger registration for a debuggee only while the
// creator's PEB says not to read Image File Execution Options. The loader
// sets that byte for a program whose own name has options, and this program
// is notepad.exe. Its place, after InheritedAddressSpace, has not moved since
// Windows NT; the headers name only BeingDebugged beside it.
static_assert(offsetof(TEB, ProcessEnvironmentBlock) == (sizeof(void*) == 4 ? 0x30 : 0x60),
              "the TEB's pointer to the PEB");
static_assert(offsetof(PEB, BeingDebugged) == 2, "ReadImageFileExecOptions is the byte before");

BYTE* ReadImageFileExecOptions() {
    // GCC takes the segment-relative read of the TEB for an access to address 0.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
    TEB* teb = NtCurrentTeb();
#pragma GCC diagnostic pop
    return &teb->ProcessEnvironmentBlock->Reserved1[1];
}

} // namespace

HANDLE StartAsDebuggee(const char* editor, const char* params, int showState) {
    // The same command line the shell builds: the quoted editor, a blank, the parameters.
    const size_t editorLength = static_cast<size_t>(lstrlenA(editor));
    const size_t paramsLength = static_cast<size_t>(lstrlenA(params));
    CHeapText commandLine;
    if (!commandLine.Allocate(editorLength + paramsLength + 4)) {
        return NULL;
    }
    char* end = commandLine.Get();
    *end++ = '"';
    CopyMemory(end, editor, editorLength);
    end += editorLength;
    *end++ = '"';
    *end++ = ' ';
    CopyMemory(end, params, paramsLength); // the buffer's last zero ends it

    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showState);
    PROCESS_INFORMATION started;
    BYTE* readOptions = ReadImageFileExecOptions();
    const BYTE savedReadOptions = *readOptions;
    *readOptions = 0;
    const BOOL created = CreateProcessA(editor, commandLine.Get(), NULL, NULL, FALSE,
                                        DEBUG_ONLY_THIS_PROCESS, NULL, NULL, &startup, &started);
    *readOptions = savedReadOptions;
    if (!created) {
        return NULL;
    }
    CloseHandle(started.hThread);
    // Should this program end before it lets go, the editor must live on.
    DebugSetProcessKillOnExit(FALSE);
    if (!DebugActiveProcessStop(started.dwProcessId)) {
        // Held at its first debug event, it would never run.
        TerminateProcess(started.hProcess, 1);
        CloseHandle(started.hProcess);
        return NULL;
    }
    return started.hProcess;
}
