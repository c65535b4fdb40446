#include "launcher/launcher.h"

#include <objbase.h>
#include <shlwapi.h>

#include "launcher/command_line.h"
#include "launcher/editor_check.h"
#include "launcher/editor_start.h"
#include "resources/app_globals.h"
#include "resources/load_text.h"
#include "resources/outside_world.h"
#include "resources/paths.h"
#include "resources/resource_ids.h"
#include "resources/ui_language.h"
#include "settings/settings.h"
// The entry point is the one place above the sheet: it opens it.
#include "ui/sheet/settings_sheet.h"

namespace {

// How many starts of this program led to this one, passed on to every program
// it starts, with the time it was counted. A chain of this length is a loop,
// not a user's editor that opens Notepad in turn. A loop counts on at once: a
// count set longer ago is an editor's session that started long ago (a
// terminal inside it, say), and starts again at 0.
const char kHopsVariable[] = "QUILLGATE_HOPS";
const int kMostHops = 4;
const DWORD kHopMs = 10000;

// The decimal number at `*text`, moving past it; false when there is none.
bool ReadNumber(const char** text, DWORD* number) {
    const char* p = *text;
    DWORD value = 0;
    while (*p >= '0' && *p <= '9' && value <= (MAXDWORD - 9) / 10) {
        value = value * 10 + static_cast<DWORD>(*p - '0');
        ++p;
    }
    if (p == *text || (*p >= '0' && *p <= '9')) {
        return false;
    }
    *text = p;
    *number = value;
    return true;
}

// Raises the count for the programs this start starts; true when this start
// is one too many. The variable holds "<count> <tick count>".
bool TakeHop() {
    char text[32] = "";
    const DWORD length = GetEnvironmentVariableA(kHopsVariable, text, sizeof text);
    const DWORD now = GetTickCount();
    DWORD hops = 0, counted = 0;
    const char* p = text;
    if (length == 0 || length >= sizeof text || !ReadNumber(&p, &hops) || *p++ != ' ' ||
        !ReadNumber(&p, &counted) || *p != '\0' || now - counted > kHopMs) {
        hops = 0; // none, not ours, or counted too long ago (the tick count wraps)
    }
    if (hops > kMostHops) {
        hops = kMostHops;
    }
    wnsprintfA(text, sizeof text, "%lu %lu", hops + 1, now);
    SetEnvironmentVariableA(kHopsVariable, text);
    return hops >= kMostHops;
}

// Libraries come from the system folder and this program's own, never from
// the current folder (the opened file's). The default folders rather than the
// system folder alone: a shell extension in the Browse dialog finds the
// libraries beside it. Not on Windows before 8 without KB2533623; the
// manifest still brings in the version 6 common controls by name.
void LoadLibrariesFromSystemOnly() {
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD flags);
    const DWORD kSearchDefaultDirs = 0x00001000; // LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
    SetDefaultDllDirectoriesFunction set =
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (set) {
        set(kSearchDefaultDirs);
    }
}

// TRUE when the sheet was closed with OK and saved its settings; a test may
// stand in for it.
BOOL RunSheet() {
    return g_outsideWorld.runSettingsSheet ? g_outsideWorld.runSettingsSheet() : RunSettingsSheet();
}

void WarnAndRunSettings(UINT textId) {
    ShowLauncherMessage(textId, MB_ICONWARNING);
    RunSheet();
}

// The editor to start: one that is there and does not lead back here. When
// it is missing or refused, the user may choose another in the settings
// sheet, and the request goes on with it. False when nothing is to start.
bool ChooseEditor(bool print, bool elevated, CHeapText* editor, bool* asDebuggee) {
    for (bool sheetShown = false;; sheetShown = true) {
        UINT refusal = IDS_EDITOR_NOT_FOUND;
        switch (CheckChosenEditor(print, elevated, editor)) {
        case kEditorReady:
            *asDebuggee = false;
            return true;
        case kEditorRedirectsHere:
            if (CanStartAsDebuggee(editor->Get())) {
                *asDebuggee = true;
                return true;
            }
            refusal = IDS_EDITOR_IS_SELF; // no way round the registration
            break;
        case kEditorIsThisProgram:
        case kEditorIsCopy:
            refusal = IDS_EDITOR_IS_SELF;
            break;
        case kEditorMissing:
            break;
        }
        ShowLauncherMessage(refusal, MB_ICONWARNING);
        if (sheetShown || !RunSheet()) {
            return false;
        }
    }
}

} // namespace

