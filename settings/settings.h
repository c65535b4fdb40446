#pragma once

#include <windows.h>

#include "resources/ui_language.h"
#include "settings/setting_sources.h"

// Values of Paths\WaitForEditor; anything else counts as automatic.
enum {
    kWaitForEditorAutomatic = 0, // when started from a console program
    kWaitForEditorAlways = 1,
    kWaitForEditorNever = 2,
};

// The program's settings, each from where it comes (setting_sources.h): a
// policy, else the user's own value, else the machine's, else the default. Also the state
// of the shell's Unknown file class, which only the settings sheet reads. One
// static instance, g_settings.
class CSettings {
public:
    // Texts are read through 100 bytes, as the store always read them.
    enum { kTextSize = 100 };

    CSettings();
    CSettings(const CSettings&) = delete;
    CSettings& operator=(const CSettings&) = delete;

    // Opens the keys for reading; the user's is created where it can be.
    // FALSE where the user's key could not be had: the defaults then hold.
    BOOL Open();
    // What a forward needs: both editors, the view-source copies, the wait,
    // the language.
    void Load();
    // The state of the shell's Unknown class and its menu text, for the
    // sheet (unknown_association.cpp).
    void LoadUnknownAssociation();

    // Editor paths come expanded where they are stored as REG_EXPAND_SZ.
    const char* EditEditor() const { return editEditor; }
    const char* PrintEditor() const { return printEditor; }
    // Where the editor setting Load took comes from (print: PrinterEditor).
    SettingSource EditorSource(BOOL print) const { return editorSources[print ? 1 : 0]; }
    LONG ExtensionFlag() const { return extensionFlag; }
    const char* Extension() const { return extension; }
    SettingSource ExtensionFlagSource() const { return extensionFlagSource; }
    SettingSource ExtensionSource() const { return extensionSource; }
    // As of the last LoadUnknownAssociation.
    LONG UnknownAssociated() const { return unknownAssociated; }
    const char* MenuText() const { return menuText; }
    // Whether the program waits for the editors it starts (kWaitFor...).
    DWORD WaitForEditor() const { return waitForEditor; }
    // The language of the texts that the settings ask for.
    UILanguageChoice UILanguage() const { return uiLanguage; }

    // The bytes an editor path is read through, its terminator included: a
    // longer path reads back as the default.
    static DWORD EditorPathReadSize();
    // Whether an editor path saved as `text` reads back as it is, expanded
    // too where it holds a %: its bytes in the code page in use.
    static bool EditorPathFits(const char* text);
    // The editor setting in effect (print: PrinterEditor) as it is stored,
    // %...% unexpanded, into `out` (`size` bytes, at least MAX_PATH): the
    // source that Load takes it from, else the default; what the sheet shows.
    void ReadEditorAsStored(BOOL print, char* out, DWORD size) const;
    // The editor setting only administrators could have given (print:
    // PrinterEditor), expanded: a policy, else the machine's. kFromDefault
    // where there is none.
    SettingSource ReadAdministratorsEditor(BOOL print, CHeapText* out) const;
    // `value` of an editor's row, Editors\<file name>, from every source or
    // only from administrators'; false where there is none.
    bool ReadEditorRow(const char* fileName, const char* value, bool administratorsOnly,
                       CHeapText* out) const;

    // Each writes the user's registry value at once; the fields change on the
    // next Load. An editor path holding a % is stored as REG_EXPAND_SZ. A
    // setting that a policy fixes still reads as the policy says.
    BOOL SetEditEditor(const char* text);
    BOOL SetPrintEditor(const char* text);
    BOOL SetExtensionFlag(LONG flag);
    BOOL SetExtension(const char* text);

    // Makes the program the user's default verb of the Unknown class, or
    // undoes that (and a verb an earlier version wrote for the machine),
    // judged from the state of the last LoadUnknownAssociation.
    enum AssociationResult {
        kAssociationSaved,
        kAssociationFailed, // a write did not work
        // The user's verb is undone, but the machine's needs an administrator:
        // this process runs with a standard user's token.
        kMachineVerbLeft,
    };
    AssociationResult ApplyUnknownAssociation(BOOL associate, const char* text);

private:
    // `value` of `group` into `out` (`size` bytes), else `fallback`.
    SettingSource LoadSettingText(SettingsGroup group, const char* value, DWORD limit, char* out,
                                  DWORD size, const char* fallback);

    CSettingSources sources;
    char editEditor[MAX_PATH];
    char printEditor[MAX_PATH];
    SettingSource editorSources[2];
    LONG extensionFlag;
    SettingSource extensionFlagSource;
    char extension[kTextSize];
    SettingSource extensionSource;
    LONG unknownAssociated;
    char menuText[kTextSize];
    DWORD waitForEditor;
    UILanguageChoice uiLanguage;
};

extern CSettings g_settings;
