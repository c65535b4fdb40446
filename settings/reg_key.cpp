#include "settings/reg_key.h"

#include "settings/registry_text.h"

CRegKey& CRegKey::operator=(CRegKey&& other) {
    if (this != &other) {
        Close();
        key = other.key;
        other.key = NULL;
    }
    return *this;
}

LONG CRegKey::Open(HKEY parent, const char* path, REGSAM access, REGSAM view) {
    Close();
    const LONG result = RegOpenKeyExA(parent, path, 0, access | view, &key);
    if (result != ERROR_SUCCESS) {
        key = NULL;
    }
    return result;
}

LONG CRegKey::Create(HKEY parent, const char* path, REGSAM access, REGSAM view) {
    Close();
    const LONG result = RegCreateKeyExA(parent, path, 0, NULL, 0, access | view, NULL, &key, NULL);
    if (result != ERROR_SUCCESS) {
        key = NULL;
    }
    return result;
}

void CRegKey::Close() {
    if (key) {
        RegCloseKey(key);
        key = NULL;
    }
}

bool CRegKey::ReadStoredText(const char* name, CHeapText* out, DWORD* type) const {
    DWORD bytes = 0;
    if (!key || RegQueryValueExA(key, name, NULL, type, NULL, &bytes) != ERROR_SUCCESS) {
        return false;
    }
    // The size may grow between the two queries; one byte more, zero-filled,
    // ends a text stored without its NUL.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD got = bytes;
        if (!out->Allocate(static_cast<size_t>(bytes) + 1)) {
            return false;
        }
        const LONG result =
            RegQueryValueExA(key, name, NULL, type, reinterpret_cast<BYTE*>(out->Get()), &got);
        if (result == ERROR_SUCCESS) {
            return true;
        }
        if (result != ERROR_MORE_DATA) {
            break;
        }
        bytes = got;
    }
    out->Free();
    return false;
}

bool CRegKey::ReadText(const char* name, CHeapText* out) const {
    DWORD type = REG_NONE;
    CHeapText stored;
    if (!ReadStoredText(name, &stored, &type)) {
        return false;
    }
    if (type == REG_EXPAND_SZ) {
        return ExpandText(stored.Get(), out);
    }
    return out->Copy(stored.Get());
}

bool CRegKey::ReadDword(const char* name, DWORD* number) const {
    unsigned char data[4] = {0, 0, 0, 0};
    DWORD bytes = sizeof data;
    if (!key || RegQueryValueExA(key, name, NULL, NULL, data, &bytes) != ERROR_SUCCESS) {
        return false;
    }
    *number = DwordFromRegistryBytes(data, bytes, *number);
    return true;
}

bool CRegKey::HasValue(const char* name) const {
    return key && RegQueryValueExA(key, name, NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
}

LONG CRegKey::SetText(const char* name, const char* text, DWORD type) const {
    if (!key) {
        return ERROR_INVALID_HANDLE;
    }
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(lstrlenA(text)) + 1);
}

LONG CRegKey::SetDword(const char* name, DWORD number) const {
    if (!key) {
        return ERROR_INVALID_HANDLE;
    }
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                          sizeof number);
}

LONG CRegKey::DeleteValue(const char* name) const {
    if (!key) {
        return ERROR_INVALID_HANDLE;
    }
    const LONG result = RegDeleteValueA(key, name);
    return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
}

bool ExpandText(const char* text, CHeapText* out) {
    // The ANSI form may report one byte less than it needs.
    const DWORD needed = ExpandEnvironmentStringsA(text, NULL, 0);
    if (needed == 0 || !out->Allocate(static_cast<size_t>(needed) + 1)) {
        return false;
    }
    const DWORD written = ExpandEnvironmentStringsA(text, out->Get(), needed + 1);
    if (written == 0 || written > needed + 1) {
        out->Free();
        return false;
    }
    return true;
}

bool CRegKey::CopyValue(const char* from, const char* to) const {
    DWORD type = 0, bytes = 0;
    const LONG result =
        key ? RegQueryValueExA(key, from, NULL, &type, NULL, &bytes) : ERROR_INVALID_HANDLE;
    if (result == ERROR_FILE_NOT_FOUND) {
        return DeleteValue(to) == ERROR_SUCCESS;
    }
    CHeapText data;
    if (result != ERROR_SUCCESS || !data.Allocate(bytes)) {
        return false;
    }
    DWORD got = bytes;
    BYTE* raw = reinterpret_cast<BYTE*>(data.Get());
    return RegQueryValueExA(key, from, NULL, &type, raw, &got) == ERROR_SUCCESS &&
           RegSetValueExA(key, to, 0, type, raw, got) == ERROR_SUCCESS;
}

bool CRegKey::IsEmpty() const {
    DWORD subkeys = 0, values = 0;
    return key &&
           RegQueryInfoKeyA(key, NULL, NULL, NULL, &subkeys, NULL, NULL, &values, NULL, NULL, NULL,
                            NULL) == ERROR_SUCCESS &&
           subkeys == 0 && values == 0;
}

bool CRegKey::SubkeyName(DWORD index, char* name, DWORD size) const {
    DWORD length = size;
    return key && RegEnumKeyExA(key, index, name, &length, NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
}

LONG CRegKey::DeleteSubkey(const char* name) const {
    return key ? RegDeleteKeyA(key, name) : ERROR_INVALID_HANDLE;
}

bool ReadTextThatFits(const CRegKey& key, const char* value, size_t limit, bool expand,
                      CHeapText* out) {
    CHeapText stored;
    DWORD type = REG_NONE;
    if (!key.ReadStoredText(value, &stored, &type) ||
        !RegistryTextFits(stored.Get(), stored.Size() - 1, limit)) {
        return false;
    }
    // An expansion that does not fit is no value at all, not a shorter one;
    // also where the caller wants the text as stored.
    CHeapText expanded;
    if (type == REG_EXPAND_SZ && (!ExpandText(stored.Get(), &expanded) ||
                                  static_cast<size_t>(lstrlenA(expanded.Get())) >= limit)) {
        return false;
    }
    return out->Copy(type == REG_EXPAND_SZ && expand ? expanded.Get() : stored.Get());
}
