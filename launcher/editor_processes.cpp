#include "launcher/editor_processes.h"

#include "settings/settings.h"

BOOL CallerWaitsForEditors(DWORD setting) {
    switch (setting) {
    case kWaitForEditorAlways:
        return TRUE;
    case kWaitForEditorNever:
        return FALSE;
    default:
        break;
    }
    // Joining the caller's console succeeds only when it has one; the program
    // has no use for it, so it leaves again at once.
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) {
        return FALSE;
    }
    FreeConsole();
    return TRUE;
}

CEditorProcesses::CEditorProcesses() : handles(NULL), count(0), capacity(0), exitCode(0) {
}

CEditorProcesses::~CEditorProcesses() {
    for (size_t i = 0; i < count; ++i) {
        CloseHandle(handles[i]);
    }
    if (handles) {
        HeapFree(GetProcessHeap(), 0, handles);
    }
}

void CEditorProcesses::Add(HANDLE process) {
    if (!process) {
        return;
    }
    if (count == capacity) {
        const size_t grown = capacity ? capacity * 2 : 8;
        void* more = handles ? HeapReAlloc(GetProcessHeap(), 0, handles, grown * sizeof *handles)
                             : HeapAlloc(GetProcessHeap(), 0, grown * sizeof *handles);
        if (!more) {
            // No room to keep it: wait for the earlier editors and this one
            // now rather than not at all, in their order.
            WaitForAll();
            Finish(process);
            return;
        }
        handles = static_cast<HANDLE*>(more);
        capacity = grown;
    }
    handles[count++] = process;
}

DWORD CEditorProcesses::WaitForAll() {
    // One at a time: all of them have exited once the last wait returns.
    for (size_t i = 0; i < count; ++i) {
        Finish(handles[i]);
    }
    count = 0;
    return exitCode;
}

void CEditorProcesses::Finish(HANDLE process) {
    DWORD code = 0;
    if (WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(process, &code) && exitCode == 0) {
        exitCode = code;
    }
    CloseHandle(process);
}
