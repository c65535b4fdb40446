#include "settings/settings.h"

#include <shlwapi.h>

#include "resources/load_text.h"
#include "resources/resource_ids.h"
#include "settings/registry_text.h"

CSettings g_settings;

namespace {

const char kKeyPrefix[] = "Software\\Corvalen\\";
const char kPaths[] = "Paths";
const char kSource[] = "Source";

// The user's key, then the machine's, as each is read.
struct SettingsSource {
    HKEY key;
    REGSAM view;
};

} // namespace

namespace {

// ReadRegistryText, with REG_EXPAND_SZ left as stored where `expand` is false.
BOOL ReadStoredText(HKEY key, const char* subkey, const char* value, char* out, DWORD size,
                    REGSAM view, bool expand) {
    if (size == 0) {
        return FALSE;
    }
    out[0] = '\0';
    if (!key) {
        return FALSE;
    }
    HKEY sub = key;
    if (subkey && *subkey &&
        RegOpenKeyExA(key, subkey, 0, KEY_READ | view, &sub) != ERROR_SUCCESS) {
        return FALSE;
    }
    // Read into a buffer of its own, so that neither a failed nor a short
    // read leaves anything of an earlier value behind.
    char data[MAX_PATH];
    ZeroMemory(data, sizeof data);
    const DWORD readSize = size < sizeof data ? size : sizeof data;
    DWORD type = REG_NONE, length = readSize;
    const LONG result =
        RegQueryValueExA(sub, value, NULL, &type, reinterpret_cast<BYTE*>(data), &length);
    if (sub != key) {
        RegCloseKey(sub);
    }
    if (result != ERROR_SUCCESS || !TerminateRegistryText(data, readSize, length)) {
        return FALSE;
    }
    if (type != REG_EXPAND_SZ || !expand) {
        CopyRegistryText(out, size, data);
        return TRUE;
    }
    // An expansion that does not fit is no path at all, not a shorter one.
    const DWORD expanded = ExpandEnvironmentStringsA(data, out, size);
    if (expanded == 0 || expanded > size) {
        out[0] = '\0';
        return FALSE;
    }
    return TRUE;
}

// An expansion that takes more than `size` bytes with its terminator is none.
bool ExpansionFits(const char* text, DWORD size) {
    char expanded[MAX_PATH];
    const DWORD needed = ExpandEnvironmentStringsA(text, expanded, sizeof expanded);
    return needed != 0 && needed <= size;
}

} // namespace

BOOL ReadRegistryText(HKEY key, const char* subkey, const char* value, char* out, DWORD size,
                      REGSAM view) {
    return ReadStoredText(key, subkey, value, out, size, view, true);
}

// Editor paths are read through 100 bytes, room for 50 to 99 characters in
// the double-byte code pages this store was made for. Where UTF-8 is the code
// page, a character takes up to three bytes, so a path may fill its field.
DWORD CSettings::EditorPathReadSize() {
    return GetACP() == CP_UTF8 ? MAX_PATH : kTextSize;
}

bool CSettings::EditorPathFits(const char* text) {
    const DWORD readSize = EditorPathReadSize();
    if (static_cast<DWORD>(lstrlenA(text)) >= readSize) {
        return false;
    }
    return !StrChrA(text, '%') || ExpansionFits(text, readSize);
}

CSettings::CSettings()
    : machineKey(NULL), extensionFlag(0), unknownAssociated(0),
      waitForEditor(kWaitForEditorAutomatic) {
    ZeroMemory(keyPath, sizeof keyPath);
    ZeroMemory(editEditor, sizeof editEditor);
    ZeroMemory(printEditor, sizeof printEditor);
    ZeroMemory(extension, sizeof extension);
    ZeroMemory(menuText, sizeof menuText);
}

CSettings::~CSettings() {
    if (machineKey) {
        RegCloseKey(machineKey);
    }
}

BOOL CSettings::Open(const char* name) {
    // Opened once by the entry point; a second Open replaces the keys.
    if (key) {
        RegCloseKey(key);
        key = NULL;
    }
    if (machineKey) {
        RegCloseKey(machineKey);
        machineKey = NULL;
    }
    CopyRegistryText(keyPath, sizeof keyPath, kKeyPrefix);
    int used = lstrlenA(keyPath);
    CopyRegistryText(keyPath + used, sizeof keyPath - used, name);

    // Read-only either way: a caller that may not create the key (a
    // low-integrity one, say) still reads what is stored.
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, NULL, 0, KEY_READ, NULL, &key, NULL) !=
            ERROR_SUCCESS &&
        RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        key = NULL;
    }
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ | KEY_WOW64_64KEY, &machineKey) !=
        ERROR_SUCCESS) {
        machineKey = NULL;
    }
    if (!key) {
        return FALSE;
    }
    // A first run leaves the layout in place for the user to find. Made from
    // the root: the open key may only be read.
    const char* subkeys[] = {kPaths, kSource};
    for (const char* subkey : subkeys) {
        char path[MAX_PATH + 8];
        wnsprintfA(path, sizeof path, "%s\\%s", keyPath, subkey);
        HKEY sub;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, NULL, 0, KEY_READ, NULL, &sub, NULL) ==
            ERROR_SUCCESS) {
            RegCloseKey(sub);
        }
    }
    return TRUE;
}

