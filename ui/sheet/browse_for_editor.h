#pragma once

#include <windows.h>

// Lets the user pick an editor with the open-file dialog, starting where the
// combo's current editor is found and proposing its file name; the title
// says whether it is the editor for editing or for printing. On a choice the
// combo's text becomes the chosen file's full path. Non-zero when chosen.
BOOL BrowseForEditor(HWND page, HWND combo, BOOL forEditing);
