// How long tests and their helper programs wait for a window, a process or an
// editor's start. The numbers are limits for a native run. In the virtual
// machine, whose software CPU runs programs about ten times slower, the
// scripts set QUILLGATE_TIME_SCALE and every limit grows by that factor;
// a wait still ends as soon as what it waits for has happened.
#pragma once

#include <windows.h>

#include <stdlib.h>

namespace timelimits {

enum : DWORD {
    kSettleMs = 300,        // quiet time that lets an unexpected extra start show
    kEditingMs = 2000,      // a user working in an editor before it saves and exits
    kMessageMs = 5000,      // a window answering a message
    kEditorStartMs = 10000, // an editor started after a request
    kWindowMs = 15000,      // a window appearing, or a program ending after it
    kSheetStepsMs = 20000,  // a scripted settings sheet running all its steps
    kProcessMs = 30000,     // a program run to its end
    kSetupMs = 120000,      // Setup or its uninstaller
};

// `nativeMs` as a limit on this machine.
inline DWORD Scaled(DWORD nativeMs) {
    static const DWORD scale = [] {
        char text[16] = "";
        DWORD length = GetEnvironmentVariableA("QUILLGATE_TIME_SCALE", text, sizeof text);
        long value = length > 0 && length < sizeof text ? strtol(text, NULL, 10) : 1;
        return value >= 1 && value <= 100 ? static_cast<DWORD>(value) : 1ul;
    }();
    return nativeMs * scale;
}

} // namespace timelimits
