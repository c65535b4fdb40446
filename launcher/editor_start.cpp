#include "launcher/editor_start.h"

#include <stddef.h>
#include <shlwapi.h>
#include <winternl.h>

#include "launcher/command_line.h"
#include "launcher/outside_world.h"
#include "launcher/path_text.h"
#include "launcher/paths.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"

namespace {

enum { kMinParamsSize = 263 }; // "/p " and a quoted path of MAX_PATH - 3 characters

// The shared parameter string; it grows for longer paths and lives as long
// as the process.
char* g_params = NULL;
size_t g_paramsSize = 0;

char* ParamsBuffer(size_t bytes) {
    if (bytes < kMinParamsSize) {
        bytes = kMinParamsSize;
    }
    if (bytes > g_paramsSize) {
        char* grown = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, bytes));
        if (!grown) {
            return NULL;
        }
        if (g_params) {
            HeapFree(GetProcessHeap(), 0, g_params);
        }
        g_params = grown;
        g_paramsSize = bytes;
    }
    ZeroMemory(g_params, g_paramsSize);
    return g_params;
}

// `path` + "." + extension, written only beside `path` itself: an extension
// with separators or ".." in it must not send the copy elsewhere.
bool MakeViewSourceCopy(const char* path, const char* extension, CHeapText* copy) {
    size_t pathLength = static_cast<size_t>(lstrlenA(path));
    size_t extensionLength = static_cast<size_t>(lstrlenA(extension));
    if (!copy->Allocate(pathLength + 1 + extensionLength + 1)) {
        return false;
    }
    CopyMemory(copy->Get(), path, pathLength);
    copy->Get()[pathLength] = '.';
    CopyMemory(copy->Get() + pathLength + 1, extension, extensionLength);

    CHeapText fullPath, fullCopy;
    if (!GetFullPath(path, &fullPath) || !GetFullPath(copy->Get(), &fullCopy) ||
        !InSameFolder(fullPath.Get(), fullCopy.Get(), AnsiLeadByte, AnsiSameTextIgnoringCase)) {
        return false;
    }
    return CopyFileA(path, copy->Get(), FALSE) != FALSE;
}

} // namespace

const char* BuildEditorParams(const char* path, BOOL printFlag) {
    const char* handOn = path;
    CHeapText copy;
    if (g_settings.ExtensionFlag() != 0 && LiesInInternetCache(path)) {
        if (MakeViewSourceCopy(path, g_settings.Extension(), &copy)) {
            handOn = copy.Get();
        } else {
            ShowLauncherMessage(IDS_SOURCE_COPY_FAILED, MB_ICONERROR);
        }
    }
    size_t size = EditorParamsSize(static_cast<size_t>(lstrlenA(handOn)));
    char* params = ParamsBuffer(size);
    if (!params || !FormatEditorParams(params, g_paramsSize, handOn, printFlag != FALSE)) {
        return NULL;
    }
    return params;
}

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

bool FileExistsOnDisk(const char* path, void*) {
    return PathFileExistsA(path) != FALSE;
}

void StartEditor(EditorStarts* target, const char* path) {
    const char* params = BuildEditorParams(path, target->print);
    if (!params) {
        target->startFailed = true;
        return;
    }
    if (target->asDebuggee) {
        HANDLE process = StartAsDebuggee(target->editor, params, target->showState);
        if (!process) {
            target->debuggeeFailed = true;
            target->startFailed = true;
        } else if (target->waitFor) {
            target->waitFor->Add(process);
        } else {
            CloseHandle(process);
        }
        return;
    }
    if (!target->waitFor) {
        // Fire and forget: the editor runs on its own and its start is not checked.
        g_outsideWorld.shellExecute(NULL, NULL, target->editor, params, NULL, target->showState);
        return;
    }
    SHELLEXECUTEINFOA start;
    ZeroMemory(&start, sizeof start);
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOCLOSEPROCESS;
    start.lpFile = target->editor;
    start.lpParameters = params;
    start.nShow = target->showState;
    // No process comes back when the shell handed the file to a running program.
    if (g_outsideWorld.shellExecuteEx(&start)) {
        target->waitFor->Add(start.hProcess);
    } else {
        target->startFailed = true;
    }
}
