#include "launcher/launcher.h"

#include <shlwapi.h>

#include "launcher/command_line.h"
#include "launcher/editor_check.h"
#include "launcher/editor_start.h"
#include "launcher/outside_world.h"
#include "launcher/path_text.h"
#include "launcher/paths.h"
#include "resources/app_globals.h"
#include "resources/load_text.h"
#include "resources/resource_ids.h"
#include "resources/ui_language.h"
#include "settings/settings.h"

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

void WarnAndRunSettings(UINT textId) {
    ShowLauncherMessage(textId, MB_ICONWARNING);
    g_outsideWorld.runSettingsSheet();
}

} // namespace

// The runtime's own argument vector is not used: runtimes split some command
// lines differently, so the launcher splits GetCommandLineA() itself.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showState) {
    LoadLibrariesFromSystemOnly();
    ApplyUILanguageSetting();
    const bool tooManyHops = TakeHop();
    return LauncherMain(instance, GetCommandLineA(), showState, tooManyHops);
}

int LauncherMain(HINSTANCE instance, const char* commandLine, int showState, bool tooManyHops) {
    g_instance = instance;
    ZeroMemory(g_caption, sizeof g_caption);
    lstrcpynA(g_caption, LoadText(IDS_CAPTION), sizeof g_caption);
    g_settings.Open(g_caption);
    g_settings.Load();
    return ExitCodeOf(RunLauncher(commandLine, showState, tooManyHops));
}

ForwardOutcome RunLauncher(const char* commandLine, int showState, bool tooManyHops) {
    // Until it is known whether the caller waits, a failure must not look
    // like success to one that does.
    ForwardOutcome outcome = {kNothingStarted, true, 0};

    // The arguments: switches, and the file arguments joined into one text.
    // Sized to the command line, which is at least as long as the joined text.
    const char* arguments = SkipProgramName(commandLine, AnsiLeadByte);
    size_t capacity = static_cast<size_t>(lstrlenA(arguments)) + 1;
    CHeapText joined, scratch;
    if (!joined.Allocate(capacity) || !scratch.Allocate(capacity)) {
        return outcome;
    }
    bool print = false;
    const ArgumentScanResult scan = ScanArguments(arguments, AnsiLeadByte, AnsiSwitchEquals,
                                                  joined.Get(), scratch.Get(), capacity, &print);
    if (scan == kRunSettings) {
        g_outsideWorld.runSettingsSheet();
        outcome.result = kSettingsShown;
        outcome.callerWaits = false;
        return outcome;
    }
    outcome.callerWaits = CallerWaitsForEditors(g_settings.WaitForEditor()) != FALSE;
    if (scan == kArgumentsTooLong) {
        ShowLauncherMessage(IDS_COMMAND_LINE_TOO_LONG, MB_ICONERROR);
        return outcome;
    }
    scratch.Free();
    if (tooManyHops) {
        // Each hop started this program again: an editor that leads back here.
        WarnAndRunSettings(IDS_EDITOR_IS_SELF);
        return outcome;
    }

    // The editor: found, and not one whose start would only start this program again.
    CHeapText editor;
    bool asDebuggee = false;
    switch (CheckEditor(print ? g_settings.PrintEditor() : g_settings.EditEditor(), &editor)) {
    case kEditorIsThisProgram:
        WarnAndRunSettings(IDS_EDITOR_IS_SELF);
        return outcome;
    case kEditorMissing:
        WarnAndRunSettings(IDS_EDITOR_NOT_FOUND);
        return outcome;
    case kEditorRedirectsHere:
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
        return outcome;
    }

    // One start per file path, the last first; then the wait, where the caller waits.
    ForgetInternetCacheFolder();
    CEditorProcesses started;
    EditorStarts starts = {};
    starts.editor = editor.Get();
    starts.print = print ? TRUE : FALSE;
    starts.showState = showState;
    starts.waitFor = outcome.callerWaits ? &started : NULL;
    starts.asDebuggee = asDebuggee;
    StartFilesFromTheEnd(joined.Get(), AnsiLeadByte, FileExistsOnDisk, StartEditor, &starts);
    if (starts.debuggeeFailed) {
        WarnAndRunSettings(IDS_EDITOR_START_FAILED);
    }
    outcome.editorExit = started.WaitForAll();
    outcome.result = starts.startFailed ? kStartFailed : kEditorsStarted;
    return outcome;
}

int ExitCodeOf(const ForwardOutcome& outcome) {
    if (!outcome.callerWaits) {
        return 0;
    }
    if (outcome.editorExit != 0) {
        return static_cast<int>(outcome.editorExit);
    }
    return outcome.result == kEditorsStarted ? 0 : kNoEditorStarted;
}
