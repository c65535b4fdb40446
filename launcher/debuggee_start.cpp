#include "launcher/debuggee_start.h"

#include "launcher/heap_text.h"

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
    if (!CreateProcessA(editor, commandLine.Get(), NULL, NULL, FALSE, DEBUG_ONLY_THIS_PROCESS, NULL,
                        NULL, &startup, &started)) {
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
