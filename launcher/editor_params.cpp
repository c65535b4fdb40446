#include "launcher/editor_params.h"

#include <shlobj.h>

#include "launcher/ansi_text.h"
#include "launcher/editor_params_text.h"
#include "launcher/folder_path.h"
#include "launcher/heap_text.h"
#include "launcher/launcher_seam.h"
#include "launcher/path_forms.h"
#include "launcher/special_folder.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"

namespace {

enum { kMinParamsSize = 263 }; // "/p " and a quoted path of MAX_PATH - 3 characters

// The shared parameter string; it grows for longer paths and lives as long
// as the process.
char* g_params = NULL;
size_t g_paramsSize = 0;

char* ParamsBuffer(size_t bytes) {
    if (bytes < kMinParamsSize) {
        bytes = kMinParamsSize;
    }
    if (bytes > g_paramsSize) {
        char* grown = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, bytes));
        if (!grown) {
            return NULL;
        }
        if (g_params) {
            HeapFree(GetProcessHeap(), 0, g_params);
        }
        g_params = grown;
        g_paramsSize = bytes;
    }
    ZeroMemory(g_params, g_paramsSize);
    return g_params;
}

// Judged on full long paths, so that short names, "..", and forward slashes
// neither hide a cached file nor pass off another file as a cached one.
// The cache folder, located through the shell once per run: the lookup is
// slow, and one request may hand on several files.
CHeapText g_cacheFolder;
bool g_cacheFolderLookedUp = false;

const char* ResolvedInternetCache() {
    if (!g_cacheFolderLookedUp) {
        g_cacheFolderLookedUp = true;
        CHeapText cache;
        if (!cache.Copy(GetSpecialFolderPath(CSIDL_INTERNET_CACHE)) || cache.Get()[0] == '\0' ||
            !GetResolvedPath(cache.Get(), &g_cacheFolder)) {
            g_cacheFolder.Free(); // not located: nothing counts as cached
        }
    }
    return g_cacheFolder.Get();
}

bool LiesInInternetCache(const char* path) {
    const char* cache = ResolvedInternetCache();
    CHeapText pathResolved;
    return cache && GetResolvedPath(path, &pathResolved) &&
           PathLiesInFolder(pathResolved.Get(), cache, AnsiLeadByte, AnsiSameTextIgnoringCase);
}

// `path` + "." + extension, written only beside `path` itself: an extension
// with separators or ".." in it must not send the copy elsewhere.
bool MakeViewSourceCopy(const char* path, const char* extension, CHeapText* copy) {
    size_t pathLength = static_cast<size_t>(lstrlenA(path));
    size_t extensionLength = static_cast<size_t>(lstrlenA(extension));
    if (!copy->Allocate(pathLength + 1 + extensionLength + 1)) {
        return false;
    }
    CopyMemory(copy->Get(), path, pathLength);
    copy->Get()[pathLength] = '.';
    CopyMemory(copy->Get() + pathLength + 1, extension, extensionLength);

    CHeapText fullPath, fullCopy;
    if (!GetFullPath(path, &fullPath) || !GetFullPath(copy->Get(), &fullCopy) ||
        !InSameFolder(fullPath.Get(), fullCopy.Get(), AnsiLeadByte, AnsiSameTextIgnoringCase)) {
        return false;
    }
    return CopyFileA(path, copy->Get(), FALSE) != FALSE;
}

} // namespace

void ForgetInternetCacheFolder() {
    g_cacheFolder.Free();
    g_cacheFolderLookedUp = false;
}

const char* BuildEditorParams(const char* path, BOOL printFlag) {
    const char* handOn = path;
    CHeapText copy;
    if (g_settings.ExtensionFlag() != 0 && LiesInInternetCache(path)) {
        if (MakeViewSourceCopy(path, g_settings.Extension(), &copy)) {
            handOn = copy.Get();
        } else {
            ShowLauncherMessage(IDS_SOURCE_COPY_FAILED, MB_ICONERROR);
        }
    }
    size_t size = EditorParamsSize(static_cast<size_t>(lstrlenA(handOn)));
    char* params = ParamsBuffer(size);
    if (!params || !FormatEditorParams(params, g_paramsSize, handOn, printFlag != FALSE)) {
        return NULL;
    }
    return params;
}
