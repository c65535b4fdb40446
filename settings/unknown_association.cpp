// The shell's Unknown file class: reading its state for the sheet, and making
// the program its open verb or undoing that. The program's verb is the user's
// own, in HKCU\Software\Classes, which the shell lays over the machine's
// class; the state is read the same way, the user's key over the machine's.
#include "settings/settings.h"

#include <shlwapi.h>

#include "resources/load_text.h"
#include "resources/resource_ids.h"
#include "resources/elevation.h"

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

// `subkey` of the shell key below `root`, opened or created for `access`.
bool OpenShell(CRegKey* key, HKEY root, const char* subkey, REGSAM access) {
    char name[MAX_PATH];
    return wnsprintfA(name, sizeof name, *subkey ? "%s\\%s" : "%s", kShell, subkey) > 0 &&
           key->Open(root, name, access) == ERROR_SUCCESS;
}

bool CreateShell(CRegKey* key, const char* subkey) {
    char name[MAX_PATH];
    return wnsprintfA(name, sizeof name, *subkey ? "%s\\%s" : "%s", kShell, subkey) > 0 &&
           key->Create(HKEY_CURRENT_USER, name, KEY_READ | KEY_WRITE) == ERROR_SUCCESS;
}

// Value `value` of `key` into `buffer` (kTextSize bytes): the stored text, or
// the empty text when it is absent or too long.
void ReadText(const CRegKey& key, const char* value, char* buffer) {
    CHeapText text;
    lstrcpynA(buffer,
              ReadTextThatFits(key, value, CSettings::kTextSize, false, &text) ? text.Get() : "",
              CSettings::kTextSize);
}

// The default value of `subkey` of the Unknown class's shell key as the
// shell sees it: the user's where the user's key has one, else the machine's.
void ReadMerged(const char* subkey, char* buffer) {
    CRegKey user, machine;
    if (OpenShell(&user, HKEY_CURRENT_USER, subkey, KEY_READ) && user.HasValue(NULL)) {
        ReadText(user, NULL, buffer);
    } else if (OpenShell(&machine, HKEY_LOCAL_MACHINE, subkey, KEY_READ)) {
        ReadText(machine, NULL, buffer);
    } else {
        ZeroMemory(buffer, CSettings::kTextSize);
    }
}

// Removes `subkey` of `key` when nothing is left in it.
bool DeleteIfEmpty(const CRegKey& key, const char* subkey) {
    CRegKey sub;
    if (sub.Open(key.Get(), subkey, KEY_READ) != ERROR_SUCCESS) {
        return true;
    }
    return !sub.IsEmpty() || (sub.Close(), key.DeleteSubkey(subkey) == ERROR_SUCCESS);
}

// The user's verb: on the move into associated, each default value it
// replaces is kept beside it, and an absent one stays absent on undo.
bool WriteUserVerb(const char* text, bool keepWhatWasThere) {
    const char* const texts[] = {kCommand, text, kOpenVerb};
    bool ok = true;
    for (size_t i = 0; i < sizeof kVerbKeys / sizeof kVerbKeys[0]; ++i) {
        CRegKey key;
        if (!CreateShell(&key, kVerbKeys[i])) {
            return false;
        }
        if (keepWhatWasThere) {
            ok &= key.CopyValue(NULL, kBackup);
        }
        ok &= key.SetText(NULL, texts[i]) == ERROR_SUCCESS;
    }
    return ok;
}

bool UndoUserVerb() {
    bool ok = true;
    for (size_t i = 0; i < sizeof kVerbKeys / sizeof kVerbKeys[0]; ++i) {
        CRegKey key;
        if (!OpenShell(&key, HKEY_CURRENT_USER, kVerbKeys[i], KEY_READ | KEY_WRITE)) {
            continue;
        }
        ok &= key.CopyValue(kBackup, NULL) && key.DeleteValue(kBackup) == ERROR_SUCCESS;
    }
    CRegKey shell;
    if (OpenShell(&shell, HKEY_CURRENT_USER, "", KEY_READ | KEY_WRITE)) {
        ok &= DeleteIfEmpty(shell, "open\\command") && DeleteIfEmpty(shell, "open");
    }
    return ok;
}

// Whether `root`'s class holds the program's verb as its default: an open
// verb of another program's is none of the program's business.
bool HoldsOurVerb(HKEY root) {
    CRegKey shell, command;
    char text[CSettings::kTextSize];
    if (!OpenShell(&shell, root, "", KEY_READ)) {
        return false;
    }
    ReadText(shell, NULL, text);
    if (lstrcmpiA(text, kOpenVerb) != 0 || !OpenShell(&command, root, "open\\command", KEY_READ)) {
        return false;
    }
    ReadText(command, NULL, text);
    return lstrcmpiA(text, kCommand) == 0;
}

// Earlier versions wrote the verb into the machine's class, with the previous
// default verb in "bak" (empty when there was none). Windows lets only an
// administrator's full token change it; Wine lets anyone, so a write that
// worked proves nothing, and the token decides (the caller's).
bool UndoMachineVerb() {
    CRegKey shell;
    char verb[CSettings::kTextSize];
    if (!OpenShell(&shell, HKEY_LOCAL_MACHINE, "", KEY_READ | KEY_WRITE)) {
        return false;
    }
    ReadText(shell, kBackup, verb);
    return shell.SetText(NULL, verb[0] ? verb : kOpenAs) == ERROR_SUCCESS &&
           shell.DeleteValue(kBackup) == ERROR_SUCCESS &&
           shell.DeleteSubkey("open\\command") == ERROR_SUCCESS &&
           shell.DeleteSubkey("open") == ERROR_SUCCESS;
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
        lstrcpynA(menuText, LoadTextTemp(IDS_DEFAULT_MENU_TEXT), sizeof menuText);
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
    if (HoldsOurVerb(HKEY_CURRENT_USER)) {
        ok &= UndoUserVerb();
    }
    bool machineVerbLeft = false;
    if (HoldsOurVerb(HKEY_LOCAL_MACHINE)) {
        if (IsElevated()) {
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
