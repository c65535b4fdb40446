#include "resources/paths.h"

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