// The runtime's own argument vector is not used: runtimes split some command
// lines differently, so the launcher splits GetCommandLineA() itself.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showState) {
    LoadLibrariesFromSystemOnly();
    ApplyUILanguageSetting();
    const bool tooManyHops = TakeHop();
    // ShellExecute may hand the start to shell extensions, which need COM.
    const HRESULT com = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const int exitCode = LauncherMain(instance, GetCommandLineA(), showState, tooManyHops);
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return exitCode;
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

    // The arguments: switches, and the file paths.
    CFilePaths paths;
    bool print = false;
    const ArgumentScanResult scan =
        ReadFilePaths(SkipProgramName(commandLine, AnsiLeadByte), AnsiLeadByte, AnsiSwitchEquals,
                      FileExistsOnDisk, NULL, &paths, &print);
    if (scan == kNoMemory) {
        return outcome;
    }
    if (scan == kRunSettings) {
        RunSheet();
        outcome.result = kSettingsShown;
        outcome.callerWaits = false;
        return outcome;
    }
    outcome.callerWaits = CallerWaitsForEditors(g_settings.WaitForEditor()) != FALSE;
    if (scan == kArgumentsTooLong) {
        ShowLauncherMessage(IDS_COMMAND_LINE_TOO_LONG, MB_ICONERROR);
        return outcome;
    }
    if (tooManyHops) {
        // Each hop started this program again: an editor that leads back here.
        WarnAndRunSettings(IDS_EDITOR_IS_SELF);
        return outcome;
    }

    // The editor: found, and not one whose start would only start this program again.
    const bool elevated = IsElevated();
    CHeapText editor;
    bool asDebuggee = false;
    if (!ChooseEditor(print, elevated, &editor, &asDebuggee)) {
        return outcome;
    }

    // What the editor needs besides the file: Notepad's "/p", or its own
    // switches to print, or to wait where the caller waits.
    EditorArguments known;
    const char* editorArguments = "";
    if (print || outcome.callerWaits) {
        if (!FindEditorArguments(&editor, outcome.callerWaits, elevated, &known)) {
            return outcome;
        }
        editorArguments = print ? known.print.Get() : known.wait.Get();
    }

    // Refuse the whole request rather than start some files and lose others.
    const size_t copySuffix = g_settings.ExtensionFlag() != 0
                                  ? 1 + static_cast<size_t>(lstrlenA(g_settings.Extension()))
                                  : 0;
    if (!EditorStartsFit(static_cast<size_t>(lstrlenA(editor.Get())),
                         static_cast<size_t>(lstrlenA(editorArguments)), paths.JoinedLength(),
                         copySuffix)) {
        ShowLauncherMessage(IDS_COMMAND_LINE_TOO_LONG, MB_ICONERROR);
        return outcome;
    }

    // One start per file path, the last first; then the wait, where the caller waits.
    CEditorProcesses started;
    EditorStarts starts = {};
    starts.editor = editor.Get();
    starts.arguments = editorArguments;
    starts.copyExtension = g_settings.ExtensionFlag() != 0 ? g_settings.Extension() : NULL;
    starts.showState = showState;
    starts.waitFor = outcome.callerWaits ? &started : NULL;
    starts.asDebuggee = asDebuggee;
    // Printing ends at once by design; an editor with a row says how it waits.
    starts.watchFiles = outcome.callerWaits && !print && !known.known;
    for (size_t i = paths.Count(); i > 0 && !starts.debuggeeFailed; --i) {
        StartEditor(&starts, paths.Get(i - 1));
    }
    if (starts.debuggeeFailed) {
        WarnAndRunSettings(IDS_EDITOR_START_FAILED);
    }
    outcome.editorExit = started.WaitForAll();
    outcome.result = starts.startFailed ? kStartFailed : kEditorsStarted;
    // The file went on to another program: the caller must not read it back yet.
    if (started.HandedOn() &&
        g_outsideWorld.messageBox(NULL, LoadText(IDS_EDITOR_HANDED_ON), g_caption,
                                  MB_OKCANCEL | MB_ICONINFORMATION) != IDOK) {
        outcome.result = kEditingAbandoned;
    }
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
