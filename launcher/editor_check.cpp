#include "launcher/editor_check.h"

#include <shlwapi.h>

#include "launcher/debugger_registration.h"
#include "launcher/path_forms.h"
#include "resources/resource_ids.h"
#include "ui/sheet/version_key.h"
#include "ui/sheet/version_text.h"

namespace {

// A bare name (the default, notepa~.exe) is never taken from the current
// folder, which is the opened file's; the editor then starts by the full path
// found, so the shell does not look for it again.
bool ResolveEditor(const char* setting, CHeapText* out) {
    if (PathFindFileNameA(setting) == setting) {
        return SearchOutsideCurrentFolder(setting, out);
    }
    return SearchForFile(setting, out) || out->Copy(setting);
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
                      VerQueryValueA(block, key, &value, &length) && value &&
                      lstrcmpA(static_cast<const char*>(value), QUILLGATE_PRODUCT_NAME) == 0;
    GlobalFree(block);
    return copy;
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
    if (!IsStartHandedTo(editor->Get(), NamesThisProgram)) {
        return kEditorReady;
    }
    return CanStartAsDebuggee(editor->Get()) ? kEditorHandedBack : kEditorIsThisProgram;
}
