#include <windows.h>

#include "launcher/launcher.h"

// The runtime's own argument vector is not used: runtimes split some command
// lines differently, so the launcher splits GetCommandLineA() itself.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showState) {
    return LauncherMain(instance, GetCommandLineA(), showState);
}
