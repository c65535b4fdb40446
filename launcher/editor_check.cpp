#include "launcher/editor_check.h"

#include <shlwapi.h>

#include "launcher/outside_world.h"
#include "launcher/paths.h"
#include "resources/resource_ids.h"
#include "settings/reg_key.h"
#include "ui/sheet/version_key.h"
#include "ui/sheet/version_text.h"

namespace {

// Windows starts "<Debugger> <command line>" in place of a program whose file
// name has a Debugger registered under Image File Execution Options, unless
// the program's creator debugs it. Replacements of Notepad take its place that
// way, so an editor setting that names the real Notepad can lead straight back
// to this program.

// Whether `program`, as a command line names it, is this program.
typedef bool (*ProgramTest)(const char* program);

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
bool RedirectsToThisProgram(const CReadKey& options, REGSAM view, const char* editor,
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

// Whether a registration in either registry view redirects a start of
// `editor` (a full path) to a program for which `isThisProgram` holds.
bool IsStartRedirectedTo(const char* editor, ProgramTest isThisProgram) {
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
            RedirectsToThisProgram(options, kViews[i], editor, isThisProgram)) {
            return true;
        }
    }
    return false;
}

// However the setting spells this program. Runs on every forward, so the
// own path is compared before anything is read from disk.
bool IsThisProgram(const char* editor) {
    CHeapText own;
    return GetOwnModulePath(&own) && IsSameFile(own.Get(), editor);
}

// A copy of this program under any name would forward to the same settings,
// and so to itself: its version resource names this product under its first
// translation.
bool IsCopyOfThisProgram(const char* editor) {
    const DWORD* translation = NULL;
    UINT bytes = 0;
    LPVOID block = ReadVersionBlock(editor, &translation, &bytes);
    if (!block) {
        return false;
    }
    char key[kVersionKeySize];
    LPVOID value = NULL;
    UINT length = 0;
    const bool copy = bytes >= sizeof *translation &&
                      FormatStringFileInfoKey(key, sizeof key, LOWORD(*translation),
                                              HIWORD(*translation), "ProductName") &&
                      g_outsideWorld.queryVersionValue(block, key, &value, &length) && value &&
                      lstrcmpA(static_cast<const char*>(value), QUILLGATE_PRODUCT_NAME) == 0;
    GlobalFree(block);
    return copy;
}

// A bare name (the default, notepa~.exe) is never taken from the current
// folder, which is the opened file's; the editor then starts by the full path
// found, so the shell does not look for it again. This program's own folder
// comes first, so "notepad.exe" would find this program: a hit that is this
// program or a copy is passed over.
bool IsThisProgramOrCopy(const char* path) {
    return IsThisProgram(path) || IsCopyOfThisProgram(path);
}

bool ResolveEditor(const char* setting, CHeapText* out) {
    if (PathFindFileNameA(setting) == setting) {
        return SearchOutsideCurrentFolder(setting, out, IsThisProgramOrCopy);
    }
    return SearchForFile(setting, out) || out->Copy(setting);
}

// What a debugger registration starts, as a command line names it: like
// CreateProcess, a name without an extension means an .exe.
bool NamesThisProgram(const char* program) {
    CHeapText resolved;
    if (!SearchForFile(program, &resolved, ".exe") && !resolved.Copy(program)) {
        return false;
    }
    return IsThisProgram(resolved.Get()) ||
           (PathFileExistsA(resolved.Get()) && IsCopyOfThisProgram(resolved.Get()));
}

// Only a debugger of the editor's own architecture can start it.
bool CanStartAsDebuggee(const char* editor) {
    DWORD type = 0;
    return GetBinaryTypeA(editor, &type) && type == SCS_32BIT_BINARY;
}

} // namespace

EditorCheck CheckEditor(const char* setting, CHeapText* editor) {
    if (!ResolveEditor(setting, editor)) {
        return kEditorMissing;
    }
    if (IsThisProgram(editor->Get())) {
        return kEditorIsThisProgram;
    }
    if (!PathFileExistsA(editor->Get())) {
        return kEditorMissing;
    }
    if (IsCopyOfThisProgram(editor->Get())) {
        return kEditorIsThisProgram;
    }
    if (!IsStartRedirectedTo(editor->Get(), NamesThisProgram)) {
        return kEditorReady;
    }
    return CanStartAsDebuggee(editor->Get()) ? kEditorRedirectsHere : kEditorIsThisProgram;
}
