#include <windows.h>

#include "launcher/launcher.h"

namespace {

// Libraries come from the system folder alone, never from the current folder
// (the opened file's). Not on Windows before 8 without KB2533623; the
// manifest still brings in the version 6 common controls by name.
void LoadLibrariesFromSystemOnly() {
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD flags);
    const DWORD kSearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32
    SetDefaultDllDirectoriesFunction set =
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (set) {
        set(kSearchSystem32);
    }
}

} // namespace

// The runtime's own argument vector is not used: runtimes split some command
// lines differently, so the launcher splits GetCommandLineA() itself.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showState) {
    LoadLibrariesFromSystemOnly();
    return LauncherMain(instance, GetCommandLineA(), showState);
}
