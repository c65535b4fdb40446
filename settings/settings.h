#pragma once

#include <windows.h>

#include "settings/reg_key.h"

// Values of Paths\WaitForEditor; anything else counts as automatic.
enum {
    kWaitForEditorAutomatic = 0, // when started from a console program
    kWaitForEditorAlways = 1,
    kWaitForEditorNever = 2,
};

// The program's settings under HKCU\Software\Corvalen\<name>, and the state
// of the shell's Unknown file class. One static instance, g_settings.
class CSettings : public CRegKey {
public:
    enum { kTextSize = 100 }; // registry texts are read through 100 bytes

    CSettings();

    BOOL Open(const char* name);
    void Load();

    const char* EditEditor() const { return editEditor; }
    const char* PrintEditor() const { return printEditor; }
    LONG ExtensionFlag() const { return extensionFlag; }
    const char* Extension() const { return extension; }
    LONG UnknownAssociated() const { return unknownAssociated; }
    const char* MenuText() const { return menuText; }
    // Whether the program waits for the editors it starts (kWaitFor...).
    DWORD WaitForEditor() const { return waitForEditor; }
    // The bytes an editor path is read through, its terminator included: a
    // longer path reads back as the default.
    static DWORD EditorPathReadSize();

    // Each writes its registry value at once; the fields change on the next Load.
    BOOL SetEditEditor(const char* text);
    BOOL SetPrintEditor(const char* text);
    BOOL SetExtensionFlag(LONG flag);
    BOOL SetExtension(const char* text);

    // Makes the program the user's default verb of the Unknown class, or
    // undoes that (and a verb an earlier version wrote for the machine),
    // judged from the state of the last Load. Returns whether every write
    // worked.
    bool ApplyUnknownAssociation(BOOL associate, const char* text);

    // Reads through `size` bytes (at most MAX_PATH): a text that does not fit
    // with its terminator reads as `fallback`.
    const char* ReadString(const char* subkey, const char* value, const char* fallback,
                           DWORD size = kTextSize);
    DWORD ReadDword(const char* subkey, const char* value, DWORD fallback);
    BOOL WriteString(const char* subkey, const char* value, const char* text);
    BOOL WriteDword(const char* subkey, const char* value, DWORD number);

private:
    // Opens or creates `subkey` of the open key with KEY_ALL_ACCESS.
    BOOL OpenSubkey(const char* subkey, HKEY* sub) const;
    // Load's step for the shell's Unknown class (unknown_association.cpp).
    void LoadUnknownAssociation();

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
