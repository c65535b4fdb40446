#include "resources/version_text.h"

#include "resources/app_globals.h"
#include "resources/outside_world.h"
#include "resources/resource_ids.h"
#include "resources/version_key.h"

// Stands in for a Translation value too short to hold one entry: the first
// pair of the sweep, so such a file is simply swept.
static const DWORD kSweepStart = MAKELONG(0x0401, 0x0000);

static BOOL QueryOne(char* buffer, UINT size, LPCVOID block, WORD language, WORD codePage,
                     const char* name) {
    char key[kVersionKeySize] = {0};
    if (!FormatStringFileInfoKey(key, sizeof key, language, codePage, name)) {
        return FALSE;
    }
    LPVOID value = NULL;
    UINT length = 0;
    if (!g_outsideWorld.queryVersionValue(block, key, &value, &length) || value == NULL) {
        return FALSE;
    }
    lstrcpynA(buffer, static_cast<const char*>(value), size);
    return TRUE;
}

int QueryStringFileInfo(char* buffer, UINT size, LPCVOID block, DWORD translation,
                        const char* name) {
    if (QueryOne(buffer, size, block, LOWORD(translation), HIWORD(translation), name)) {
        return 1;
    }
    for (int c = 0; c < kFallbackCodePageCount; ++c) {
        for (int l = 0; l < kFallbackLanguageCount; ++l) {
            if (QueryOne(buffer, size, block, kFallbackLanguages[l], kFallbackCodePages[c], name)) {
                return 1;
            }
        }
    }
    return 0;
}

LPVOID ReadVersionBlock(const char* path, const DWORD** translation, UINT* translationBytes) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) {
        return NULL;
    }
    LPVOID block = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size);
    if (block == NULL) {
        return NULL;
    }
    LPVOID array = NULL;
    UINT length = 0;
    if (!GetFileVersionInfoA(path, 0, size, block) ||
        !g_outsideWorld.queryVersionValue(block, "\\VarFileInfo\\Translation", &array, &length)) {
        GlobalFree(block);
        return NULL;
    }
    *translation = static_cast<const DWORD*>(array);
    *translationBytes = length;
    return block;
}

void GetVersionString(const char* path, const char* name, char* value, UINT size) {
    if (size == 0) {
        return;
    }
    ZeroMemory(value, size);
    const DWORD* translation = NULL;
    UINT translationBytes = 0;
    LPVOID block = ReadVersionBlock(path, &translation, &translationBytes);
    if (block == NULL) {
        return;
    }
    DWORD first = translationBytes >= sizeof(DWORD) ? *translation : kSweepStart;
    QueryStringFileInfo(value, size, block, first, name);
    GlobalFree(block);
}

void GetProductVersionText(char* line, UINT size) {
    if (size == 0) {
        return;
    }
    ZeroMemory(line, size);
    char path[MAX_PATH] = {0};
    DWORD length = GetModuleFileNameA(g_instance, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return; // no name, or only a cut one that could name another file
    }
    lstrcpynA(line, "Version ", static_cast<int>(size));
    const UINT used = static_cast<UINT>(lstrlenA(line));
    char version[kVersionValueSize];
    GetVersionString(path, "ProductVersion", version, sizeof version);
    lstrcpynA(line + used, version, static_cast<int>(size - used));
}

bool NamesThisProduct(const char* path) {
    const DWORD* translation = NULL;
    UINT bytes = 0;
    LPVOID block = ReadVersionBlock(path, &translation, &bytes);
    if (!block) {
        return false;
    }
    char key[kVersionKeySize];
    LPVOID value = NULL;
    UINT length = 0;
    const bool named = bytes >= sizeof *translation &&
                       FormatStringFileInfoKey(key, sizeof key, LOWORD(*translation),
                                               HIWORD(*translation), "ProductName") &&
                       g_outsideWorld.queryVersionValue(block, key, &value, &length) && value &&
                       lstrcmpA(static_cast<const char*>(value), QUILLGATE_PRODUCT_NAME) == 0;
    GlobalFree(block);
    return named;
}
