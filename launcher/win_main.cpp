#include <windows.h>
#include <shlwapi.h>

#include "launcher/launcher.h"

namespace {

// How many starts of this program led to this one, passed on to every program
// it starts. A chain of this length is a loop, not a user's editor that opens
// Notepad in turn.
const char kHopsVariable[] = "QUILLGATE_HOPS";
const int kMostHops = 4;

// Raises the count for the programs this start starts; true when this start
// is one too many.
bool TakeHop() {
    char text[16] = "";
    DWORD length = GetEnvironmentVariableA(kHopsVariable, text, sizeof text);
    int hops = length > 0 && length < sizeof text ? StrToIntA(text) : 0;
    if (hops < 0 || hops > kMostHops) {
        hops = kMostHops;
    }
    wnsprintfA(text, sizeof text, "%d", hops + 1);
    SetEnvironmentVariableA(kHopsVariable, text);
    return hops >= kMostHops;
}

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
    const bool tooManyHops = TakeHop();
    return LauncherMain(instance, GetCommandLineA(), showState, tooManyHops);
}
