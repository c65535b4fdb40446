#pragma once

#include <windows.h>

// The whole run of the program: stores the instance handle and caption, opens
// and loads the settings, then runs the launcher. Always returns 0.
int LauncherMain(HINSTANCE instance, const char* commandLine, int showState);

// Either runs the settings sheet or starts the chosen editor once per file
// path found on `commandLine` (the whole line, the program's name first),
// with `showState`. Settings must be loaded. Always returns 0.
int RunLauncher(const char* commandLine, int showState);
