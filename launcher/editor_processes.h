// Programs that start Notepad and wait for it to exit before they read the
// file back (git, jj, scripts) are console programs. For them the program
// waits until every editor it started has exited; for any other caller each
// start stays fire-and-forget.
#pragma once

#include <windows.h>

// Whether this run waits for its editors: by the WaitForEditor setting, and
// when that is automatic, by whether the caller has a console.
BOOL CallerWaitsForEditors(DWORD setting);

// The processes of the editors started on the waiting road.
class CEditorProcesses {
public:
    CEditorProcesses();
    ~CEditorProcesses();

    // Keeps `process` to wait on; NULL (nothing to wait on) is ignored.
    void Add(HANDLE process);
    // Waits until every kept process has exited, and lets go of them. Returns
    // the first non-zero exit code in the order they were added, else 0.
    DWORD WaitForAll();

private:
    CEditorProcesses(const CEditorProcesses&);
    CEditorProcesses& operator=(const CEditorProcesses&);

    void Finish(HANDLE process);

    HANDLE* handles;
    size_t count;
    size_t capacity;
    DWORD exitCode;
};
