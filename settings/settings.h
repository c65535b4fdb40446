#pragma once

#include <windows.h>

#include "settings/reg_key.h"

// Values of Paths\WaitForEditor; anything else counts as automatic.
enum {
    kWaitForEditorAutomatic = 0, // when started from a console program
    kWaitForEditorAlways = 1,
    kWaitForEditorNever = 2,
};

// The program's settings under HKCU\Software\Corvalen\<name>, with the
// machine's settings under the same path in HKLM (the native registry view)
// where the user has no value of their own, and the state of the shell's
// Unknown file class, which only the settings sheet reads. One static
// instance, g_settings.
class CSettings : public CRegKey {
public:
    enum { kTextSize = 100 }; // registry texts are read through 100 bytes

    CSettings();
    ~CSettings() override;

    // Opens both keys for reading; the user's is created where it can be.
    BOOL Open(const char* name);
    // What a forward needs: both editors, the view-source copies, the wait.
    void Load();
    // The state of the shell's Unknown class and its menu text, for the
    // sheet (unknown_association.cpp).
    void LoadUnknownAssociation();

    // Editor paths come expanded where they are stored as REG_EXPAND_SZ.
    const char* EditEditor() const { return editEditor; }
    const char* PrintEditor() const { return printEditor; }
    LONG ExtensionFlag() const { return extensionFlag; }
    const char* Extension() const { return extension; }
    // As of the last LoadUnknownAssociation.
    LONG UnknownAssociated() const { return unknownAssociated; }
    const char* MenuText() const { return menuText; }
    // Whether the program waits for the editors it starts (kWaitFor...).
    DWORD WaitForEditor() const { return waitForEditor; }
    // The bytes an editor path is read through, its terminator included: a
    // longer path reads back as the default.
    static DWORD EditorPathReadSize();
    // Whether an editor path saved as `text` reads back as it is, expanded
    // too where it holds a %: its bytes in the code page in use.
    static bool EditorPathFits(const char* text);
    // The editor setting in effect (print: PrinterEditor) as it is stored,
    // %...% unexpanded, into `out` (`size` bytes, at least MAX_PATH): the
    // user's, else the machine's, else the default; what the sheet shows.
    void ReadEditorAsStored(BOOL print, char* out, DWORD size) const;

    // The machine's own editor setting alone (print: PrinterEditor), expanded,
    // into `out` (`size` bytes); FALSE where the machine has none.
    BOOL ReadMachineEditor(BOOL print, char* out, DWORD size) const;
    // Whether the editor setting Load took (print: PrinterEditor) is the
    // machine's: the user has none of their own that reads. Reads the
    // registry, for the messages that name the setting.
    BOOL EditorIsMachines(BOOL print) const;
    // `value` of `subkey` in the machine's settings alone, as ReadSetting reads it.
    BOOL ReadMachineSetting(const char* subkey, const char* value, char* out, DWORD size) const;

    // Each writes the user's registry value at once; the fields change on the
    // next Load. An editor path holding a % is stored as REG_EXPAND_SZ.
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

    // `value` of `subkey`, the user's where there is one, else the machine's,
    // into `out` (`size` bytes, at most MAX_PATH, terminator included).
    // FALSE, with `out` empty, where neither has one that fits.
    BOOL ReadSetting(const char* subkey, const char* value, char* out, DWORD size) const;
    DWORD ReadDword(const char* subkey, const char* value, DWORD fallback) const;
    BOOL WriteString(const char* subkey, const char* value, const char* text);
    BOOL WriteDword(const char* subkey, const char* value, DWORD number);

private:
    CSettings(const CSettings&) = delete;
    CSettings& operator=(const CSettings&) = delete;

    // Writes one value of the user's key, opening `subkey` for that alone.
    BOOL WriteValue(const char* subkey, const char* value, DWORD type, const void* data,
                    DWORD bytes);
    BOOL WriteEditor(const char* value, const char* text);

    HKEY machineKey; // the machine's settings, NULL where there are none
    char keyPath[MAX_PATH];
    char editEditor[MAX_PATH];
    char printEditor[MAX_PATH];
    LONG extensionFlag;
    char extension[kTextSize];
    LONG unknownAssociated;
    char menuText[kTextSize];
    DWORD waitForEditor;
};

extern CSettings g_settings;

// Reads `value` of `subkey` under the open key `key` into `out` (`size`
// bytes), `subkey` opened in registry view `view`: a text of any type,
// REG_EXPAND_SZ expanded. FALSE, with `out`
// empty, where it is absent or does not fit with its terminator.
BOOL ReadRegistryText(HKEY key, const char* subkey, const char* value, char* out, DWORD size,
                      REGSAM view);