void CSettings::Load() {
    ZeroMemory(editEditor, sizeof editEditor);
    ZeroMemory(printEditor, sizeof printEditor);
    extensionFlag = 0;
    ZeroMemory(extension, sizeof extension);
    waitForEditor = kWaitForEditorAutomatic;

    const DWORD pathSize = EditorPathReadSize();
    if (!ReadSetting(kPaths, "CommonEditor", editEditor, pathSize)) {
        lstrcpynA(editEditor, LoadText(IDS_DEFAULT_EDITOR), sizeof editEditor);
    }
    if (!ReadSetting(kPaths, "PrinterEditor", printEditor, pathSize)) {
        lstrcpynA(printEditor, LoadText(IDS_DEFAULT_EDITOR), sizeof printEditor);
    }
    extensionFlag = static_cast<LONG>(ReadDword(kSource, "ExtensionFlag", 0));
    if (!ReadSetting(kSource, "Extension", extension, sizeof extension)) {
        lstrcpynA(extension, LoadText(IDS_EXTENSION_HTM), sizeof extension);
    }
    waitForEditor = ReadDword(kPaths, "WaitForEditor", kWaitForEditorAutomatic);
}

void CSettings::ReadEditorAsStored(BOOL print, char* out, DWORD size) const {
    const char* value = print ? "PrinterEditor" : "CommonEditor";
    const DWORD readSize = size < EditorPathReadSize() ? size : EditorPathReadSize();
    // Read as Load reads it, so that what is shown is the setting in effect.
    char expanded[MAX_PATH];
    const SettingsSource sources[] = {{key, 0}, {machineKey, KEY_WOW64_64KEY}};
    for (const SettingsSource& source : sources) {
        if (ReadStoredText(source.key, kPaths, value, expanded, readSize, source.view, true) &&
            ReadStoredText(source.key, kPaths, value, out, readSize, source.view, false)) {
            return;
        }
    }
    CopyRegistryText(out, size, LoadText(IDS_DEFAULT_EDITOR));
}

BOOL CSettings::ReadMachineEditor(BOOL print, char* out, DWORD size) const {
    if (size > EditorPathReadSize()) {
        size = EditorPathReadSize();
    }
    return ReadMachineSetting(kPaths, print ? "PrinterEditor" : "CommonEditor", out, size);
}

BOOL CSettings::EditorIsMachines(BOOL print) const {
    char text[MAX_PATH];
    const char* value = print ? "PrinterEditor" : "CommonEditor";
    return !ReadRegistryText(key, kPaths, value, text, EditorPathReadSize(), 0) &&
           ReadMachineEditor(print, text, sizeof text);
}

BOOL CSettings::ReadMachineSetting(const char* subkey, const char* value, char* out,
                                   DWORD size) const {
    return ReadRegistryText(machineKey, subkey, value, out, size < MAX_PATH ? size : MAX_PATH,
                            KEY_WOW64_64KEY);
}

BOOL CSettings::SetEditEditor(const char* text) {
    return WriteEditor("CommonEditor", text);
}

BOOL CSettings::SetPrintEditor(const char* text) {
    return WriteEditor("PrinterEditor", text);
}

BOOL CSettings::SetExtensionFlag(LONG flag) {
    return WriteDword(kSource, "ExtensionFlag", static_cast<DWORD>(flag));
}

BOOL CSettings::SetExtension(const char* text) {
    return WriteString(kSource, "Extension", text);
}

BOOL CSettings::ReadSetting(const char* subkey, const char* value, char* out, DWORD size) const {
    if (size > MAX_PATH) {
        size = MAX_PATH;
    }
    return ReadRegistryText(key, subkey, value, out, size, 0) ||
           ReadRegistryText(machineKey, subkey, value, out, size, KEY_WOW64_64KEY);
}

DWORD CSettings::ReadDword(const char* subkey, const char* value, DWORD fallback) const {
    const SettingsSource sources[] = {{key, 0}, {machineKey, KEY_WOW64_64KEY}};
    for (const SettingsSource& source : sources) {
        HKEY sub;
        if (!source.key ||
            RegOpenKeyExA(source.key, subkey, 0, KEY_READ | source.view, &sub) != ERROR_SUCCESS) {
            continue;
        }
        unsigned char data[4] = {0, 0, 0, 0};
        DWORD size = sizeof data;
        LONG result = RegQueryValueExA(sub, value, NULL, NULL, data, &size);
        RegCloseKey(sub);
        if (result == ERROR_SUCCESS) {
            return DwordFromRegistryBytes(data, size, fallback);
        }
    }
    return fallback;
}

BOOL CSettings::WriteValue(const char* subkey, const char* value, DWORD type, const void* data,
                           DWORD bytes) {
    if (!key) {
        return FALSE;
    }
    // The key itself stays read-only; only the one write opens for writing.
    char path[MAX_PATH + 1 + MAX_PATH];
    wnsprintfA(path, sizeof path, "%s\\%s", keyPath, subkey);
    HKEY sub;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, NULL, 0, KEY_SET_VALUE, NULL, &sub, NULL) !=
        ERROR_SUCCESS) {
        return FALSE;
    }
    LONG result = RegSetValueExA(sub, value, 0, type, static_cast<const BYTE*>(data), bytes);
    RegCloseKey(sub);
    return result == ERROR_SUCCESS;
}

BOOL CSettings::WriteEditor(const char* value, const char* text) {
    const DWORD type = StrChrA(text, '%') ? REG_EXPAND_SZ : REG_SZ;
    return WriteValue(kPaths, value, type, text, static_cast<DWORD>(lstrlenA(text)) + 1);
}

BOOL CSettings::WriteString(const char* subkey, const char* value, const char* text) {
    return WriteValue(subkey, value, REG_SZ, text, static_cast<DWORD>(lstrlenA(text)) + 1);
}

BOOL CSettings::WriteDword(const char* subkey, const char* value, DWORD number) {
    return WriteValue(subkey, value, REG_DWORD, &number, sizeof number);
}
