#include "launcher/debugger_registration.h"

#include <windows.h>
#include <shlwapi.h>

#include "launcher/heap_text.h"
#include "launcher/path_forms.h"
#include "settings/reg_key.h"

namespace {

const char kImageOptions[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\";

class CReadKey : public CRegKey {
public:
    bool Open(HKEY parent, const char* name, REGSAM view) {
        return RegOpenKeyExA(parent, name, 0, KEY_READ | view, &key) == ERROR_SUCCESS;
    }
    HKEY Get() const { return key; }

    // A text value of any length, with environment variables expanded where
    // its type asks for it.
    bool ReadText(const char* name, CHeapText* out) const {
        DWORD type = 0, bytes = 0;
        if (RegQueryValueExA(key, name, NULL, &type, NULL, &bytes) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ)) {
            return false;
        }
        // One byte more, zero-filled: stored text need not end in a NUL.
        CHeapText stored;
        DWORD got = bytes;
        if (!stored.Allocate(static_cast<size_t>(bytes) + 1) ||
            RegQueryValueExA(key, name, NULL, &type, reinterpret_cast<BYTE*>(stored.Get()), &got) !=
                ERROR_SUCCESS) {
            return false;
        }
        if (type != REG_EXPAND_SZ) {
            return out->Copy(stored.Get());
        }
        DWORD needed = ExpandEnvironmentStringsA(stored.Get(), NULL, 0);
        // The ANSI form may want one byte more than it reports.
        if (needed == 0 || !out->Allocate(static_cast<size_t>(needed) + 1)) {
            return false;
        }
        DWORD written = ExpandEnvironmentStringsA(stored.Get(), out->Get(), needed + 1);
        return written != 0 && written <= needed + 1;
    }

    DWORD ReadNumber(const char* name) const {
        DWORD type = 0, number = 0, bytes = sizeof number;
        if (RegQueryValueExA(key, name, NULL, &type, reinterpret_cast<BYTE*>(&number), &bytes) !=
                ERROR_SUCCESS ||
            type != REG_DWORD) {
            return 0;
        }
        return number;
    }
};

// The programs a Debugger command line may start: the quoted name, or for an
// unquoted one each run of text up to a blank, as CreateProcess tries them.
bool StartsThisProgram(const char* debugger, ProgramTest isThisProgram) {
    while (*debugger == ' ' || *debugger == '\t') {
        ++debugger;
    }
    CHeapText program;
    if (!program.Allocate(static_cast<size_t>(lstrlenA(debugger)) + 1)) {
        return false;
    }
    if (*debugger == '"') {
        const char* name = debugger + 1;
        const char* end = name;
        while (*end && *end != '"') {
            end = CharNextA(end);
        }
        lstrcpynA(program.Get(), name, static_cast<int>(end - name) + 1);
        return isThisProgram(program.Get());
    }
    for (const char* end = debugger;; end = CharNextA(end)) {
        if (*end == '\0' || *end == ' ' || *end == '\t') {
            lstrcpynA(program.Get(), debugger, static_cast<int>(end - debugger) + 1);
            if (end != debugger && isThisProgram(program.Get())) {
                return true;
            }
        }
        if (*end == '\0') {
            return false;
        }
    }
}

bool DebuggerStartsThisProgram(const CReadKey& key, ProgramTest isThisProgram) {
    CHeapText debugger;
    return key.ReadText("Debugger", &debugger) && StartsThisProgram(debugger.Get(), isThisProgram);
}

// With UseFilter set, numbered subkeys name full paths (System32's Notepad,
// SysWOW64's) that have a Debugger of their own.
bool IsHandedBack(const CReadKey& options, REGSAM view, const char* editor,
                  ProgramTest isThisProgram) {
    if (DebuggerStartsThisProgram(options, isThisProgram)) {
        return true;
    }
    if (options.ReadNumber("UseFilter") == 0) {
        return false;
    }
    for (DWORD index = 0;; ++index) {
        char name[256]; // the longest key name and its NUL
        DWORD length = sizeof name;
        // The end of the list, or a key deleted or gone bad under us.
        if (RegEnumKeyExA(options.Get(), index, name, &length, NULL, NULL, NULL, NULL) !=
            ERROR_SUCCESS) {
            return false;
        }
        CReadKey filter;
        CHeapText filterPath;
        if (filter.Open(options.Get(), name, view) &&
            filter.ReadText("FilterFullPath", &filterPath) &&
            IsSameFile(filterPath.Get(), editor) &&
            DebuggerStartsThisProgram(filter, isThisProgram)) {
            return true;
        }
    }
}

} // namespace

bool IsStartHandedTo(const char* editor, ProgramTest isThisProgram) {
    const char* fileName = PathFindFileNameA(editor);
    CHeapText keyName;
    if (!keyName.Allocate(sizeof kImageOptions + static_cast<size_t>(lstrlenA(fileName)))) {
        return false;
    }
    lstrcpyA(keyName.Get(), kImageOptions);
    lstrcatA(keyName.Get(), fileName);
    // 32-bit Windows has one view and ignores the flags.
    static const REGSAM kViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
    for (size_t i = 0; i < sizeof kViews / sizeof kViews[0]; ++i) {
        CReadKey options;
        if (options.Open(HKEY_LOCAL_MACHINE, keyName.Get(), kViews[i]) &&
            IsHandedBack(options, kViews[i], editor, isThisProgram)) {
            return true;
        }
    }
    return false;
}
