#include "launcher/paths.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "launcher/path_text.h"

bool CHeapText::Allocate(size_t bytes) {
    Free();
    text = static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes ? bytes : 1));
    size = text ? bytes : 0;
    return text != NULL;
}

bool CHeapText::Copy(const char* source) {
    size_t length = static_cast<size_t>(lstrlenA(source));
    if (!Allocate(length + 1)) {
        return false;
    }
    CopyMemory(text, source, length);
    return true;
}

void CHeapText::Free() {
    if (text) {
        HeapFree(GetProcessHeap(), 0, text);
    }
    text = NULL;
    size = 0;
}

bool AnsiLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

bool AnsiSwitchEquals(const char* argument, const char* name) {
    return lstrcmpiA(argument, name) == 0;
}

bool AnsiSameTextIgnoringCase(const char* a, const char* b, size_t length) {
    if (length > MAXDWORD) {
        return false;
    }
    CHeapText upperA, upperB;
    if (!upperA.Allocate(length + 1) || !upperB.Allocate(length + 1)) {
        return false;
    }
    CopyMemory(upperA.Get(), a, length);
    CopyMemory(upperB.Get(), b, length);
    CharUpperBuffA(upperA.Get(), static_cast<DWORD>(length));
    CharUpperBuffA(upperB.Get(), static_cast<DWORD>(length));
    return RtlEqualMemory(upperA.Get(), upperB.Get(), length);
}

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

bool SearchOutsideCurrentFolder(const char* name, CHeapText* out, SkipFile skip) {
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
    // One folder at a time, in order, so that a skipped hit does not hide the
    // folders after it. Every entry ends in ';'.
    CHeapText skipped;
    for (char* folder = folders.Get(); *folder != '\0';) {
        char* end = StrChrA(folder, ';');
        if (!end) {
            break;
        }
        *end = '\0';
        if (FillGrowing(out, [folder, name](char* buffer, DWORD size) {
                return SearchPathA(folder, name, NULL, size, buffer, NULL);
            })) {
            if (!skip || !skip(out->Get())) {
                return true;
            }
            if (!skipped.Get() && !skipped.Copy(out->Get())) {
                return false;
            }
        }
        folder = end + 1;
    }
    // Only skipped hits: the first of them, for the caller to refuse.
    if (!skipped.Get()) {
        out->Free();
        return false;
    }
    return out->Copy(skipped.Get());
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

namespace {

char g_specialFolder[MAX_PATH];

} // namespace

const char* GetSpecialFolderPath(int csidl) {
    ZeroMemory(g_specialFolder, sizeof g_specialFolder);
    IMalloc* shellMalloc = NULL;
    if (FAILED(SHGetMalloc(&shellMalloc)) || !shellMalloc) {
        return g_specialFolder;
    }
    LPITEMIDLIST items = NULL;
    if (SUCCEEDED(SHGetSpecialFolderLocation(GetDesktopWindow(), csidl, &items)) && items) {
        if (!SHGetPathFromIDListA(items, g_specialFolder)) {
            ZeroMemory(g_specialFolder, sizeof g_specialFolder);
        }
        shellMalloc->Free(items);
    }
    shellMalloc->Release();
    return g_specialFolder;
}

namespace {

// The cache folder, located through the shell once per run: the lookup is
// slow, and one request may name several files.
CHeapText g_cacheFolder;
bool g_cacheFolderLookedUp = false;

const char* ResolvedInternetCache() {
    if (!g_cacheFolderLookedUp) {
        g_cacheFolderLookedUp = true;
        CHeapText cache;
        if (!cache.Copy(GetSpecialFolderPath(CSIDL_INTERNET_CACHE)) || cache.Get()[0] == '\0' ||
            !GetResolvedPath(cache.Get(), &g_cacheFolder)) {
            g_cacheFolder.Free(); // not located: nothing counts as cached
        }
    }
    return g_cacheFolder.Get();
}

} // namespace

// Judged on full long paths, so that short names, "..", and forward slashes
// neither hide a cached file nor pass off another file as a cached one.
bool LiesInInternetCache(const char* path) {
    const char* cache = ResolvedInternetCache();
    CHeapText pathResolved;
    return cache && GetResolvedPath(path, &pathResolved) &&
           PathLiesInFolder(pathResolved.Get(), cache, AnsiLeadByte, AnsiSameTextIgnoringCase);
}

void ForgetInternetCacheFolder() {
    g_cacheFolder.Free();
    g_cacheFolderLookedUp = false;
}
