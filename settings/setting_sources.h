// Where a setting comes from: the one rule that decides it, over the keys
// that hold settings.
#pragma once

#include "settings/reg_key.h"

// The settings key: the same path under HKEY_CURRENT_USER and, in the native
// view, HKEY_LOCAL_MACHINE.
extern const char kSettingsKeyPath[];
// The policies' key, with the same subkeys and values, where Group Policy
// and Intune write; administrators alone may write it, in either root.
extern const char kPolicyKeyPath[];

// Who gave a setting its value, in the order they decide.
enum SettingSource {
    kFromMachinePolicy, // the machine's policy
    kFromUserPolicy,    // the user's policy
    kFromUser,          // the user's own key
    kFromMachine,       // the machine's key
    kFromDefault,       // none of them: the built-in default
};

// Whether only an administrator could have given the setting: a policy or
// the machine's key. Such a setting may decide what an elevated start runs.
inline bool IsAdministrators(SettingSource source) {
    return source != kFromUser && source != kFromDefault;
}
inline bool IsPolicy(SettingSource source) {
    return source == kFromMachinePolicy || source == kFromUserPolicy;
}

// The settings key itself and its two subkeys.
enum SettingsGroup { kGroupRoot, kGroupPaths, kGroupSource, kGroupCount };

// The keys of every source, opened once for reading.
class CSettingSources {
public:
    // Opens what there is; the user's key and its subkeys are created where
    // they can be, so that a first run leaves the layout for the user to
    // find. A policy key that is not there costs one failed open. False
    // where the user's key could not be had.
    bool Open();

    // `value` of `group` from the first source that has one that fits:
    // a text of at most `limit` bytes with its terminator, as stored and as
    // expanded where it is REG_EXPAND_SZ (`expand`), or a number. kFromDefault,
    // with `out` untouched, where none has.
    SettingSource ReadText(SettingsGroup group, const char* value, size_t limit, bool expand,
                           CHeapText* out) const;
    SettingSource ReadDword(SettingsGroup group, const char* value, DWORD* out) const;
    // The same from the sources only administrators write: the policies and
    // the machine's key.
    SettingSource ReadAdministratorsText(SettingsGroup group, const char* value, size_t limit,
                                         bool expand, CHeapText* out) const;
    // A text of `subkey` below the settings key (an editor's row), from every
    // source or only from administrators'.
    SettingSource ReadTextBelow(const char* subkey, const char* value, size_t limit,
                                bool administratorsOnly, CHeapText* out) const;

    // Writes go to the user's key alone, each opening its subkey for that
    // write: the keys held here stay read-only.
    LONG WriteText(SettingsGroup group, const char* value, const char* text, DWORD type) const;
    LONG WriteDword(SettingsGroup group, const char* value, DWORD number) const;

private:
    // `group` of the user's key, opened for this one write alone.
    LONG OpenForWriting(SettingsGroup group, CRegKey* key) const;

    CRegKey keys[kFromDefault][kGroupCount];
};
