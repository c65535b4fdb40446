// The shell's Unknown file class: reading its state on Load, and making
// the program its open verb or undoing that.
#include "settings/settings.h"

#include "resources/load_text.h"
#include "resources/resource_ids.h"
#include "settings/registry_text.h"

namespace {

const char kUnknownShell[] = "Unknown\\shell";
const char kOpenVerb[] = "open";
const char kBackup[] = "bak";
const char kCommand[] = "notepad.exe %1";
const char kOpenAs[] = "openas";

// Reads the default value (or `value`) of `key` into `buffer` (kTextSize
// bytes): the stored text, or the empty text when it is absent or too long.
void ReadText(HKEY key, const char* value, char* buffer) {
    ZeroMemory(buffer, CSettings::kTextSize);
    DWORD size = CSettings::kTextSize;
    LONG result = RegQueryValueExA(key, value, NULL, NULL, reinterpret_cast<BYTE*>(buffer), &size);
    FinishRegistryText(buffer, CSettings::kTextSize, result == ERROR_SUCCESS, size, "");
}

void WriteText(HKEY key, const char* value, const char* text) {
    RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>(lstrlenA(text)));
}

// Creates or opens `subkey` of `key` and sets its default value to `text`.
void WriteSubkeyText(HKEY key, const char* subkey, const char* text) {
    HKEY sub;
    if (RegCreateKeyExA(key, subkey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &sub, NULL) ==
        ERROR_SUCCESS) {
        WriteText(sub, NULL, text);
        RegCloseKey(sub);
    }
}

} // namespace

void CSettings::LoadUnknownAssociation() {
    HKEY shell;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kUnknownShell, 0, KEY_ALL_ACCESS, &shell) !=
        ERROR_SUCCESS) {
        unknownAssociated = 0;
        lstrcpynA(menuText, LoadText(IDS_DEFAULT_MENU_TEXT), sizeof menuText);
        return;
    }
    char verb[kTextSize];
    ReadText(shell, NULL, verb);
    unknownAssociated = lstrcmpiA(verb, kOpenVerb) == 0 ? 1 : 0;
    if (!unknownAssociated) {
        lstrcpynA(menuText, LoadText(IDS_DEFAULT_MENU_TEXT), sizeof menuText);
        RegCloseKey(shell);
        return;
    }
    RegCloseKey(shell);
    HKEY open;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "Unknown\\shell\\open", 0, KEY_ALL_ACCESS, &open) ==
        ERROR_SUCCESS) {
        ReadText(open, NULL, menuText); // stays empty when it cannot be read
        RegCloseKey(open);
    }
}

int CSettings::ApplyUnknownAssociation(BOOL associate, const char* text) {
    if (!associate && !unknownAssociated) {
        return 1; // nothing to undo: no registry access at all
    }
    char* buffer = static_cast<char*>(GlobalAlloc(GPTR, kTextSize));
    HKEY shell;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kUnknownShell, 0, KEY_ALL_ACCESS, &shell) !=
        ERROR_SUCCESS) {
        GlobalFree(buffer);
        return 1;
    }
    if (associate) {
        if (!unknownAssociated) { // the backup is taken on the move into associated only
            ReadText(shell, NULL, buffer);
            WriteText(shell, kBackup, buffer);
        }
        WriteText(shell, NULL, kOpenVerb);
        WriteSubkeyText(shell, "open", text);
        WriteSubkeyText(shell, "open\\command", kCommand);
    } else {
        ReadText(shell, kBackup, buffer);
        WriteText(shell, NULL, buffer[0] ? buffer : kOpenAs);
        RegDeleteValueA(shell, kBackup);
        RegDeleteKeyA(shell, "open\\command");
        RegDeleteKeyA(shell, "open");
    }
    RegCloseKey(shell);
    GlobalFree(buffer);
    return 1;
}
