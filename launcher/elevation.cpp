#include "launcher/elevation.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "launcher/path_text.h"

namespace {

// Fills `out` by `call(buffer, size)`, which returns the length written, or
// the size needed (or 0) when the buffer does not do.
template <typename Call> bool Fill(CHeapText* out, Call call) {
    if (!out->Allocate(MAX_PATH)) {
        return false;
    }
    const UINT length = call(out->Get(), MAX_PATH);
    return length > 0 && length < MAX_PATH;
}

bool ReadProgramFilesX64(CHeapText* out) {
    // The machine's own record, not the environment, which the user may set.
    // A 32-bit program cannot ask for FOLDERID_ProgramFilesX64.
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
        return false;
    }
    char folder[MAX_PATH];
    DWORD type = REG_NONE, bytes = sizeof folder - 1;
    ZeroMemory(folder, sizeof folder);
    const LONG result = RegQueryValueExA(key, "ProgramW6432Dir", NULL, &type,
                                         reinterpret_cast<BYTE*>(folder), &bytes);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) && folder[0] &&
           out->Copy(folder);
}

bool InFolder(const char* resolvedEditor, const char* folder) {
    CHeapText resolved;
    return GetResolvedPath(folder, &resolved) &&
           PathLiesInFolder(resolvedEditor, resolved.Get(), AnsiLeadByte, AnsiSameTextIgnoringCase);
}

} // namespace

bool IsElevated() {
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    TOKEN_ELEVATION elevation = {0};
    DWORD bytes = 0;
    const BOOL read =
        GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &bytes);
    CloseHandle(token);
    return read && elevation.TokenIsElevated != 0;
}

bool LiesInProtectedFolder(const char* editor) {
    CHeapText resolved;
    if (!GetResolvedPath(editor, &resolved)) {
        return false;
    }
    CHeapText folder;
    if (Fill(&folder,
             [](char* buffer, UINT size) { return GetSystemWindowsDirectoryA(buffer, size); }) &&
        InFolder(resolved.Get(), folder.Get())) {
        return true;
    }
    // Under the Windows folder anyway on Windows; checked on its own for
    // a system folder placed elsewhere.
    if (Fill(&folder, [](char* buffer, UINT size) { return GetSystemDirectoryA(buffer, size); }) &&
        InFolder(resolved.Get(), folder.Get())) {
        return true;
    }
    // On 64-bit Windows this is Program Files (x86) for a 32-bit program.
    if (folder.Allocate(MAX_PATH) &&
        SHGetFolderPathA(NULL, CSIDL_PROGRAM_FILES, NULL, SHGFP_TYPE_CURRENT, folder.Get()) ==
            S_OK &&
        InFolder(resolved.Get(), folder.Get())) {
        return true;
    }
    return ReadProgramFilesX64(&folder) && InFolder(resolved.Get(), folder.Get());
}

bool SearchSystemFolders(const char* name, CHeapText* out) {
    CHeapText system, windows;
    if (!Fill(&system, [](char* buffer, UINT size) { return GetSystemDirectoryA(buffer, size); }) ||
        !Fill(&windows,
              [](char* buffer, UINT size) { return GetSystemWindowsDirectoryA(buffer, size); })) {
        return false;
    }
    CHeapText folders;
    const size_t size = system.Size() + windows.Size() + 3;
    if (!folders.Allocate(size)) {
        return false;
    }
    wnsprintfA(folders.Get(), static_cast<int>(size), "%s;%s", system.Get(), windows.Get());
    if (!out->Allocate(MAX_PATH)) {
        return false;
    }
    const DWORD length = SearchPathA(folders.Get(), name, NULL, MAX_PATH, out->Get(), NULL);
    return length > 0 && length < MAX_PATH;
}

bool GetSystemNotepad(CHeapText* out) {
    CHeapText windows;
    if (!Fill(&windows,
              [](char* buffer, UINT size) { return GetSystemWindowsDirectoryA(buffer, size); }) ||
        !out->Allocate(MAX_PATH)) {
        return false;
    }
    lstrcpyA(out->Get(), windows.Get());
    return PathAppendA(out->Get(), "System32\\notepad.exe") != FALSE;
}
