#include "settings/setting_sources.h"

#include <shlwapi.h>

const char kSettingsKeyPath[] = "Software\\Corvalen\\Quillgate";

namespace {

const char* const kGroupNames[kGroupCount] = {"", "Paths", "Source"};

// The key path of `group`, or of `subkey` below the settings key.
bool GroupPath(const char* subkey, char* path, int size) {
    const int length = wnsprintfA(path, size, *subkey ? "%s\\%s" : "%s", kSettingsKeyPath, subkey);
    return length > 0 && length < size - 1;
}

} // namespace

bool CSettingSources::Open() {
    for (int group = 0; group < kGroupCount; ++group) {
        char path[MAX_PATH];
        GroupPath(kGroupNames[group], path, sizeof path);
        // Read-only either way: a caller that may not create the key (a
        // low-integrity one, say) still reads what is stored.
        CRegKey& user = keys[kFromUser][group];
        if (user.Create(HKEY_CURRENT_USER, path, KEY_READ) != ERROR_SUCCESS) {
            user.Open(HKEY_CURRENT_USER, path, KEY_READ);
        }
        keys[kFromMachine][group].Open(HKEY_LOCAL_MACHINE, path, KEY_READ, KEY_WOW64_64KEY);
    }
    return keys[kFromUser][kGroupRoot].IsOpen();
}

SettingSource CSettingSources::ReadText(SettingsGroup group, const char* value, size_t limit,
                                        bool expand, CHeapText* out) const {
    for (int source = 0; source < kFromDefault; ++source) {
        if (ReadTextThatFits(keys[source][group], value, limit, expand, out)) {
            return static_cast<SettingSource>(source);
        }
    }
    return kFromDefault;
}

bool CSettingSources::ReadTextFrom(SettingSource source, SettingsGroup group, const char* value,
                                   size_t limit, bool expand, CHeapText* out) const {
    return source != kFromDefault &&
           ReadTextThatFits(keys[source][group], value, limit, expand, out);
}

SettingSource CSettingSources::ReadDword(SettingsGroup group, const char* value, DWORD* out) const {
    for (int source = 0; source < kFromDefault; ++source) {
        if (keys[source][group].ReadDword(value, out)) {
            return static_cast<SettingSource>(source);
        }
    }
    return kFromDefault;
}

SettingSource CSettingSources::ReadTextBelow(const char* subkey, const char* value, size_t limit,
                                             bool machineOnly, CHeapText* out) const {
    for (int source = machineOnly ? kFromMachine : kFromUser; source < kFromDefault; ++source) {
        CRegKey row;
        const CRegKey& root = keys[source][kGroupRoot];
        if (root.IsOpen() &&
            row.Open(root.Get(), subkey, KEY_READ, source == kFromMachine ? KEY_WOW64_64KEY : 0) ==
                ERROR_SUCCESS &&
            ReadTextThatFits(row, value, limit, true, out)) {
            return static_cast<SettingSource>(source);
        }
    }
    return kFromDefault;
}

LONG CSettingSources::WriteText(SettingsGroup group, const char* value, const char* text,
                                DWORD type) const {
    char path[MAX_PATH];
    CRegKey key;
    if (!keys[kFromUser][kGroupRoot].IsOpen() ||
        !GroupPath(kGroupNames[group], path, sizeof path)) {
        return ERROR_INVALID_HANDLE;
    }
    const LONG opened = key.Create(HKEY_CURRENT_USER, path, KEY_SET_VALUE);
    return opened == ERROR_SUCCESS ? key.SetText(value, text, type) : opened;
}

LONG CSettingSources::WriteDword(SettingsGroup group, const char* value, DWORD number) const {
    char path[MAX_PATH];
    CRegKey key;
    if (!keys[kFromUser][kGroupRoot].IsOpen() ||
        !GroupPath(kGroupNames[group], path, sizeof path)) {
        return ERROR_INVALID_HANDLE;
    }
    const LONG opened = key.Create(HKEY_CURRENT_USER, path, KEY_SET_VALUE);
    return opened == ERROR_SUCCESS ? key.SetDword(value, number) : opened;
}
