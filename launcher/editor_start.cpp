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
    return BuildEditorParams(path, printFlag ? "/p" : "");
}

namespace {

// The file an editor is handed for `path`: its view-source copy where the
// copy is to be made and can be, else `path` itself.
const char* HandedOnPath(const char* path, CHeapText* copy) {
    if (g_settings.ExtensionFlag() != 0 && LiesInInternetCache(path)) {
        if (MakeViewSourceCopy(path, g_settings.Extension(), copy)) {
            return copy->Get();
        }
        ShowLauncherMessage(IDS_SOURCE_COPY_FAILED, MB_ICONERROR);
    }
    return path;
}

char* FormatParams(const char* arguments, const char* handOn) {
    size_t size = EditorParamsSize(static_cast<size_t>(lstrlenA(arguments)),
                                   static_cast<size_t>(lstrlenA(handOn)));
    char* params = ParamsBuffer(size);
    if (!params || !FormatEditorParams(params, g_paramsSize, arguments, handOn)) {
        return NULL;
    }
    return params;
}

} // namespace

const char* BuildEditorParams(const char* path, const char* arguments) {
    CHeapText copy;
    return FormatParams(arguments, HandedOnPath(path, &copy));
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

CEditorProcesses::CEditorProcesses()
    : entries(NULL), count(0), capacity(0), exitCode(0), handedOn(false) {
}

CEditorProcesses::~CEditorProcesses() {
    for (size_t i = 0; i < count; ++i) {
        CloseHandle(entries[i].process);
        if (entries[i].path) {
            HeapFree(GetProcessHeap(), 0, entries[i].path);
        }
    }
    if (entries) {
        HeapFree(GetProcessHeap(), 0, entries);
    }
}

void CEditorProcesses::Add(HANDLE process, const WIN32_FILE_ATTRIBUTE_DATA* file,
                           const char* path) {
    if (!process) {
        return;
    }
    Started started;
    ZeroMemory(&started, sizeof started);
    started.process = process;
    if (file && path && *path) {
        // Without room for the path, the file simply goes unwatched.
        const size_t bytes = static_cast<size_t>(lstrlenA(path)) + 1;
        started.path = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, bytes));
        if (started.path) {
            CopyMemory(started.path, path, bytes);
            started.before = *file;
        }
    }
    if (count == capacity) {
        const size_t grown = capacity ? capacity * 2 : 8;
        void* more = entries ? HeapReAlloc(GetProcessHeap(), 0, entries, grown * sizeof *entries)
                             : HeapAlloc(GetProcessHeap(), 0, grown * sizeof *entries);
        if (!more) {
            // No room to keep it: wait for the earlier editors and this one
            // now rather than not at all, in their order.
            WaitForAll();
            Finish(&started);
            return;
        }
        entries = static_cast<Started*>(more);
        capacity = grown;
    }
    entries[count++] = started;
}

DWORD CEditorProcesses::WaitForAll() {
    // One at a time: all of them have exited once the last wait returns.
    for (size_t i = 0; i < count; ++i) {
        Finish(&entries[i]);
    }
    count = 0;
    return exitCode;
}

namespace {

// Editors that hand their file on exit well within this; one that waits for
// its file takes longer than anybody edits a file in.
const ULONGLONG kHandOnTime = 2 * 10000000ULL; // 2 s in 100 ns steps

ULONGLONG Ticks(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool ExitedAtOnce(HANDLE process) {
    FILETIME created, exited, kernel, user;
    return GetProcessTimes(process, &created, &exited, &kernel, &user) &&
           Ticks(exited) >= Ticks(created) && Ticks(exited) - Ticks(created) < kHandOnTime;
}

bool SameStamp(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b) {
    return a.dwFileAttributes == b.dwFileAttributes &&
           Ticks(a.ftLastWriteTime) == Ticks(b.ftLastWriteTime) &&
           a.nFileSizeLow == b.nFileSizeLow && a.nFileSizeHigh == b.nFileSizeHigh;
}

} // namespace

void CEditorProcesses::Finish(Started* started) {
    DWORD code = 0;
    if (WaitForSingleObject(started->process, INFINITE) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(started->process, &code)) {
        if (exitCode == 0) {
            exitCode = code;
        }
        if (code == 0 && started->path && ExitedAtOnce(started->process) &&
            SameStamp(started->before, FileStamp(started->path))) {
            handedOn = true;
        }
    }
    CloseHandle(started->process);
    if (started->path) {
        HeapFree(GetProcessHeap(), 0, started->path);
    }
}

WIN32_FILE_ATTRIBUTE_DATA FileStamp(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA stamp;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &stamp)) {
        ZeroMemory(&stamp, sizeof stamp);
    }
    return stamp;
}

bool FileExistsOnDisk(const char* path, void*) {
    return PathFileExistsA(path) != FALSE;
}

void StartEditor(EditorStarts* target, const char* path) {
    CHeapText copy;
    const char* handOn = HandedOnPath(path, &copy);
    const char* params = FormatParams(target->arguments, handOn);
    if (!params) {
        target->startFailed = true;
        return;
    }
    // As the file stood before the editor could touch it.
    const WIN32_FILE_ATTRIBUTE_DATA before = FileStamp(handOn);
    const WIN32_FILE_ATTRIBUTE_DATA* watched = target->watchFiles ? &before : NULL;
    if (target->asDebuggee) {
        HANDLE process = StartAsDebuggee(target->editor, params, target->showState);
        if (!process) {
            target->debuggeeFailed = true;
            target->startFailed = true;
        } else if (target->waitFor) {
            target->waitFor->Add(process, watched, handOn);
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
        target->waitFor->Add(start.hProcess, watched, handOn);
    } else {
        target->startFailed = true;
    }
}
