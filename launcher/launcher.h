// The entry point and the forward: from this program's command line to the
// editor's start, one request per run.
#pragma once

#include <windows.h>

// The exit code of a request that a waiting caller sees fail without an
// editor's own exit code: nothing was started, or a start failed.
enum { kNoEditorStarted = 1 };

// What one forward came to.
enum ForwardResult {
    kSettingsShown,   // "/setting": the sheet ran, nothing else
    kNothingStarted,  // refused before any start, after a message saying why
    kEditorsStarted,  // the editor was started for every file
    kStartFailed,     // a start failed, so some file did not reach the editor
    kEditingAbandoned // the editor handed its file on and the user gave up waiting
};

struct ForwardOutcome {
    ForwardResult result;
    bool callerWaits; // only a caller that waits reads the exit code
    DWORD editorExit; // the first non-zero exit code of the editors waited for
};

// The exit code for `outcome`: 0 for a caller that does not wait; for one that
// does, the editor's own exit code, else 0 when everything started, else
// kNoEditorStarted.
int ExitCodeOf(const ForwardOutcome& outcome);

// The whole run of the program: stores the instance handle, opens and loads
// the settings, takes the language they ask for, stores the caption, then forwards the request and
// returns its exit code. `tooManyHops`: this start is one of a chain of starts of this program that
// is too long to be anything but a loop.
int LauncherMain(HINSTANCE instance, const char* commandLine, int showState,
                 bool tooManyHops = false);

// Either runs the settings sheet or starts the chosen editor once per file
// path found on `commandLine` (the whole line, the program's name first),
// with `showState`. Settings must be loaded.
ForwardOutcome RunLauncher(const char* commandLine, int showState, bool tooManyHops = false);
