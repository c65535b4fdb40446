#include "launcher/editor_check.h"

#include <shlwapi.h>

#include "launcher/path_forms.h"

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
    return kEditorReady;
}
