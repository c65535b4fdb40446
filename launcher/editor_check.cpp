#include "launcher/editor_check.h"

#include <shlwapi.h>

#include "launcher/path_forms.h"
#include "resources/resource_ids.h"
#include "ui/sheet/version_key.h"
#include "ui/sheet/version_text.h"

namespace {

bool ResolveOnSearchPath(const char* name, CHeapText* out) {
    return SearchForFile(name, out) || out->Copy(name);
}

// However the setting spells this program (short names, case, "." and ".."
// segments, forward slashes, another hard link): same file, or, where a file
// cannot be opened to tell, same long path. Runs on every forward, so the
// cheapest test goes first and paths are resolved only when needed.
bool IsThisProgram(const char* editor) {
    CHeapText own;
    if (!GetOwnModulePath(&own)) {
        return false;
    }
    if (lstrcmpiA(own.Get(), editor) == 0) {
        return true;
    }
    switch (CompareFileIdentity(own.Get(), editor)) {
    case kSameFile:
        return true;
    case kOtherFile:
        return false;
    case kIdentityUnknown:
        break;
    }
    CHeapText ownResolved, editorResolved;
    return GetResolvedPath(own.Get(), &ownResolved) && GetResolvedPath(editor, &editorResolved) &&
           lstrcmpiA(ownResolved.Get(), editorResolved.Get()) == 0;
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

} // namespace

EditorCheck CheckEditor(const char* setting, CHeapText* editor) {
    if (!ResolveOnSearchPath(setting, editor)) {
        return kEditorMissing;
    }
    if (IsThisProgram(editor->Get())) {
        return kEditorIsThisProgram;
    }
    if (!PathFileExistsA(editor->Get())) {
        return kEditorMissing;
    }
    return IsCopyOfThisProgram(editor->Get()) ? kEditorIsThisProgram : kEditorReady;
}
