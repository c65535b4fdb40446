#include "launcher/known_editors.h"

#include <shlwapi.h>

#include "settings/settings.h"

namespace {

struct KnownEditor {
    const char* fileName;
    const char* wait;
    const char* print;     // NULL: it has no print switch, and opens the file instead
    const char* companion; // a program beside it that waits for it, or NULL
};

// Each switch is from the editor's own documentation.
const KnownEditor kKnownEditors[] = {
    {"Code.exe", "--wait", NULL, NULL},
    {"Code - Insiders.exe", "--wait", NULL, NULL},
    {"VSCodium.exe", "--wait", NULL, NULL},
    {"Cursor.exe", "--wait", NULL, NULL},
    {"notepad++.exe", "-multiInst -nosession", "-quickPrint", NULL},
    {"subl.exe", "-w", NULL, NULL},
    {"sublime_text.exe", "-w", NULL, "subl.exe"},
    {"gvim.exe", "-f", NULL, NULL},       // stays in the foreground
    {"emacsclientw.exe", "", NULL, NULL}, // waits unless told -n
    {"idea64.exe", "--wait", NULL, NULL}, // JetBrains IDEs
    {"pycharm64.exe", "--wait", NULL, NULL},
    {"webstorm64.exe", "--wait", NULL, NULL},
};

// Unknown editors get Notepad's own print switch.
const char kNotepadPrint[] = "/p";
// Chocolatey's shims exit at once unless told otherwise.
const char kShimWait[] = "--shimgen-waitforexit";

const KnownEditor* FindKnownEditor(const char* fileName) {
    for (const KnownEditor& row : kKnownEditors) {
        if (lstrcmpiA(row.fileName, fileName) == 0) {
            return &row;
        }
    }
    return NULL;
}

// A value of Editors\<file name>, the user's over the machine's; false when
// neither has it.
bool ReadOverride(const char* fileName, const char* value, CHeapText* out) {
    char subkey[MAX_PATH + 8];
    char text[MAX_PATH];
    wnsprintfA(subkey, sizeof subkey, "Editors\\%s", fileName);
    return g_settings.ReadSetting(subkey, value, text, sizeof text) && out->Copy(text);
}

bool IsChocolateyShim(const char* editor) {
    char bin[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("ChocolateyInstall", bin, sizeof bin);
    if (length == 0 || length >= sizeof bin) {
        length = GetEnvironmentVariableA("ProgramData", bin, sizeof bin);
        if (length == 0 || length >= sizeof bin || !PathAppendA(bin, "chocolatey")) {
            return false;
        }
    }
    CHeapText folder;
    return PathAppendA(bin, "bin") && folder.Copy(editor) && PathRemoveFileSpecA(folder.Get()) &&
           IsSameFile(folder.Get(), bin);
}

// `wait` with the shim's own switch before it.
bool PrependShimWait(CHeapText* wait) {
    CHeapText joined;
    if (!joined.Allocate(sizeof kShimWait + 1 + static_cast<size_t>(lstrlenA(wait->Get())))) {
        return false;
    }
    lstrcpyA(joined.Get(), kShimWait);
    if (wait->Get()[0]) {
        lstrcatA(joined.Get(), " ");
        lstrcatA(joined.Get(), wait->Get());
    }
    return wait->Copy(joined.Get());
}

// Sublime Text's editor exits at once; subl.exe beside it waits for it.
bool TakeCompanion(CHeapText* editor, const char* companion) {
    CHeapText path;
    if (!path.Allocate(static_cast<size_t>(lstrlenA(editor->Get())) + MAX_PATH)) {
        return false;
    }
    lstrcpyA(path.Get(), editor->Get());
    if (!PathRemoveFileSpecA(path.Get()) || !PathAppendA(path.Get(), companion) ||
        !PathFileExistsA(path.Get())) {
        return true; // none there: the editor itself, with its own switch
    }
    return editor->Copy(path.Get());
}

} // namespace

bool FindEditorArguments(CHeapText* editor, bool callerWaits, EditorArguments* arguments) {
    const KnownEditor* row = FindKnownEditor(PathFindFileNameA(editor->Get()));
    if (row && row->companion && callerWaits) {
        if (!TakeCompanion(editor, row->companion)) {
            return false;
        }
        row = FindKnownEditor(PathFindFileNameA(editor->Get()));
    }
    const char* fileName = PathFindFileNameA(editor->Get());
    const bool waitOverridden = ReadOverride(fileName, "WaitArguments", &arguments->wait);
    const bool printOverridden = ReadOverride(fileName, "PrintArguments", &arguments->print);
    arguments->known = row || waitOverridden || printOverridden;
    if (!waitOverridden && !arguments->wait.Copy(row ? row->wait : "")) {
        return false;
    }
    if (!printOverridden &&
        !arguments->print.Copy(row ? (row->print ? row->print : "") : kNotepadPrint)) {
        return false;
    }
    if (callerWaits && IsChocolateyShim(editor->Get())) {
        return PrependShimWait(&arguments->wait);
    }
    return true;
}
