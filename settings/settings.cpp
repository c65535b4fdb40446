#include "settings/settings.h"

#include "resources/load_text.h"
#include "resources/resource_ids.h"
#include "settings/registry_text.h"

CSettings g_settings;

namespace {

const char kKeyPrefix[] = "Software\\Corvalen\\";
const char kPaths[] = "Paths";
const char kSource[] = "Source";

// The one result buffer of ReadString, overwritten by every call.
char g_readText[MAX_PATH];

} // namespace

// Editor paths are read through 100 bytes, room for 50 to 99 characters in
// the double-byte code pages this store was made for. Where UTF-8 is the code
// page, a character takes up to three bytes, so a path may fill its field.
DWORD CSettings::EditorPathReadSize() {
    return GetACP() == CP_UTF8 ? MAX_PATH : kTextSize;
}

CSettings::CSettings()
    : extensionFlag(0), unknownAssociated(0), waitForEditor(kWaitForEditorAutomatic) {
    ZeroMemory(keyPath, sizeof keyPath);
    ZeroMemory(editEditor, sizeof editEditor);
    ZeroMemory(printEditor, sizeof printEditor);
    ZeroMemory(extension, sizeof extension);
    ZeroMemory(menuText, sizeof menuText);
}

BOOL CSettings::Open(const char* name) {
    if (key) { // opened once by the entry point; a second Open replaces the key
        RegCloseKey(key);
        key = NULL;
    }
    CopyRegistryText(keyPath, sizeof keyPath, kKeyPrefix);
    int used = lstrlenA(keyPath);
    CopyRegistryText(keyPath + used, sizeof keyPath - used, name);
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) !=
        ERROR_SUCCESS) {
        key = NULL;
        return FALSE;
    }
    return TRUE;
}

void CSettings::Load() {
    ZeroMemory(editEditor, sizeof editEditor);
    ZeroMemory(printEditor, sizeof printEditor);
    extensionFlag = 0;
    ZeroMemory(extension, sizeof extension);
    unknownAssociated = 0;
    ZeroMemory(menuText, sizeof menuText);
    waitForEditor = kWaitForEditorAutomatic;

    const DWORD pathSize = EditorPathReadSize();
    lstrcpynA(editEditor,
              ReadString(kPaths, "CommonEditor", LoadText(IDS_DEFAULT_EDITOR), pathSize),
              sizeof editEditor);
    lstrcpynA(printEditor,
              ReadString(kPaths, "PrinterEditor", LoadText(IDS_DEFAULT_EDITOR), pathSize),
              sizeof printEditor);
    extensionFlag = static_cast<LONG>(ReadDword(kSource, "ExtensionFlag", 0));
    lstrcpynA(extension, ReadString(kSource, "Extension", LoadText(IDS_EXTENSION_HTM)),
              sizeof extension);
    waitForEditor = ReadDword(kPaths, "WaitForEditor", kWaitForEditorAutomatic);
    LoadUnknownAssociation();
}

BOOL CSettings::SetEditEditor(const char* text) {
    return WriteString(kPaths, "CommonEditor", text);
}

BOOL CSettings::SetPrintEditor(const char* text) {
    return WriteString(kPaths, "PrinterEditor", text);
}

BOOL CSettings::SetExtensionFlag(LONG flag) {
    return WriteDword(kSource, "ExtensionFlag", static_cast<DWORD>(flag));
}

BOOL CSettings::SetExtension(const char* text) {
    return WriteString(kSource, "Extension", text);
}

BOOL CSettings::OpenSubkey(const char* subkey, HKEY* sub) const {
    if (!key) {
        return FALSE;
    }
    return RegCreateKeyExA(key, subkey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, sub, NULL) ==
           ERROR_SUCCESS;
}

const char* CSettings::ReadString(const char* subkey, const char* value, const char* fallback,
                                  DWORD size) {
    if (size > sizeof g_readText) {
        size = sizeof g_readText;
    }
    // The default first: it may be LoadText's buffer, which the caller reuses.
    CopyRegistryText(g_readText, size, fallback);
    HKEY sub;
    if (!OpenSubkey(subkey, &sub)) {
        return g_readText;
    }
    // Read into a buffer of its own, so that neither a failed nor a short
    // read leaves anything of the default or of an earlier value behind.
    char data[MAX_PATH];
    ZeroMemory(data, sizeof data);
    DWORD length = size;
    LONG result = RegQueryValueExA(sub, value, NULL, NULL, reinterpret_cast<BYTE*>(data), &length);
    if (result == ERROR_SUCCESS && TerminateRegistryText(data, size, length)) {
        CopyRegistryText(g_readText, size, data);
    }
    RegCloseKey(sub);
    return g_readText;
}

DWORD CSettings::ReadDword(const char* subkey, const char* value, DWORD fallback) {
    HKEY sub;
    if (!OpenSubkey(subkey, &sub)) {
        return fallback;
    }
    unsigned char data[4] = {0, 0, 0, 0};
    DWORD size = sizeof data;
    LONG result = RegQueryValueExA(sub, value, NULL, NULL, data, &size);
    RegCloseKey(sub);
    if (result != ERROR_SUCCESS) {
        return fallback;
    }
    return DwordFromRegistryBytes(data, size, fallback);
}

BOOL CSettings::WriteString(const char* subkey, const char* value, const char* text) {
    HKEY sub;
    if (!OpenSubkey(subkey, &sub)) {
        return FALSE;
    }
    LONG result = RegSetValueExA(sub, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                 static_cast<DWORD>(lstrlenA(text)));
    RegCloseKey(sub);
    return result == ERROR_SUCCESS;
}

BOOL CSettings::WriteDword(const char* subkey, const char* value, DWORD number) {
    HKEY sub;
    if (!OpenSubkey(subkey, &sub)) {
        return FALSE;
    }
    LONG result = RegSetValueExA(sub, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                                 sizeof number);
    RegCloseKey(sub);
    return result == ERROR_SUCCESS;
}
