// Shared by the launcher's Wine tests: the Internet cache folder, the
// recorder editor's log, and starting a program while answering its message
// boxes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/registry_guard.h"
#include "tests/support/time_limits.h"

namespace launchertest {

// The Internet cache folder as the shell locates it; "" when it cannot.
std::string InternetCacheFolder();
// While it exists, the shell cannot locate the Internet cache folder (its
// user shell folder names a drive that does not exist).
class UnlocatableInternetCache {
public:
    UnlocatableInternetCache();

private:
    testsupport::KeySnapshot shellFolders_;
};

// The 8.3 form of an existing path, and two more spellings of the same path.
std::string ShortPath(const std::string& path);
std::string UpperCase(const std::string& path);
std::string WithForwardSlashes(const std::string& path);

// One start of the recorder editor.
struct EditorStart {
    int showState;
    // In this program's ANSI code page, as a program of it would see them.
    std::string commandLine;
    std::string params; // the command line after the editor's quoted name and one blank
    // The same, whole, in UTF-8.
    std::string commandLineUtf8;
    std::string paramsUtf8;
};

// A fresh log for the recorder, named to it through the environment that
// this process passes on; removed again when the object goes.
class RecorderLog {
public:
    RecorderLog();
    ~RecorderLog();
    // The starts logged so far, in the order they were started.
    std::vector<EditorStart> Starts() const;
    // Waits until `count` starts are logged, then a little longer so that an
    // unexpected extra start shows up too.
    std::vector<EditorStart> WaitForStarts(size_t count,
                                           DWORD timeoutMs = timelimits::kEditorStartMs) const;

private:
    std::string path_;
};

// Each start's params, in order.
std::vector<std::string> ParamsOf(const std::vector<EditorStart>& starts);

// A message that names the editor as the program shows it: `id`'s text, then
// `detailId`'s (IDS_EDITOR_SETTING_YOURS, say) with `editor` in its place.
std::string EditorMessage(UINT id, const std::string& editor, UINT detailId);

// What a run of a program showed and how it ended.
struct ProcessRun {
    int exitCode = -1;
    // Every dialog in the order it appeared: "message: <text>" for a message
    // box captioned "Quillgate" (OK pressed), "dialog: <title>" for any other
    // (the settings sheet; closed with the button the options name). A
    // message box is answered with the options' button.
    std::vector<std::string> dialogs;
    // With watchModules: the lower-case file names of the DLLs it loaded.
    std::vector<std::string> modules;
    std::vector<std::string> modulePaths; // the same with their folders
};

struct RunOptions {
    int showState = SW_SHOWNORMAL;
    DWORD timeoutMs = timelimits::kProcessMs;
    int sheetButton = IDCANCEL; // IDOK applies the settings sheet as it closes
    bool watchModules = false;  // runs it as a debuggee to see each DLL it loads
    UINT codePage = CP_ACP;     // of the command line: CP_UTF8 for any name
    bool anyProcess = false;    // answers the dialogs of every process, not only its own
    bool console = false;       // in a console of its own, as git or jj runs
    int messageButton = IDOK;   // pressed in every message box
    std::string sheetEditor;    // typed as the edit editor before the sheet's button
    // Presses the Settings page's first Browse button when the sheet shows,
    // and closes the sheet once what that opened is answered.
    bool browse = false;
};

// Starts `commandLine` exactly as given with the options' show state in its
// STARTUPINFO, answers its dialogs until it ends, or kills it after the
// options' timeout.
ProcessRun RunAnswering(const std::string& commandLine, const RunOptions& options);
ProcessRun RunAnswering(const std::string& commandLine, int showState = SW_SHOWNORMAL,
                        DWORD timeoutMs = timelimits::kProcessMs);

} // namespace launchertest
