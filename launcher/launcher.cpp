#include "launcher/launcher.h"

#include <shlwapi.h>

#include "launcher/ansi_text.h"
#include "launcher/argument_scan.h"
#include "launcher/command_line.h"
#include "launcher/debuggee_start.h"
#include "launcher/drive_split.h"
#include "launcher/editor_check.h"
#include "launcher/editor_params.h"
#include "launcher/editor_params_text.h"
#include "launcher/editor_processes.h"
#include "launcher/heap_text.h"
#include "launcher/launcher_seam.h"
#include "resources/app_globals.h"
#include "resources/load_text.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"

namespace {

struct LaunchTarget {
    const char* editor;
    BOOL print;
    int showState;
    CEditorProcesses* waitFor; // NULL: fire and forget
    bool asDebuggee;           // past a debugger registration that leads back here
    bool debuggeeFailed;       // a start as a debuggee failed: the rest are not tried
    bool startFailed;          // an editor that was to be waited for did not start
};

bool PieceExistsOnDisk(const char* piece, void*) {
    return PathFileExistsA(piece) != FALSE;
}

void StartEditor(const char* piece, void* context) {
    LaunchTarget* target = static_cast<LaunchTarget*>(context);
    if (target->debuggeeFailed) {
        return;
    }
    const char* params = BuildEditorParams(piece, target->print);
    if (!params) {
        target->startFailed = true;
        return;
    }
    if (target->asDebuggee) {
        HANDLE process = StartAsDebuggee(target->editor, params, target->showState);
        if (!process) {
            target->debuggeeFailed = true;
            target->startFailed = true;
        } else if (target->waitFor) {
            target->waitFor->Add(process);
        } else {
            CloseHandle(process);
        }
        return;
    }
    if (!target->waitFor) {
        // Fire and forget: the editor runs on its own and its start is not checked.
        g_launcherSeam.shellExecute(NULL, NULL, target->editor, params, NULL, target->showState);
        return;
    }
    SHELLEXECUTEINFOA start;
    ZeroMemory(&start, sizeof start);
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOCLOSEPROCESS;
    start.lpFile = target->editor;
    start.lpParameters = params;
    start.nShow = target->showState;
    // No process comes back when the shell handed the file to a running program.
    if (g_launcherSeam.shellExecuteEx(&start)) {
        target->waitFor->Add(start.hProcess);
    } else {
        target->startFailed = true;
    }
}

void WarnAndRunSettings(UINT textId) {
    ShowLauncherMessage(textId, MB_ICONWARNING);
    g_launcherSeam.runSettingsSheet();
}

} // namespace

int LauncherMain(HINSTANCE instance, const char* commandLine, int showState, bool tooManyHops) {
    g_instance = instance;
    ZeroMemory(g_caption, sizeof g_caption);
    lstrcpynA(g_caption, LoadText(IDS_CAPTION), sizeof g_caption);
    g_settings.Open(g_caption);
    g_settings.Load();
    return RunLauncher(commandLine, showState, tooManyHops);
}

int RunLauncher(const char* commandLine, int showState, bool tooManyHops) {
    // Sized to the command line, which is at least as long as the joined text.
    const char* arguments = SkipProgramName(commandLine, AnsiLeadByte);
    size_t capacity = static_cast<size_t>(lstrlenA(arguments)) + 1;
    CHeapText joined, scratch;
    if (!joined.Allocate(capacity) || !scratch.Allocate(capacity)) {
        return kNoEditorStarted;
    }
    bool print = false;
    const ArgumentScanResult scan = ScanArguments(arguments, AnsiLeadByte, AnsiSwitchEquals,
                                                  joined.Get(), scratch.Get(), capacity, &print);
    if (scan == kRunSettings) {
        g_launcherSeam.runSettingsSheet();
        return 0;
    }
    // Only a caller that waits reads the exit code; the others always got 0.
    const bool waits = CallerWaitsForEditors(g_settings.WaitForEditor()) != FALSE;
    const int notStarted = waits ? kNoEditorStarted : 0;
    if (scan == kArgumentsTooLong) {
        ShowLauncherMessage(IDS_COMMAND_LINE_TOO_LONG, MB_ICONERROR);
        return notStarted;
    }
    scratch.Free();
    if (tooManyHops) {
        // Each hop started this program again: an editor that leads back here.
        WarnAndRunSettings(IDS_EDITOR_IS_SELF);
        return notStarted;
    }

    CHeapText editor;
    bool asDebuggee = false;
    switch (CheckEditor(print ? g_settings.PrintEditor() : g_settings.EditEditor(), &editor)) {
    case kEditorIsThisProgram:
        WarnAndRunSettings(IDS_EDITOR_IS_SELF);
        return notStarted;
    case kEditorMissing:
        WarnAndRunSettings(IDS_EDITOR_NOT_FOUND);
        return notStarted;
    case kEditorHandedBack:
        asDebuggee = true;
        break;
    case kEditorReady:
        break;
    }

    // Refuse the whole request rather than start some files and lose others.
    size_t copySuffix = g_settings.ExtensionFlag() != 0
                            ? 1 + static_cast<size_t>(lstrlenA(g_settings.Extension()))
                            : 0;
    if (!EditorStartsFit(static_cast<size_t>(lstrlenA(editor.Get())),
                         static_cast<size_t>(lstrlenA(joined.Get())), print, copySuffix)) {
        ShowLauncherMessage(IDS_COMMAND_LINE_TOO_LONG, MB_ICONERROR);
        return notStarted;
    }

    ForgetInternetCacheFolder();
    CEditorProcesses started;
    LaunchTarget target = {
        editor.Get(), print ? TRUE : FALSE, showState, waits ? &started : NULL, asDebuggee, false,
        false};
    LaunchPiecesFromTheEnd(joined.Get(), AnsiLeadByte, PieceExistsOnDisk, StartEditor, &target);
    if (target.debuggeeFailed) {
        WarnAndRunSettings(IDS_EDITOR_START_FAILED);
    }
    const DWORD editorExit = started.WaitForAll();
    if (!waits) {
        return 0;
    }
    if (editorExit != 0) {
        return static_cast<int>(editorExit);
    }
    return target.startFailed ? kNoEditorStarted : 0;
}
