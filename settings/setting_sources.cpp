#include "settings/setting_sources.h"

#include <shlwapi.h>

const char kSettingsKeyPath[] = "Software\\Corvalen\\Quillgate";
const char kPolicyKeyPath[] = "Software\\Policies\\Corvalen\\Quillgate";

namespace {

const char* const kGroupNames[kGroupCount] = {"", "Paths", "Source"};

// Where each source lies, in SettingSource's order. The machine's keys are
// read in the native view: a 32-bit program would otherwise see the copies
// under WOW6432Node, which policies and Setup do not write.
struct SourceKey {
    HKEY root;
    const char* path;
    REGSAM view;
};
const SourceKey kSourceKeys[kFromDefault] = {
    {HKEY_LOCAL_MACHINE, kPolicyKeyPath, KEY_WOW64_64KEY},
    {HKEY_CURRENT_USER, kPolicyKeyPath, 0},
    {HKEY_CURRENT_USER, kSettingsKeyPath, 0},
    {HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_WOW64_64KEY},
};

// The key path of `subkey` below the settings key.
bool GroupPath(const char* subkey, char* path, int size) {
    const int length = wnsprintfA(path, size, *subkey ? "%s\\%s" : "%s", kSettingsKeyPath, subkey);
    return length > 0 && length < size - 1;
}

} // namespace

bool CSettingSources::Open() {
    for (int source = 0; source < kFromDefault; ++source) {
        const SourceKey& where = kSourceKeys[source];
        for (int group = 0; group < kGroupCount; ++group) {
            CRegKey& key = keys[source][group];
            key.Close();
            // A key that is not there has no groups to look for.
            if (group != kGroupRoot && !keys[source][kGroupRoot].IsOpen()) {
                continue;
            }
            char path[MAX_PATH];
            wnsprintfA(path, sizeof path, group == kGroupRoot ? "%s" : "%s\\%s", where.path,
                       kGroupNames[group]);
            // Read-only either way: a caller that may not create the user's
            // key (a low-integrity one, say) still reads what is stored.
            if (source != kFromUser ||
                key.Create(where.root, path, KEY_READ, where.view) != ERROR_SUCCESS) {
                key.Open(where.root, path, KEY_READ, where.view);
            }
        }
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

SettingSource CSettingSources::ReadAdministratorsText(SettingsGroup group, const char* value,
                                                      size_t limit, bool expand,
                                                      CHeapText* out) const {
    for (int source = 0; source < kFromDefault; ++source) {
        if (source != kFromUser &&
            ReadTextThatFits(keys[source][group], value, limit, expand, out)) {
            return static_cast<SettingSource>(source);
        }
    }
    return kFromDefault;
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
                                             bool administratorsOnly, CHeapText* out) const {
    for (int source = 0; source < kFromDefault; ++source) {
        CRegKey row;
        const CRegKey& root = keys[source][kGroupRoot];
        if ((!administratorsOnly || source != kFromUser) && root.IsOpen() &&
            row.Open(root.Get(), subkey, KEY_READ, kSourceKeys[source].view) == ERROR_SUCCESS &&
            ReadTextThatFits(row, value, limit, true, out)) {
            return static_cast<SettingSource>(source);
        }
    }
    return kFromDefault;
}

LONG CSettingSources::OpenForWriting(SettingsGroup group, CRegKey* key) const {
    char path[MAX_PATH];
    if (!keys[kFromUser][kGroupRoot].IsOpen() ||
        !GroupPath(kGroupNames[group], path, sizeof path)) {
        return ERROR_INVALID_HANDLE;
    }
    return key->Create(HKEY_CURRENT_USER, path, KEY_SET_VALUE);
}

LONG CSettingSources::WriteText(SettingsGroup group, const char* value, const char* text,
                                DWORD type) const {
    CRegKey key;
    const LONG opened = OpenForWriting(group, &key);
    return opened == ERROR_SUCCESS ? key.SetText(value, text, type) : opened;
}

LONG CSettingSources::WriteDword(SettingsGroup group, const char* value, DWORD number) const {
    CRegKey key;
    const LONG opened = OpenForWriting(group, &key);
    return opened == ERROR_SUCCESS ? key.SetDword(value, number) : opened;
}
