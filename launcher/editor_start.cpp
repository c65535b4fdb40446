#include "launcher/editor_start.h"

#include <stddef.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <winternl.h>

#include "launcher/command_line.h"
#include "launcher/path_text.h"
#include "resources/outside_world.h"
#include "resources/paths.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"

namespace {

struct KnownEditor {
    const char* fileName;
    const char* wait;
    const char* print;     // NULL: it has no print switch, and opens the file instead
    const char* companion; // a program beside it that waits for it, or NULL
};

// Each switch is from the editor's own documentation.
const KnownEditor kKnownEditors[] = {
    {"Code.exe", "--wait", NULL, NULL},
    {"Code - Insiders.exe", "--wait", NULL, NULL},
    {"VSCodium.exe", "--wait", NULL, NULL},
    {"Cursor.exe", "--wait", NULL, NULL},
    {"notepad++.exe", "-multiInst -nosession", "-quickPrint", NULL},
    {"subl.exe", "-w", NULL, NULL},
    {"sublime_text.exe", "-w", NULL, "subl.exe"},
    {"gvim.exe", "-f", NULL, NULL},       // stays in the foreground
    {"emacsclientw.exe", "", NULL, NULL}, // waits unless told -n
    {"idea64.exe", "--wait", NULL, NULL}, // JetBrains IDEs
    {"pycharm64.exe", "--wait", NULL, NULL},
    {"webstorm64.exe", "--wait", NULL, NULL},
};

// Unknown editors get Notepad's own print switch.
const char kNotepadPrint[] = "/p";
// Chocolatey's shims exit at once unless told otherwise.
const char kShimWait[] = "--shimgen-waitforexit";

const KnownEditor* FindKnownEditor(const char* fileName) {
    for (const KnownEditor& row : kKnownEditors) {
        if (lstrcmpiA(row.fileName, fileName) == 0) {
            return &row;
        }
    }
    return NULL;
}

// A value of Editors\<file name>, the user's over the machine's (the
// administrators' alone when `administratorsOnly`); false when there is none.
bool ReadOverride(const char* fileName, const char* value, bool administratorsOnly,
                  CHeapText* out) {
    return g_settings.ReadEditorRow(fileName, value, administratorsOnly, out);
}

bool IsChocolateyShim(const char* editor) {
    char bin[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("ChocolateyInstall", bin, sizeof bin);
    if (length == 0 || length >= sizeof bin) {
        length = GetEnvironmentVariableA("ProgramData", bin, sizeof bin);
        if (length == 0 || length >= sizeof bin || !PathAppendA(bin, "chocolatey")) {
            return false;
        }
    }
    CHeapText folder;
    return PathAppendA(bin, "bin") && folder.Copy(editor) && PathRemoveFileSpecA(folder.Get()) &&
           IsSameFile(folder.Get(), bin);
}

// `wait` with the shim's own switch before it.
bool PrependShimWait(CHeapText* wait) {
    CHeapText joined;
    if (!joined.Allocate(sizeof kShimWait + 1 + static_cast<size_t>(lstrlenA(wait->Get())))) {
        return false;
    }
    lstrcpyA(joined.Get(), kShimWait);
    if (wait->Get()[0]) {
        lstrcatA(joined.Get(), " ");
        lstrcatA(joined.Get(), wait->Get());
    }
    return wait->Copy(joined.Get());
}

// Sublime Text's editor exits at once; subl.exe beside it waits for it.
bool TakeCompanion(CHeapText* editor, const char* companion) {
    CHeapText path;
    if (!path.Allocate(static_cast<size_t>(lstrlenA(editor->Get())) + MAX_PATH)) {
        return false;
    }
    lstrcpyA(path.Get(), editor->Get());
    if (!PathRemoveFileSpecA(path.Get()) || !PathAppendA(path.Get(), companion) ||
        !PathFileExistsA(path.Get())) {
        return true; // none there: the editor itself, with its own switch
    }
    return editor->Copy(path.Get());
}

} // namespace

bool FindEditorArguments(CHeapText* editor, bool callerWaits, bool elevated,
                         EditorArguments* arguments) {
    const KnownEditor* row = FindKnownEditor(PathFindFileNameA(editor->Get()));
    if (row && row->companion && callerWaits) {
        if (!TakeCompanion(editor, row->companion)) {
            return false;
        }
        row = FindKnownEditor(PathFindFileNameA(editor->Get()));
    }
    const char* fileName = PathFindFileNameA(editor->Get());
    const bool waitOverridden = ReadOverride(fileName, "WaitArguments", elevated, &arguments->wait);
    const bool printOverridden =
        ReadOverride(fileName, "PrintArguments", elevated, &arguments->print);
    arguments->known = row || waitOverridden || printOverridden;
    if (!waitOverridden && !arguments->wait.Copy(row ? row->wait : "")) {
        return false;
    }
    if (!printOverridden &&
        !arguments->print.Copy(row ? (row->print ? row->print : "") : kNotepadPrint)) {
        return false;
    }
    if (callerWaits && IsChocolateyShim(editor->Get())) {
        return PrependShimWait(&arguments->wait);
    }
    return true;
}

namespace {

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

// The file the editor is given for `path`: its view-source copy where the
// copy is to be made and can be, else `path` itself.
const char* FileForEditor(const EditorStartPlan& plan, CInternetCache* cache, const char* path,
                          CHeapText* copy) {
    if (plan.copyExtension && cache->Holds(path)) {
        if (MakeViewSourceCopy(path, plan.copyExtension, copy)) {
            return copy->Get();
        }
        ShowLauncherMessage(IDS_SOURCE_COPY_FAILED, MB_ICONERROR);
    }
    return path;
}

bool FormatParams(const char* arguments, const char* file, CHeapText* params) {
    const size_t size = EditorParamsSize(static_cast<size_t>(lstrlenA(arguments)),
                                         QuotedPathLength(file, AnsiLeadByte));
    return params->Allocate(size) &&
           FormatEditorParams(params->Get(), params->Size(), arguments, file, AnsiLeadByte);
}

} // namespace

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

namespace {

// Starts `"<editor>" <params>`, the command line the shell builds, as that
// program, with `showState` in its STARTUPINFO.
bool CreateEditorProcess(const char* editor, const char* params, int showState, DWORD flags,
                         PROCESS_INFORMATION* started) {
    const size_t editorLength = static_cast<size_t>(lstrlenA(editor));
    const size_t paramsLength = static_cast<size_t>(lstrlenA(params));
    CHeapText commandLine;
    if (!commandLine.Allocate(editorLength + paramsLength + 4)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
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
    return CreateProcessA(editor, commandLine.Get(), NULL, NULL, FALSE, flags, NULL, NULL, &startup,
                          started) != FALSE;
}

} // namespace

HANDLE StartAsDebuggee(const char* editor, const char* params, int showState) {
    PROCESS_INFORMATION started;
    BYTE* readOptions = ReadImageFileExecOptions();
    const BYTE savedReadOptions = *readOptions;
    *readOptions = 0;
    const bool created =
        CreateEditorProcess(editor, params, showState, DEBUG_ONLY_THIS_PROCESS, &started);
    const DWORD error = GetLastError();
    *readOptions = savedReadOptions;
    if (!created) {
        SetLastError(error);
        return NULL;
    }
    CloseHandle(started.hThread);
    // Should this program end before it lets go, the editor must live on.
    DebugSetProcessKillOnExit(FALSE);
    if (!DebugActiveProcessStop(started.dwProcessId)) {
        // Held at its first debug event, it would never run.
        const DWORD stopError = GetLastError();
        TerminateProcess(started.hProcess, 1);
        CloseHandle(started.hProcess);
        SetLastError(stopError);
        return NULL;
    }
    return started.hProcess;
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

namespace {

// The file-system path of shell special folder `csidl`; false when it cannot
// be located.
bool GetSpecialFolderPath(int csidl, CHeapText* out) {
    IMalloc* shellMalloc = NULL;
    if (FAILED(SHGetMalloc(&shellMalloc)) || !shellMalloc) {
        return false;
    }
    bool found = false;
    LPITEMIDLIST items = NULL;
    if (SUCCEEDED(SHGetSpecialFolderLocation(GetDesktopWindow(), csidl, &items)) && items) {
        // The shell's ANSI form takes a MAX_PATH buffer.
        found = out->Allocate(MAX_PATH) && SHGetPathFromIDListA(items, out->Get()) &&
                out->Get()[0] != '\0';
        shellMalloc->Free(items);
    }
    shellMalloc->Release();
    return found;
}

} // namespace

// Judged on full long paths, so that short names, "..", and forward slashes
// neither hide a cached file nor pass off another file as a cached one.
bool CInternetCache::Holds(const char* path) {
    if (!lookedUp) {
        lookedUp = true;
        CHeapText cache;
        if (!GetSpecialFolderPath(CSIDL_INTERNET_CACHE, &cache) ||
            !GetResolvedPath(cache.Get(), &folder)) {
            folder.Free(); // not located: nothing counts as cached
        }
    }
    CHeapText pathResolved;
    return folder.Get() && GetResolvedPath(path, &pathResolved) &&
           PathLiesInFolder(pathResolved.Get(), folder.Get(), AnsiLeadByte,
                            AnsiSameTextIgnoringCase);
}

namespace {

// The system's reason for a ShellExecute result of 32 or less, which names
// the older codes of its own.
DWORD ShellExecuteError(HINSTANCE result) {
    const INT_PTR code = reinterpret_cast<INT_PTR>(result);
    switch (code) {
    case 0:
        return ERROR_NOT_ENOUGH_MEMORY;
    case SE_ERR_SHARE:
        return ERROR_SHARING_VIOLATION;
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC:
        return ERROR_NO_ASSOCIATION;
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY:
        return ERROR_DDE_FAIL;
    case SE_ERR_DLLNOTFOUND:
        return ERROR_DLL_NOT_FOUND;
    default:
        return static_cast<DWORD>(code); // the rest are the system's own codes
    }
}

DWORD Failed(DWORD error) {
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

// Started as a program, never through a file class: where the start is
// elevated, or Windows would hand it to a registered debugger.
DWORD StartProgram(const EditorStartPlan& plan, const char* params, const char* file,
                   const WIN32_FILE_ATTRIBUTE_DATA* watched, CEditorProcesses* started) {
    HANDLE process = NULL;
    if (plan.asDebuggee) {
        process = StartAsDebuggee(plan.editor, params, plan.showState);
    } else {
        PROCESS_INFORMATION created;
        if (CreateEditorProcess(plan.editor, params, plan.showState, 0, &created)) {
            CloseHandle(created.hThread);
            process = created.hProcess;
        }
    }
    if (!process) {
        return Failed(GetLastError());
    }
    if (started) {
        started->Add(process, watched, file);
    } else {
        CloseHandle(process);
    }
    return ERROR_SUCCESS;
}

} // namespace

bool StartsThroughShell(const EditorStartPlan& plan) {
    return !plan.asDebuggee && !plan.asProgram;
}

DWORD StartEditor(const EditorStartPlan& plan, const char* path, CInternetCache* cache,
                  CEditorProcesses* started) {
    CHeapText copy, paramText;
    const char* file = FileForEditor(plan, cache, path, &copy);
    if (!FormatParams(plan.arguments, file, &paramText)) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    const char* params = paramText.Get();
    // As the file stood before the editor could touch it, where that is watched.
    WIN32_FILE_ATTRIBUTE_DATA before;
    const WIN32_FILE_ATTRIBUTE_DATA* watched = NULL;
    if (plan.watchFiles) {
        before = FileStamp(file);
        watched = &before;
    }
    if (!StartsThroughShell(plan)) {
        return StartProgram(plan, params, file, watched, started);
    }
    if (!started) {
        // Fire and forget: the editor runs on its own.
        const HINSTANCE result =
            g_outsideWorld.shellExecute(NULL, NULL, plan.editor, params, NULL, plan.showState);
        return reinterpret_cast<INT_PTR>(result) <= 32 ? Failed(ShellExecuteError(result))
                                                       : ERROR_SUCCESS;
    }
    SHELLEXECUTEINFOA start;
    ZeroMemory(&start, sizeof start);
    start.cbSize = sizeof start;
    // The failure is this program's to report, once for the request.
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    start.lpFile = plan.editor;
    start.lpParameters = params;
    start.nShow = plan.showState;
    if (!g_outsideWorld.shellExecuteEx(&start)) {
        return Failed(GetLastError());
    }
    if (!start.hProcess) {
        // A running program (DDE, a hand-off) or the Open With dialog took
        // the file: nothing tells when its editing ends.
        started->HandOnUnwatched();
    } else {
        started->Add(start.hProcess, watched, file);
    }
    return ERROR_SUCCESS;
}
