// The one way this program touches the registry: a key it owns, opened or
// created in a registry view, and its values read into buffers sized to what
// they hold.
#pragma once

#include <windows.h>

#include "resources/paths.h"

// One open registry key, closed when its owner goes. Moved, never copied.
class CRegKey {
public:
    CRegKey() = default;
    ~CRegKey() { Close(); }
    CRegKey(CRegKey&& other) : key(other.key) { other.key = NULL; }
    CRegKey& operator=(CRegKey&& other);
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    // `path` under `parent` with `access`, in registry `view` (0 for the
    // process's own, KEY_WOW64_64KEY for the native one). The result is the
    // system's; the key is closed unless it succeeds.
    LONG Open(HKEY parent, const char* path, REGSAM access, REGSAM view = 0);
    LONG Create(HKEY parent, const char* path, REGSAM access, REGSAM view = 0);
    void Close();

    HKEY Get() const { return key; }
    bool IsOpen() const { return key != NULL; }

    // A value of any length into `out` as text, REG_EXPAND_SZ expanded. The
    // stored type is not checked, and stored text need not end in a NUL.
    // False where there is no such value or its expansion failed: never a
    // shorter text.
    bool ReadText(const char* name, CHeapText* out) const;
    // The same, as stored, with its type.
    bool ReadStoredText(const char* name, CHeapText* out, DWORD* type) const;
    // A number from the value's bytes, of any type: up to 4, little-endian;
    // fewer fill the low-order bytes of `*number` and leave the rest. False,
    // with `*number` untouched, where there is no value or it takes more.
    bool ReadDword(const char* name, DWORD* number) const;
    // Whether the key holds a value of that name, of any type.
    bool HasValue(const char* name) const;

    LONG SetText(const char* name, const char* text, DWORD type = REG_SZ) const;
    LONG SetDword(const char* name, DWORD number) const;
    // A value that was not there counts as deleted.
    LONG DeleteValue(const char* name) const;
    // Value `from` copied to value `to`, type and bytes as stored; where
    // `from` is absent, `to` is deleted.
    bool CopyValue(const char* from, const char* to) const;
    // Whether the key holds neither values nor subkeys.
    bool IsEmpty() const;
    LONG DeleteSubkey(const char* name) const;
    // The name of subkey `index` into `name` (`size` bytes); false at the end
    // of the list, or where the key changed under the caller.
    bool SubkeyName(DWORD index, char* name, DWORD size) const;

private:
    HKEY key = NULL;
};

// `text` with its environment variables expanded, into `out`.
bool ExpandText(const char* text, CHeapText* out);

// `value` of `key` as text, where it fits `limit` bytes with its terminator,
// as stored and, for REG_EXPAND_SZ, as expanded (returned where `expand`):
// what the program's fixed buffers always read. An expansion that does not
// fit is no value at all, never a shorter one.
bool ReadTextThatFits(const CRegKey& key, const char* value, size_t limit, bool expand,
                      CHeapText* out);
