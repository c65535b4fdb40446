// Stand-in for an editor that a user works in for a while: kEditingMs after
// it starts it appends " edited" to the file named last on its command line,
// then exits, with the code in SLOW_EDITOR_EXIT_CODE if that is set (and
// SLOW_EDITOR_ONLY, where set, names its file).
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include "tests/support/time_limits.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 2) {
        return 2;
    }
    Sleep(timelimits::Scaled(timelimits::kEditingMs));
    // Shared with readers: a test that polls the file must not make the edit fail.
    HANDLE file = CreateFileA(__argv[__argc - 1], FILE_APPEND_DATA, FILE_SHARE_READ, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    const char edit[] = " edited";
    DWORD written = 0;
    BOOL ok = WriteFile(file, edit, sizeof edit - 1, &written, NULL);
    CloseHandle(file);
    const char* code = getenv("SLOW_EDITOR_EXIT_CODE");
    const char* only = getenv("SLOW_EDITOR_ONLY");
    const char* name = strrchr(__argv[__argc - 1], '\\');
    if (only && lstrcmpiA(only, name ? name + 1 : __argv[__argc - 1]) != 0) {
        code = NULL;
    }
    return !ok ? 1 : code ? atoi(code) : 0;
}
