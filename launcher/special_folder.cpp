#include "launcher/special_folder.h"

#include <windows.h>
#include <shlobj.h>

namespace {

char g_specialFolder[MAX_PATH];

} // namespace

const char* GetSpecialFolderPath(int csidl) {
    ZeroMemory(g_specialFolder, sizeof g_specialFolder);
    IMalloc* shellMalloc = NULL;
    if (FAILED(SHGetMalloc(&shellMalloc)) || !shellMalloc) {
        return g_specialFolder;
    }
    LPITEMIDLIST items = NULL;
    if (SUCCEEDED(SHGetSpecialFolderLocation(GetDesktopWindow(), csidl, &items)) && items) {
        if (!SHGetPathFromIDListA(items, g_specialFolder)) {
            ZeroMemory(g_specialFolder, sizeof g_specialFolder);
        }
        shellMalloc->Free(items);
    }
    shellMalloc->Release();
    return g_specialFolder;
}
