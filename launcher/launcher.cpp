#include "launcher/launcher.h"

#include <objbase.h>
#include <shlwapi.h>

#include "launcher/command_line.h"
#include "launcher/editor_check.h"
#include "launcher/editor_start.h"
#include "launcher/step_times.h"
#include "resources/elevation.h"
#include "resources/app_globals.h"
#include "resources/load_text.h"
#include "resources/outside_world.h"
#include "resources/paths.h"
#include "resources/resource_ids.h"
#include "resources/system_reason.h"
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

// The decimal number at `*text` (a part of the hop count), moving past it;
// false when there is none.
bool ReadDecimal(const char** text, DWORD* number) {
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
    if (length == 0 || length >= sizeof text || !ReadDecimal(&p, &hops) || *p++ != ' ' ||
        !ReadDecimal(&p, &counted) || *p != '\0' || now - counted > kHopMs) {
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

// The Status page's editors, by the rules this start would go by.
bool FindEditorInEffectHere(bool print, EditorInEffect* found) {
    EditorSource source = kSettingInEffect;
    const EditorCheck check = CheckChosenEditor(print, IsElevated(), &found->path, &source);
    CHeapText administrators;
    found->source = source == kSettingInEffect
                        ? g_settings.EditorSource(print)
                        : g_settings.ReadAdministratorsEditor(print, &administrators);
    found->systemNotepad = source == kSystemNotepad;
    found->state = check == kEditorMissing ? kEditorFileMissing
                   : check == kEditorIsThisProgram || check == kEditorIsCopy
                       ? kEditorFileIsQuillgate
                       : kEditorFileThere;
    return found->path.Get() != NULL;
}

// COM on this thread while the object lives: ShellExecute may hand a start to
// shell extensions, which need it, and so may the sheet's links and its
// Browse dialog. Only the roads that reach the shell pay for it.
class CComApartment {
public:
    CComApartment()
        : result(CoInitializeEx(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~CComApartment() {
        if (SUCCEEDED(result)) {
            CoUninitialize();
        }
    }
    CComApartment(const CComApartment&) = delete;
    CComApartment& operator=(const CComApartment&) = delete;

private:
    HRESULT result;
};

// TRUE when the sheet was closed with OK and saved its settings; a test may
// stand in for it.
BOOL RunSheet() {
    CComApartment com;
    return g_outsideWorld.runSettingsSheet ? g_outsideWorld.runSettingsSheet()
                                           : RunSettingsSheet(FindEditorInEffectHere);
}

bool FileExistsOnDisk(const char* path, void*) {
    return PathFileExistsA(path) != FALSE;
}

// Programs that start Notepad and wait for it to exit before they read the
// file back (git, jj, scripts) are console programs: such a caller waits for
// the editors, any other caller does not. The WaitForEditor setting overrides
// that.
bool CallerWaitsForEditors(DWORD setting) {
    switch (setting) {
    case kWaitForEditorAlways:
        return true;
    case kWaitForEditorNever:
        return false;
    default:
        break;
    }
    // Joining the caller's console succeeds only when it has one; the program
    // has no use for it, so it leaves again at once.
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) {
        return false;
    }
    FreeConsole();
    return true;
}

// The message `textId`, then `detailId` naming `editor` (its %1) and, where
// given, the system's `reason` (its %2).
void ShowEditorMessage(UINT textId, UINT detailId, const char* editor, const char* reason,
                       UINT icon) {
    CHeapText text, detail;
    if (!text.Copy(LoadTextTemp(textId)) || !detail.Copy(LoadTextTemp(detailId))) {
        ShowLauncherMessage(textId, icon);
        return;
    }
    const char* inserts[] = {editor, reason ? reason : ""};
    char* named = NULL;
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                            FORMAT_MESSAGE_ARGUMENT_ARRAY,
                        detail.Get(), 0, 0, reinterpret_cast<char*>(&named), 0,
                        reinterpret_cast<va_list*>(const_cast<char**>(inserts)))) {
        g_outsideWorld.messageBox(NULL, text.Get(), g_caption, icon);
        return;
    }
    CHeapText whole;
    if (whole.Allocate(text.Size() + static_cast<size_t>(lstrlenA(named)))) {
        lstrcpyA(whole.Get(), text.Get());
        lstrcatA(whole.Get(), named);
    }
    LocalFree(named);
    g_outsideWorld.messageBox(NULL, whole.Get() ? whole.Get() : text.Get(), g_caption, icon);
}

// Only an administrator changes the machine's setting: the sheet, which
// saves the user's, cannot mend it for an elevated start.
bool IsMachines(EditorSource source, bool print) {
    return source != kSettingInEffect ||
           IsAdministrators(g_settings.EditorSource(print ? TRUE : FALSE));
}

// `textId` naming the editor and whose setting it is; then, where the user can
// mend it and `offerSheet`, the settings sheet. TRUE when the sheet was closed
// with OK.
BOOL WarnAboutEditor(UINT textId, const char* editor, EditorSource source, bool print,
                     bool offerSheet, const char* reason = NULL) {
    // Whose setting named the editor: an administrator's, the built-in
    // default, or the user's own; each with the system's reason or without.
    static const UINT kDetails[][2] = {
        {IDS_EDITOR_SETTING_MACHINES, IDS_EDITOR_FAILED_MACHINES},
        {IDS_EDITOR_SETTING_DEFAULT, IDS_EDITOR_FAILED_DEFAULT},
        {IDS_EDITOR_SETTING_YOURS, IDS_EDITOR_FAILED_YOURS},
    };
    const size_t whose = IsMachines(source, print)                                       ? 0
                         : g_settings.EditorSource(print ? TRUE : FALSE) == kFromDefault ? 1
                                                                                         : 2;
    const UINT detailId = kDetails[whose][reason ? 1 : 0];
    ShowEditorMessage(textId, detailId, editor ? editor : "", reason,
                      reason ? MB_ICONERROR : MB_ICONWARNING);
    return offerSheet && source == kSettingInEffect ? RunSheet() : FALSE;
}

// What was asked for: the file paths and whether to print.
struct Request {
    CFilePaths paths;
    bool print = false;
};

// The editor chosen for a request, and whose setting named it.
struct ChosenEditor {
    CHeapText path;
    bool elevated = false;   // this start has an administrator's full token
    bool asDebuggee = false; // a registration redirects its start here
    EditorSource source = kSettingInEffect;
};

// What the starts need besides the files.
struct StartPlan {
    EditorArguments known; // the editor's own switches
    EditorStartPlan starts;
};

// Step 1: the switches and file paths of `commandLine` (the whole line).
ArgumentScanResult ReadRequest(const char* commandLine, Request* request) {
    const ArgumentScanResult scan =
        ReadFilePaths(SkipProgramName(commandLine, AnsiLeadByte), AnsiLeadByte, AnsiSwitchEquals,
                      FileExistsOnDisk, NULL, &request->paths, &request->print);
    QUILLGATE_STEP("arguments");
    return scan;
}

// Step 2, the editor to start: one that is there and does not lead back here.
// When it is missing or refused, the user may choose another in the settings
// sheet, and the request goes on with it. False when nothing is to start.
bool ChooseEditor(bool print, ChosenEditor* editor) {
    for (bool sheetShown = false;; sheetShown = true) {
        UINT refusal = IDS_EDITOR_NOT_FOUND;
        switch (CheckChosenEditor(print, editor->elevated, &editor->path, &editor->source)) {
        case kEditorReady:
            editor->asDebuggee = false;
            return true;
        case kEditorRedirectsHere:
            if (CanStartAsDebuggee(editor->path.Get())) {
                editor->asDebuggee = true;
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
        if (!WarnAboutEditor(refusal, editor->path.Get(), editor->source, print, !sheetShown)) {
            return false;
        }
    }
}

bool AnyPathHasPercent(const CFilePaths& paths) {
    for (size_t i = 0; i < paths.Count(); ++i) {
        if (StrChrA(paths.Get(i), '%')) {
            return true;
        }
    }
    return false;
}

size_t LongestQuotedPath(const CFilePaths& paths) {
    size_t longest = 0;
    for (size_t i = 0; i < paths.Count(); ++i) {
        const size_t length = QuotedPathLength(paths.Get(i), AnsiLeadByte);
        longest = length > longest ? length : longest;
    }
    return longest;
}

// Step 3: the editor's switches, and whether every start fits in one command
// line. False, after a message, when nothing is to start.
bool PlanStarts(const Request& request, bool callerWaits, int showState, ChosenEditor* editor,
                StartPlan* plan) {
    // The command prompt expands "%...%" in what a batch file is given.
    if (IsBatchFile(editor->path.Get()) && AnyPathHasPercent(request.paths)) {
        ShowEditorMessage(IDS_BATCH_EDITOR_CHANGES_NAMES, IDS_EDITOR_NAMED, editor->path.Get(),
                          NULL, MB_ICONWARNING);
        return false;
    }
    // What the editor needs besides the file: Notepad's "/p", or its own
    // switches to print, or to wait where the caller waits.
    const char* arguments = "";
    if (request.print || callerWaits) {
        if (!FindEditorArguments(&editor->path, callerWaits, editor->elevated, &plan->known)) {
            return false;
        }
        arguments = request.print ? plan->known.print.Get() : plan->known.wait.Get();
    }
    QUILLGATE_STEP("editor arguments");
    // Elevated, the file goes as it is: the copy's extension is the user's.
    const char* copyExtension =
        g_settings.ExtensionFlag() != 0 && !editor->elevated ? g_settings.Extension() : NULL;
    // Refuse the whole request rather than start some files and lose others.
    const size_t copySuffix = copyExtension ? 1 + static_cast<size_t>(lstrlenA(copyExtension)) : 0;
    if (!EditorStartsFit(static_cast<size_t>(lstrlenA(editor->path.Get())),
                         static_cast<size_t>(lstrlenA(arguments)), LongestQuotedPath(request.paths),
                         copySuffix)) {
        ShowLauncherMessage(IDS_COMMAND_LINE_TOO_LONG, MB_ICONERROR);
        return false;
    }
    EditorStartPlan& starts = plan->starts;
    starts.editor = editor->path.Get();
    starts.arguments = arguments;
    starts.copyExtension = copyExtension;
    starts.showState = showState;
    starts.asDebuggee = editor->asDebuggee;
    starts.asProgram = editor->elevated;
    // Printing ends at once by design; an editor with a row says how it waits.
    starts.watchFiles = callerWaits && !request.print && !plan->known.known;
    return true;
}

DWORD StartEach(const EditorStartPlan& plan, const CFilePaths& paths, CEditorProcesses* started) {
    CInternetCache cache;
    for (size_t i = paths.Count(); i > 0; --i) {
        const DWORD error = StartEditor(plan, paths.Get(i - 1), &cache, started);
        if (error != ERROR_SUCCESS) {
            return error; // the rest are not tried
        }
    }
    return ERROR_SUCCESS;
}

// Step 4: one start per file path, the last first, until one fails; with
// `started`, the processes are kept to be waited for. ERROR_SUCCESS, or the
// system's reason for the failed start.
DWORD StartEditors(const EditorStartPlan& plan, const CFilePaths& paths,
                   CEditorProcesses* started) {
    if (!StartsThroughShell(plan)) {
        return StartEach(plan, paths, started);
    }
    CComApartment com;
    QUILLGATE_STEP("COM");
    return StartEach(plan, paths, started);
}

// Step 5, where the caller waits: the editors' exit, and where an editor
// handed its file on to another program, the user's word that the editing is
// done, since the caller reads the file back.
void WaitForEditors(CEditorProcesses* started, ForwardOutcome* outcome) {
    outcome->editorExit = started->WaitForAll();
    QUILLGATE_STEP("wait");
    if (started->HandedOn() &&
        g_outsideWorld.messageBox(NULL, LoadTextTemp(IDS_EDITOR_HANDED_ON), g_caption,
                                  MB_OKCANCEL | MB_ICONINFORMATION) != IDOK) {
        outcome->result = kEditingAbandoned;
    }
}

} // namespace

// The runtime's own argument vector is not used: runtimes split some command
// lines differently, so the launcher splits GetCommandLineA() itself.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showState) {
    QUILLGATE_STEPS_BEGIN();
    LoadLibrariesFromSystemOnly();
    const bool tooManyHops = TakeHop();
    QUILLGATE_STEP("hop count");
    const int exitCode = LauncherMain(instance, GetCommandLineA(), showState, tooManyHops);
    QUILLGATE_STEPS_WRITE("notepad");
    return exitCode;
}

int LauncherMain(HINSTANCE instance, const char* commandLine, int showState, bool tooManyHops) {
    g_instance = instance;
    g_settings.Open();
    g_settings.Load();
    QUILLGATE_STEP("settings");
    UseUILanguageChoice(g_settings.UILanguage());
    ZeroMemory(g_caption, sizeof g_caption);
    lstrcpynA(g_caption, LoadTextTemp(IDS_CAPTION), sizeof g_caption);
    QUILLGATE_STEP("language");
    return ExitCodeOf(RunLauncher(commandLine, showState, tooManyHops));
}

ForwardOutcome RunLauncher(const char* commandLine, int showState, bool tooManyHops) {
    // Until it is known whether the caller waits, a failure must not look
    // like success to one that does.
    ForwardOutcome outcome = {kNothingStarted, true, 0};

    Request request;
    const ArgumentScanResult scan = ReadRequest(commandLine, &request);
    if (scan == kNoMemory) {
        return outcome;
    }
    if (scan == kRunSettings) {
        RunSheet();
        outcome.result = kSettingsShown;
        outcome.callerWaits = false;
        return outcome;
    }
    outcome.callerWaits = CallerWaitsForEditors(g_settings.WaitForEditor());
    QUILLGATE_STEP(outcome.callerWaits ? "console (waits)" : "console (no wait)");
    if (scan == kArgumentsTooLong) {
        ShowLauncherMessage(IDS_COMMAND_LINE_TOO_LONG, MB_ICONERROR);
        return outcome;
    }
    if (tooManyHops) {
        // Each hop started this program again: an editor that leads back here.
        ShowLauncherMessage(IDS_EDITOR_IS_SELF, MB_ICONWARNING);
        RunSheet();
        return outcome;
    }

    ChosenEditor editor;
    editor.elevated = IsElevated();
    QUILLGATE_STEP("token");
    if (!ChooseEditor(request.print, &editor)) {
        return outcome;
    }
    QUILLGATE_STEP("editor choice");

    StartPlan plan;
    if (!PlanStarts(request, outcome.callerWaits, showState, &editor, &plan)) {
        return outcome;
    }

    CEditorProcesses started;
    const DWORD error =
        StartEditors(plan.starts, request.paths, outcome.callerWaits ? &started : NULL);
    QUILLGATE_STEP("start");
    outcome.result = error == ERROR_SUCCESS ? kEditorsStarted : kStartFailed;
    if (error != ERROR_SUCCESS) {
        CHeapText reason;
        GetSystemReason(error, &reason);
        WarnAboutEditor(IDS_EDITOR_START_FAILED, editor.path.Get(), editor.source, request.print,
                        true, reason.Get());
    }

    WaitForEditors(&started, &outcome);
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
