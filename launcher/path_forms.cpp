#include "launcher/path_forms.h"

#include <shlwapi.h>

#include "launcher/search_folders.h"

namespace {

// Runs `call(buffer, size)`, which returns the length it wrote, the size it
// needs (NUL included) when the buffer is too small, or 0 on failure.
template <typename Call> bool FillGrowing(CHeapText* out, Call call) {
    DWORD size = MAX_PATH;
    for (int attempt = 0; attempt < 4; ++attempt) { // the needed size may change between calls
        if (!out->Allocate(size)) {
            return false;
        }
        DWORD result = call(out->Get(), size);
        if (result == 0) {
            out->Free();
            return false;
        }
        if (result < size) {
            return true;
        }
        size = result + 1;
    }
    out->Free();
    return false;
}

bool GetIdentity(const char* path, BY_HANDLE_FILE_INFORMATION* info) {
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    BOOL got = GetFileInformationByHandle(file, info);
    CloseHandle(file);
    return got != FALSE;
}

} // namespace

bool GetOwnModulePath(CHeapText* out) {
    // GetModuleFileNameA reports a cut name only by filling the whole buffer.
    for (DWORD size = MAX_PATH; size <= 0x10000; size *= 2) {
        if (!out->Allocate(size)) {
            return false;
        }
        DWORD length = GetModuleFileNameA(NULL, out->Get(), size);
        if (length == 0) {
            break;
        }
        if (length < size - 1) {
            return true;
        }
    }
    out->Free();
    return false;
}

bool SearchForFile(const char* name, CHeapText* out, const char* extension) {
    return FillGrowing(out, [name, extension](char* buffer, DWORD size) {
        return SearchPathA(NULL, name, extension, size, buffer, NULL);
    });
}

bool SearchOutsideCurrentFolder(const char* name, CHeapText* out) {
    CHeapText own, system, windows, path;
    if (!GetOwnModulePath(&own) ||
        !FillGrowing(&system,
                     [](char* buffer, DWORD size) { return GetSystemDirectoryA(buffer, size); }) ||
        !FillGrowing(&windows,
                     [](char* buffer, DWORD size) { return GetWindowsDirectoryA(buffer, size); })) {
        return false;
    }
    PathRemoveFileSpecA(own.Get());
    // No PATH is no error: the other folders remain.
    if (!FillGrowing(&path,
                     [](char* buffer, DWORD size) {
                         return GetEnvironmentVariableA("PATH", buffer, size);
                     }) &&
        !path.Copy("")) {
        return false;
    }
    CHeapText folders;
    const size_t size = own.Size() + system.Size() + windows.Size() + path.Size() + 4;
    if (!folders.Allocate(size) || !AppendAbsoluteFolders(folders.Get(), size, own.Get()) ||
        !AppendAbsoluteFolders(folders.Get(), size, system.Get()) ||
        !AppendAbsoluteFolders(folders.Get(), size, windows.Get()) ||
        !AppendAbsoluteFolders(folders.Get(), size, path.Get())) {
        return false;
    }
    return FillGrowing(out, [&folders, name](char* buffer, DWORD size) {
        return SearchPathA(folders.Get(), name, NULL, size, buffer, NULL);
    });
}

bool GetFullPath(const char* path, CHeapText* out) {
    return FillGrowing(out, [path](char* buffer, DWORD size) {
        return GetFullPathNameA(path, size, buffer, NULL);
    });
}

bool GetLongPath(const char* path, CHeapText* out) {
    return FillGrowing(
        out, [path](char* buffer, DWORD size) { return GetLongPathNameA(path, buffer, size); });
}

bool GetResolvedPath(const char* path, CHeapText* out) {
    CHeapText full;
    if (!GetFullPath(path, &full)) {
        return false;
    }
    return GetLongPath(full.Get(), out) || out->Copy(full.Get());
}

FileIdentity CompareFileIdentity(const char* a, const char* b) {
    BY_HANDLE_FILE_INFORMATION infoA, infoB;
    if (!GetIdentity(a, &infoA) || !GetIdentity(b, &infoB)) {
        return kIdentityUnknown;
    }
    return infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
                   infoA.nFileIndexHigh == infoB.nFileIndexHigh &&
                   infoA.nFileIndexLow == infoB.nFileIndexLow
               ? kSameFile
               : kOtherFile;
}

bool IsSameFile(const char* a, const char* b) {
    if (lstrcmpiA(a, b) == 0) {
        return true;
    }
    switch (CompareFileIdentity(a, b)) {
    case kSameFile:
        return true;
    case kOtherFile:
        return false;
    case kIdentityUnknown:
        break;
    }
    CHeapText resolvedA, resolvedB;
    return GetResolvedPath(a, &resolvedA) && GetResolvedPath(b, &resolvedB) &&
           lstrcmpiA(resolvedA.Get(), resolvedB.Get()) == 0;
}
