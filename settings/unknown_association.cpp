// The shell's Unknown file class: reading its state for the sheet, and making
// the program its open verb or undoing that. The program's verb is the user's
// own, in HKCU\Software\Classes, which the shell lays over the machine's
// class; the state is read the same way, the user's key over the machine's.
#include "settings/settings.h"

#include <shlwapi.h>

#include "resources/load_text.h"
#include "resources/resource_ids.h"
#include "settings/registry_text.h"

namespace {

// The same path below HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE.
const char kShell[] = "Software\\Classes\\Unknown\\shell";
const char kOpenVerb[] = "open";
// What stood in a default value before the program wrote it, kept beside it.
const char kBackup[] = "bak";
const char kCommand[] = "notepad.exe %1";
const char kOpenAs[] = "openas";

// The keys the program writes, below the shell key, innermost first.
const char* const kVerbKeys[] = {"open\\command", "open", ""};

class CKey {
public:
    CKey() : key(NULL) {}
    ~CKey() {
        if (key) {
            RegCloseKey(key);
        }
    }
    CKey(const CKey&) = delete;
    CKey& operator=(const CKey&) = delete;

    bool Open(HKEY root, const char* path, const char* subkey, REGSAM access) {
        char name[MAX_PATH];
        if (!Join(name, path, subkey)) {
            return false;
        }
        return RegOpenKeyExA(root, name, 0, access, &key) == ERROR_SUCCESS;
    }
    bool Create(HKEY root, const char* path, const char* subkey) {
        char name[MAX_PATH];
        if (!Join(name, path, subkey)) {
            return false;
        }
        return RegCreateKeyExA(root, name, 0, NULL, 0, KEY_READ | KEY_WRITE, NULL, &key, NULL) ==
               ERROR_SUCCESS;
    }
    HKEY Get() const { return key; }

private:
    static bool Join(char* name, const char* path, const char* subkey) {
        return wnsprintfA(name, MAX_PATH, *subkey ? "%s\\%s" : "%s", path, subkey) > 0;
    }
    HKEY key;
};

bool HasValue(HKEY key, const char* value) {
    LONG result = RegQueryValueExA(key, value, NULL, NULL, NULL, NULL);
    return result == ERROR_SUCCESS || result == ERROR_MORE_DATA;
}

// Reads value `value` of `key` into `buffer` (kTextSize bytes): the stored
// text, or the empty text when it is absent or too long.
void ReadText(HKEY key, const char* value, char* buffer) {
    ZeroMemory(buffer, CSettings::kTextSize);
    DWORD size = CSettings::kTextSize;
    LONG result = RegQueryValueExA(key, value, NULL, NULL, reinterpret_cast<BYTE*>(buffer), &size);
    FinishRegistryText(buffer, CSettings::kTextSize, result == ERROR_SUCCESS, size, "");
}

// The default value of `subkey` of the Unknown class's shell key as the
// shell sees it: the user's where the user's key has one, else the machine's.
void ReadMerged(const char* subkey, char* buffer) {
    CKey user, machine;
    if (user.Open(HKEY_CURRENT_USER, kShell, subkey, KEY_READ) && HasValue(user.Get(), NULL)) {
        ReadText(user.Get(), NULL, buffer);
    } else if (machine.Open(HKEY_LOCAL_MACHINE, kShell, subkey, KEY_READ)) {
        ReadText(machine.Get(), NULL, buffer);
    } else {
        ZeroMemory(buffer, CSettings::kTextSize);
    }
}

bool WriteText(HKEY key, const char* value, const char* text) {
    return RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(lstrlenA(text)) + 1) == ERROR_SUCCESS;
}

bool DeleteValue(HKEY key, const char* value) {
    LONG result = RegDeleteValueA(key, value);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

// Copies value `from` of `key` to value `to`, type and bytes as stored.
// Returns false when it cannot; there is nothing to copy when `from` is absent.
bool CopyValue(HKEY key, const char* from, const char* to) {
    DWORD type = 0, bytes = 0;
    LONG result = RegQueryValueExA(key, from, NULL, &type, NULL, &bytes);
    if (result == ERROR_FILE_NOT_FOUND) {
        return DeleteValue(key, to);
    }
    if (result != ERROR_SUCCESS) {
        return false;
    }
    BYTE* data = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, bytes ? bytes : 1));
    if (!data) {
        return false;
    }
    DWORD got = bytes;
    bool copied = RegQueryValueExA(key, from, NULL, &type, data, &got) == ERROR_SUCCESS &&
                  RegSetValueExA(key, to, 0, type, data, got) == ERROR_SUCCESS;
    HeapFree(GetProcessHeap(), 0, data);
    return copied;
}

// Removes `subkey` of `key` when nothing is left in it.
bool DeleteIfEmpty(HKEY key, const char* subkey) {
    CKey sub;
    if (!sub.Open(key, subkey, "", KEY_READ)) {
        return true;
    }
    DWORD subkeys = 0, values = 0;
    if (RegQueryInfoKeyA(sub.Get(), NULL, NULL, NULL, &subkeys, NULL, NULL, &values, NULL, NULL,
                         NULL, NULL) != ERROR_SUCCESS) {
        return false;
    }
    return subkeys != 0 || values != 0 || RegDeleteKeyA(key, subkey) == ERROR_SUCCESS;
}

