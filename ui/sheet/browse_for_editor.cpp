#include "ui/sheet/browse_for_editor.h"

#include <commdlg.h>
#include <stddef.h>
#include <shlwapi.h>

#include "resources/load_text.h"
#include "resources/resource_ids.h"
#include "ui/sheet/sheet_libraries.h"

// OPENFILENAME_SIZE_VERSION_400A is no constant expression; offsetof gives the same.
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76,
              "OPENFILENAME_SIZE_VERSION_400A: the Windows NT 4 layout");

namespace {

enum { kTextBufferSize = 100 };

// String 20 ends with its separator ("...|*.*||"): every separator becomes a
// NUL, which gives the name/pattern pairs and their closing double NUL.
void BuildFilter(char* filter, int size) {
    ZeroMemory(filter, size);
    // One byte short, so even a cut text keeps its double NUL.
    lstrcpynA(filter, LoadTextTemp(IDS_BROWSE_FILTER), size - 1);
    const int length = lstrlenA(filter);
    if (length == 0) {
        return;
    }
    const char separator = filter[length - 1];
    // Character by character: a trail byte of a double-byte character may
    // equal the separator and must stay.
    for (char* p = filter; *p;) {
        char* next = CharNextA(p);
        if (next == p + 1 && *p == separator) {
            *p = '\0';
        }
        p = next;
    }
}

void BuildTitle(char* title, int size, BOOL forEditing) {
    ZeroMemory(title, size);
    lstrcpynA(title,
              LoadTextTemp(forEditing ? IDS_BROWSE_TITLE_EDITING : IDS_BROWSE_TITLE_PRINTING),
              size);
    const int used = lstrlenA(title);
    lstrcpynA(title + used, LoadTextTemp(IDS_BROWSE_TITLE_CHOOSE), size - used);
}

void FreeBuffer(char* buffer) {
    if (buffer) {
        GlobalFree(buffer);
    }
}

} // namespace

BOOL BrowseForEditor(HWND page, HWND combo, BOOL forEditing) {
    if (!LoadOpenFileDialog(GetParent(page))) {
        return FALSE;
    }
    char* file = static_cast<char*>(GlobalAlloc(GPTR, MAX_PATH));
    char* folder = static_cast<char*>(GlobalAlloc(GPTR, MAX_PATH));
    char* fileTitle = static_cast<char*>(GlobalAlloc(GPTR, MAX_PATH));
    BOOL chosen = FALSE;
    if (file && folder && fileTitle) {
        GetWindowTextA(combo, file, MAX_PATH);
        // Start where the current editor is found; a result that did not
        // fit is no folder at all.
        const DWORD found = SearchPathA(NULL, file, NULL, MAX_PATH, folder, NULL);
        if (found == 0 || found >= MAX_PATH) {
            ZeroMemory(folder, MAX_PATH);
        }
        PathRemoveFileSpecA(folder);
        const char* name = PathFindFileNameA(file);
        MoveMemory(file, name, lstrlenA(name) + 1);

        char filter[kTextBufferSize];
        BuildFilter(filter, sizeof filter);
        char title[kTextBufferSize];
        BuildTitle(title, sizeof title, forEditing);

        OPENFILENAMEA dialog;
        ZeroMemory(&dialog, sizeof dialog);
        dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
        dialog.hwndOwner = page;
        dialog.lpstrFilter = filter;
        dialog.nFilterIndex = 1;
        dialog.lpstrFile = file;
        dialog.nMaxFile = MAX_PATH;
        dialog.lpstrFileTitle = fileTitle;
        dialog.nMaxFileTitle = MAX_PATH;
        dialog.lpstrInitialDir = folder;
        dialog.lpstrTitle = title;
        dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
        chosen = g_sheetLibraries.GetOpenFileNameA(&dialog);
        if (chosen) {
            SetWindowTextA(combo, file);
        }
    }
    FreeBuffer(fileTitle);
    FreeBuffer(folder);
    FreeBuffer(file);
    return chosen;
}
