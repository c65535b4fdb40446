// The physical limit of a forwarder: the ShellExecuteA calls notepad.exe
// would make, with the same parameters, and nothing else.
//   minimal_forwarder.exe [--copy FROM TO] EDITOR PARAMETERS [PARAMETERS ...]
// Each PARAMETERS is one start of the editor; --copy first copies a file, as
// a view-source copy does.
#include <windows.h>
#include <shellapi.h>
#include <stdlib.h>

#include "launcher/step_times.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
    QUILLGATE_STEPS_BEGIN();
    int i = 1;
    if (__argc > 3 && lstrcmpA(__argv[1], "--copy") == 0) {
        CopyFileA(__argv[2], __argv[3], FALSE);
        i = 4;
    }
    if (i >= __argc) {
        return 1;
    }
    const char* editor = __argv[i++];
    for (; i < __argc; ++i) {
        ShellExecuteA(NULL, NULL, editor, __argv[i], NULL, show);
    }
    QUILLGATE_STEP("start");
    QUILLGATE_STEPS_WRITE("minimal");
    return 0;
}
