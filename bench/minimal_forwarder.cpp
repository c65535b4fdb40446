// The physical limit of a forwarder: the ShellExecuteA calls notepad.exe
// would make, with the same parameters, and nothing else.
//   minimal_forwarder.exe [--com] [--copy FROM TO] EDITOR PARAMETERS [PARAMETERS ...]
// Each PARAMETERS is one start of the editor; --copy first copies a file, as
// a view-source copy does; --com initialises COM first, as the shell's
// documentation asks of a program that calls ShellExecute (notepad.exe does).
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <stdlib.h>

#include "launcher/step_times.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
    QUILLGATE_STEPS_BEGIN();
    int i = 1;
    // Looked up only for --com, so that without it the program imports no
    // more than before (the shell loads ole32 itself when it needs it).
    typedef HRESULT(WINAPI * Initialize)(LPVOID, DWORD);
    typedef void(WINAPI * Uninitialize)();
    Uninitialize uninitialize = NULL;
    if (i < __argc && lstrcmpA(__argv[i], "--com") == 0) {
        HMODULE ole = LoadLibraryA("ole32.dll");
        Initialize initialize = reinterpret_cast<Initialize>(
            reinterpret_cast<void*>(GetProcAddress(ole, "CoInitializeEx")));
        if (initialize &&
            SUCCEEDED(initialize(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
            uninitialize = reinterpret_cast<Uninitialize>(
                reinterpret_cast<void*>(GetProcAddress(ole, "CoUninitialize")));
        }
        QUILLGATE_STEP("COM");
        ++i;
    }
    if (__argc > i + 2 && lstrcmpA(__argv[i], "--copy") == 0) {
        CopyFileA(__argv[i + 1], __argv[i + 2], FALSE);
        i += 3;
    }
    if (i >= __argc) {
        return 1;
    }
    const char* editor = __argv[i++];
    for (; i < __argc; ++i) {
        ShellExecuteA(NULL, NULL, editor, __argv[i], NULL, show);
    }
    QUILLGATE_STEP("start");
    if (uninitialize) {
        uninitialize();
    }
    QUILLGATE_STEPS_WRITE("minimal");
    return 0;
}
