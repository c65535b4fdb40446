// Starting the editor: what it needs on its command line besides the file
// (its own wait and print switches), the parameter string for each file (with
// its view-source copy), a start that Windows would hand to a registered
// debugger made as a debugger makes it, and the processes kept for callers
// that wait until their editors exit. Opened once an editor is chosen.
#pragma once

#include <windows.h>

#include "resources/paths.h"

// What an editor needs besides the file, known by its file name: the
// arguments that make it wait until its file is closed (many editors hand a
// file to their running instance and exit at once), and those that make it
// print. Users and administrators add or override rows under
// Editors\<file name> of their settings (WaitArguments, PrintArguments).
struct EditorArguments {
    CHeapText wait;     // before the quoted path where the caller waits
    CHeapText print;    // in place of "/p" on the print road; "" for none
    bool known = false; // a row says how it waits: it is never suspected of handing on
};

// The arguments for `editor` (a full path). Where the caller waits and the
// editor has a companion that waits for it (Sublime Text's subl.exe), `editor`
// becomes that companion. Reads nothing from the registry but the Editors key
// of the one editor. Elevated, only the machine's rows count: arguments from
// the user's key would run with the full token. False when no memory could be
// had.
bool FindEditorArguments(CHeapText* editor, bool callerWaits, bool elevated,
                         EditorArguments* arguments);

// Whether a path lies inside the Internet cache folder. The folder is looked
// up through the shell, which is slow, once per object: on the first file
// that asks.
class CInternetCache {
public:
    CInternetCache() : lookedUp(false) {}
    bool Holds(const char* path);

private:
    CInternetCache(const CInternetCache&) = delete;
    CInternetCache& operator=(const CInternetCache&) = delete;

    CHeapText folder; // full and long; NULL when it cannot be located
    bool lookedUp;
};

// An editor whose start the system would hand to a registered debugger is
// started the way a debugger starts a program, which the system leaves alone,
// and let go of at once. Starts `"<editor>" <params>` with `showState` in its
// STARTUPINFO. Returns the editor's process handle for the caller to wait on
// or close, or NULL, with the system's reason as the last error, when it could
// not be started or let go of (then it is not left running).
HANDLE StartAsDebuggee(const char* editor, const char* params, int showState);

// The processes of the editors started for a caller that waits (git, jj and
// scripts read the file back once Notepad exits).
class CEditorProcesses {
public:
    CEditorProcesses();
    ~CEditorProcesses();

    // Keeps `process` to wait on; NULL (nothing to wait on) is ignored.
    // `file`, when given, is the file it was started for, as it stood just
    // before the start (see FileStamp).
    void Add(HANDLE process, const WIN32_FILE_ATTRIBUTE_DATA* file = NULL, const char* path = NULL);
    // Waits until every kept process has exited, and lets go of them. Returns
    // the first non-zero exit code in the order they were added, else 0.
    DWORD WaitForAll();
    // Whether an editor that was given its file exited at once, with 0 and
    // the file untouched: it handed the file on to another program and did
    // not wait for it to be edited.
    bool HandedOn() const { return handedOn; }
    // A start that gave no process to wait on counts as handed on.
    void HandOnUnwatched() { handedOn = true; }

private:
    CEditorProcesses(const CEditorProcesses&) = delete;
    CEditorProcesses& operator=(const CEditorProcesses&) = delete;

    struct Started {
        HANDLE process;
        char* path; // NULL: no file to watch
        WIN32_FILE_ATTRIBUTE_DATA before;
    };
    void Finish(Started* started);

    Started* entries;
    size_t count;
    size_t capacity;
    DWORD exitCode;
    bool handedOn;
};

// The file's attributes and last-write time now; zeroed where it does not exist.
WIN32_FILE_ATTRIBUTE_DATA FileStamp(const char* path);

// What every editor start of one request shares.
struct EditorStartPlan {
    const char* editor;
    const char* arguments;     // before each path: "/p", or the editor's own switches
    const char* copyExtension; // a file in the cache goes as its copy with this; NULL: never
    int showState;
    bool asDebuggee; // a registration redirects the editor's start to this program
    bool asProgram;  // started as a program (elevated), never through a file class
    bool watchFiles; // whether an editor that exits at once handed its file on
};

// Whether the plan's starts go through the shell (ShellExecute), which wants
// COM on the calling thread; a start as a program does not.
bool StartsThroughShell(const EditorStartPlan& plan);

// Starts the editor for `path`, one file of the request: its view-source copy
// where `cache` holds the file (the folder is looked up on the first file that
// asks), else the file itself. With `started`, the process is kept there to be
// waited for; without, the editor runs on its own. Returns ERROR_SUCCESS, or
// the system's reason the start failed (never 0 then).
DWORD StartEditor(const EditorStartPlan& plan, const char* path, CInternetCache* cache,
                  CEditorProcesses* started);
