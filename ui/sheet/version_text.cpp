#include "ui/sheet/version_text.h"

#include "launcher/outside_world.h"
#include "resources/app_globals.h"
#include "ui/sheet/version_key.h"

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

const char* GetVersionString(const char* path, const char* name) {
    static char value[kVersionValueSize];
    ZeroMemory(value, sizeof value);
    const DWORD* translation = NULL;
    UINT translationBytes = 0;
    LPVOID block = ReadVersionBlock(path, &translation, &translationBytes);
    if (block == NULL) {
        return value;
    }
    DWORD first = translationBytes >= sizeof(DWORD) ? *translation : kSweepStart;
    QueryStringFileInfo(value, sizeof value, block, first, name);
    GlobalFree(block);
    return value;
}

const char* GetProductVersionText() {
    static char line[kVersionLineSize];
    ZeroMemory(line, sizeof line);
    char path[MAX_PATH] = {0};
    DWORD length = GetModuleFileNameA(g_instance, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return line; // no name, or only a cut one that could name another file
    }
    lstrcpynA(line, "Version ", sizeof line);
    int used = lstrlenA(line);
    lstrcpynA(line + used, GetVersionString(path, "ProductVersion"), sizeof line - used);
    return line;
}
