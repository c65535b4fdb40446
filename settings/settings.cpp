#include "settings/settings.h"

#include <shlwapi.h>

#include "resources/load_text.h"
#include "resources/resource_ids.h"

CSettings g_settings;

namespace {

const char* const kEditorValues[2] = {"CommonEditor", "PrinterEditor"};

void CopyText(char* out, DWORD size, const char* text) {
    lstrcpynA(out, text, static_cast<int>(size));
}

} // namespace

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
    CHeapText expanded;
    return !StrChrA(text, '%') ||
           (ExpandText(text, &expanded) && static_cast<DWORD>(lstrlenA(expanded.Get())) < readSize);
}

CSettings::CSettings()
    : editorSources{kFromDefault, kFromDefault}, extensionFlag(0),
      extensionFlagSource(kFromDefault), extensionSource(kFromDefault), unknownAssociated(0),
      waitForEditor(kWaitForEditorAutomatic), uiLanguage(kWindowsLanguage) {
    ZeroMemory(editEditor, sizeof editEditor);
    ZeroMemory(printEditor, sizeof printEditor);
    ZeroMemory(extension, sizeof extension);
    ZeroMemory(menuText, sizeof menuText);
}

BOOL CSettings::Open() {
    return sources.Open() ? TRUE : FALSE;
}

SettingSource CSettings::LoadSettingText(SettingsGroup group, const char* value, DWORD limit,
                                         char* out, DWORD size, const char* fallback) {
    CHeapText text;
    const SettingSource source = sources.ReadText(group, value, limit, true, &text);
    CopyText(out, size, source == kFromDefault ? fallback : text.Get());
    return source;
}

void CSettings::Load() {
    // The language first: the defaults below are texts.
    char language[kTextSize];
    LoadSettingText(kGroupRoot, "UILanguage", kTextSize, language, sizeof language, "");
    uiLanguage = UILanguageFromText(language);

    const DWORD pathSize = EditorPathReadSize();
    for (int print = 0; print < 2; ++print) {
        editorSources[print] = LoadSettingText(kGroupPaths, kEditorValues[print], pathSize,
                                               print ? printEditor : editEditor, MAX_PATH,
                                               ::LoadTextTemp(IDS_DEFAULT_EDITOR));
    }
    DWORD flag = 0;
    extensionFlagSource = sources.ReadDword(kGroupSource, "ExtensionFlag", &flag);
    extensionFlag = static_cast<LONG>(flag);
    extensionSource = LoadSettingText(kGroupSource, "Extension", kTextSize, extension,
                                      sizeof extension, ::LoadTextTemp(IDS_EXTENSION_HTM));
    waitForEditor = kWaitForEditorAutomatic;
    sources.ReadDword(kGroupPaths, "WaitForEditor", &waitForEditor);
}

void CSettings::ReadEditorAsStored(BOOL print, char* out, DWORD size) const {
    // Read as Load reads it, so that what is shown is the setting in effect.
    CHeapText stored;
    const DWORD limit = size < EditorPathReadSize() ? size : EditorPathReadSize();
    if (sources.ReadText(kGroupPaths, kEditorValues[print ? 1 : 0], limit, false, &stored) ==
        kFromDefault) {
        CopyText(out, size, ::LoadTextTemp(IDS_DEFAULT_EDITOR));
        return;
    }
    CopyText(out, size, stored.Get());
}

SettingSource CSettings::ReadAdministratorsEditor(BOOL print, CHeapText* out) const {
    return sources.ReadAdministratorsText(kGroupPaths, kEditorValues[print ? 1 : 0],
                                          EditorPathReadSize(), true, out);
}

bool CSettings::ReadEditorRow(const char* fileName, const char* value, bool administratorsOnly,
                              CHeapText* out) const {
    char subkey[MAX_PATH + 8];
    const int length = wnsprintfA(subkey, sizeof subkey, "Editors\\%s", fileName);
    return length > 0 && length < static_cast<int>(sizeof subkey) - 1 &&
           sources.ReadTextBelow(subkey, value, MAX_PATH, administratorsOnly, out) != kFromDefault;
}

BOOL CSettings::SetEditEditor(const char* text) {
    const DWORD type = StrChrA(text, '%') ? REG_EXPAND_SZ : REG_SZ;
    return sources.WriteText(kGroupPaths, kEditorValues[0], text, type) == ERROR_SUCCESS;
}

BOOL CSettings::SetPrintEditor(const char* text) {
    const DWORD type = StrChrA(text, '%') ? REG_EXPAND_SZ : REG_SZ;
    return sources.WriteText(kGroupPaths, kEditorValues[1], text, type) == ERROR_SUCCESS;
}

BOOL CSettings::SetExtensionFlag(LONG flag) {
    return sources.WriteDword(kGroupSource, "ExtensionFlag", static_cast<DWORD>(flag)) ==
           ERROR_SUCCESS;
}

BOOL CSettings::SetExtension(const char* text) {
    return sources.WriteText(kGroupSource, "Extension", text, REG_SZ) == ERROR_SUCCESS;
}