// The user's verb: on the move into associated, each default value it
// replaces is kept beside it, and an absent one stays absent on undo.
bool WriteUserVerb(const char* text, bool keepWhatWasThere) {
    const char* const texts[] = {kCommand, text, kOpenVerb};
    bool ok = true;
    for (size_t i = 0; i < sizeof kVerbKeys / sizeof kVerbKeys[0]; ++i) {
        CKey key;
        if (!key.Create(HKEY_CURRENT_USER, kShell, kVerbKeys[i])) {
            return false;
        }
        if (keepWhatWasThere) {
            ok &= CopyValue(key.Get(), NULL, kBackup);
        }
        ok &= WriteText(key.Get(), NULL, texts[i]);
    }
    return ok;
}

bool UndoUserVerb() {
    bool ok = true;
    for (size_t i = 0; i < sizeof kVerbKeys / sizeof kVerbKeys[0]; ++i) {
        CKey key;
        if (!key.Open(HKEY_CURRENT_USER, kShell, kVerbKeys[i], KEY_READ | KEY_WRITE)) {
            continue;
        }
        ok &= CopyValue(key.Get(), kBackup, NULL) && DeleteValue(key.Get(), kBackup);
    }
    CKey shell;
    if (shell.Open(HKEY_CURRENT_USER, kShell, "", KEY_READ | KEY_WRITE)) {
        ok &= DeleteIfEmpty(shell.Get(), "open\\command") && DeleteIfEmpty(shell.Get(), "open");
    }
    return ok;
}

// Whether `root`'s class holds the program's verb as its default: an open
// verb of another program's is none of the program's business.
bool HoldsOurVerb(HKEY root, const char* shellPath) {
    CKey shell, command;
    char text[CSettings::kTextSize];
    if (!shell.Open(root, shellPath, "", KEY_READ)) {
        return false;
    }
    ReadText(shell.Get(), NULL, text);
    if (lstrcmpiA(text, kOpenVerb) != 0 ||
        !command.Open(root, shellPath, "open\\command", KEY_READ)) {
        return false;
    }
    ReadText(command.Get(), NULL, text);
    return lstrcmpiA(text, kCommand) == 0;
}

// Whether this process runs with an administrator's full token. Windows lets
// only such a process change the machine's classes; Wine lets anyone, so a
// write that worked proves nothing, and the token decides.
bool RunsElevated() {
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

// Earlier versions wrote the verb into the machine's class, with the previous
// default verb in "bak" (empty when there was none).

bool UndoMachineVerb() {
    CKey shell;
    char verb[CSettings::kTextSize];
    if (!shell.Open(HKEY_LOCAL_MACHINE, kShell, "", KEY_READ | KEY_WRITE)) {
        return false;
    }
    ReadText(shell.Get(), kBackup, verb);
    return WriteText(shell.Get(), NULL, verb[0] ? verb : kOpenAs) &&
           DeleteValue(shell.Get(), kBackup) &&
           RegDeleteKeyA(shell.Get(), "open\\command") == ERROR_SUCCESS &&
           RegDeleteKeyA(shell.Get(), "open") == ERROR_SUCCESS;
}

} // namespace

void CSettings::LoadUnknownAssociation() {
    unknownAssociated = 0;
    ZeroMemory(menuText, sizeof menuText);
    char verb[kTextSize], command[kTextSize];
    ReadMerged("", verb);
    ReadMerged("open\\command", command);
    unknownAssociated = lstrcmpiA(verb, kOpenVerb) == 0 && lstrcmpiA(command, kCommand) == 0;
    if (!unknownAssociated) {
        lstrcpynA(menuText, LoadText(IDS_DEFAULT_MENU_TEXT), sizeof menuText);
        return;
    }
    ReadMerged("open", menuText); // stays empty when it cannot be read
}

CSettings::AssociationResult CSettings::ApplyUnknownAssociation(BOOL associate, const char* text) {
    if (associate) {
        return WriteUserVerb(text, !unknownAssociated) ? kAssociationSaved : kAssociationFailed;
    }
    if (!unknownAssociated) {
        return kAssociationSaved; // nothing to undo: no registry access at all
    }
    bool ok = true;
    if (HoldsOurVerb(HKEY_CURRENT_USER, kShell)) {
        ok &= UndoUserVerb();
    }
    bool machineVerbLeft = false;
    if (HoldsOurVerb(HKEY_LOCAL_MACHINE, kShell)) {
        if (RunsElevated()) {
            ok &= UndoMachineVerb();
        } else {
            machineVerbLeft = true;
        }
    }
    if (!ok) {
        return kAssociationFailed;
    }
    return machineVerbLeft ? kMachineVerbLeft : kAssociationSaved;
}
