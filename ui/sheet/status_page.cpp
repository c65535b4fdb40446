#include "ui/sheet/status_page.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include "resources/app_globals.h"
#include "resources/load_text.h"
#include "resources/outside_world.h"
#include "resources/resource_ids.h"
#include "resources/system_reason.h"
#include "settings/reg_key.h"
#include "settings/settings.h"
#include "ui/sheet/help_popup.h"
#include "ui/sheet/notepad_places.h"
#include "ui/sheet/page_font.h"

namespace {

// BCM_SETSHIELD: Windows Vista's, beyond the version the headers target here.
const UINT kSetShield = 0x160C;
const char kUserChoice[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.txt\\UserChoice";
const char kOwnProgId[] = "Quillgate.txt"; // Setup's
const char kApplications[] = "Applications\\";
const DWORD kNotElevated = 740; // ERROR_ELEVATION_REQUIRED, as Setup's repair exits

// `more` added to the end of `text`.
bool Append(CHeapText* text, const char* more) {
    const char* old = text->Get() ? text->Get() : "";
    CHeapText joined;
    if (!joined.Allocate(static_cast<size_t>(lstrlenA(old) + lstrlenA(more)) + 1)) {
        return false;
    }
    lstrcpyA(joined.Get(), old);
    lstrcatA(joined.Get(), more);
    return text->Copy(joined.Get());
}

// String `id` with `inserts` in its %1 and %2.
bool FormatText(UINT id, const char* first, const char* second, CHeapText* out) {
    CHeapText pattern;
    if (!pattern.Copy(LoadTextTemp(id))) {
        return false;
    }
    const char* inserts[] = {first ? first : "", second ? second : ""};
    char* text = NULL;
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                            FORMAT_MESSAGE_ARGUMENT_ARRAY,
                        pattern.Get(), 0, 0, reinterpret_cast<char*>(&text), 0,
                        reinterpret_cast<va_list*>(const_cast<char**>(inserts)))) {
        return false;
    }
    const bool copied = out->Copy(text);
    LocalFree(text);
    return copied;
}

void SetFormatted(HWND page, int control, UINT id, const char* first, const char* second = NULL) {
    CHeapText text;
    SetDlgItemTextA(page, control, FormatText(id, first, second, &text) ? text.Get() : "");
}

// What the places say, line by line, and whether Repair has work.
struct PlacesShown {
    CHeapText lines;
    bool toRepair = false;
};

void AddPlace(const NotepadPlace& place, void* context) {
    PlacesShown* shown = static_cast<PlacesShown*>(context);
    static const UINT kLines[] = {IDS_STATUS_FORWARDED, IDS_STATUS_MISSING, IDS_STATUS_RESET,
                                  IDS_STATUS_FOREIGN};
    CHeapText name, line;
    if (!name.Copy(place.filter ? place.filter : LoadTextTemp(IDS_STATUS_PLACE_ANY)) ||
        (place.view32 && !Append(&name, LoadTextTemp(IDS_STATUS_VIEW32))) ||
        !FormatText(kLines[place.state], name.Get(), place.debugger, &line)) {
        return;
    }
    Append(&shown->lines, line.Get());
    Append(&shown->lines, "\r\n");
    shown->toRepair = shown->toRepair || place.state == kPlaceMissing || place.state == kPlaceReset;
}

// `stored` (an indirect string, "@..."), as the system shows it.
bool LoadIndirect(const char* stored, CHeapText* name) {
    WCHAR source[1024], loaded[256];
    if (!MultiByteToWideChar(CP_ACP, 0, stored, -1, source, ARRAYSIZE(source)) ||
        FAILED(SHLoadIndirectString(source, loaded, ARRAYSIZE(loaded), NULL))) {
        return false;
    }
    const int size = WideCharToMultiByte(CP_ACP, 0, loaded, -1, NULL, 0, NULL, NULL);
    return size > 0 && name->Allocate(static_cast<size_t>(size)) &&
           WideCharToMultiByte(CP_ACP, 0, loaded, -1, name->Get(), size, NULL, NULL) > 0;
}

// The application behind `progId` by a name its user knows: Quillgate, a
// program's file name for Applications\<file>, an app's ApplicationName;
// else the ProgID itself.
bool ApplicationName(const char* progId, CHeapText* name) {
    if (lstrcmpiA(progId, kOwnProgId) == 0) {
        return name->Copy(g_caption);
    }
    if (StrCmpNIA(progId, kApplications, lstrlenA(kApplications)) == 0) {
        if (!name->Copy(progId + lstrlenA(kApplications))) {
            return false;
        }
        PathRemoveExtensionA(name->Get());
        return true;
    }
    CHeapText path, stored;
    CRegKey application;
    if (path.Copy(progId) && Append(&path, "\\Application") &&
        application.Open(HKEY_CLASSES_ROOT, path.Get(), KEY_READ) == ERROR_SUCCESS &&
        application.ReadText("ApplicationName", &stored) && stored.Get()[0] != '\0' &&
        (stored.Get()[0] == '@' ? LoadIndirect(stored.Get(), name) : name->Copy(stored.Get()))) {
        return true;
    }
    return name->Copy(progId);
}

// The editor as set, found as the system finds files: where no entry point
// hands the sheet its own rules (the sheet's tests).
bool FindEditorAsSet(bool print, EditorInEffect* editor) {
    const char* setting = print ? g_settings.PrintEditor() : g_settings.EditEditor();
    editor->source = g_settings.EditorSource(print ? TRUE : FALSE);
    if (SearchForFile(setting, &editor->path)) {
        editor->state = kEditorFileThere;
        return true;
    }
    editor->state = kEditorFileMissing;
    return editor->path.Copy(setting);
}

// Waits for `process` while the sheet goes on painting; as under a modal
// dialog, the sheet takes no input meanwhile. False where the wait ended
// otherwise (a WM_QUIT, passed on).
bool WaitWhilePainting(HWND sheet, HANDLE process) {
    const BOOL wasDisabled = EnableWindow(sheet, FALSE);
    bool ended = false;
    for (bool quit = false; !quit;) {
        const DWORD woken = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
        if (woken != WAIT_OBJECT_0 + 1) {
            ended = woken == WAIT_OBJECT_0;
            break;
        }
        MSG message;
        while (!quit && PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                quit = true;
            } else {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
    }
    if (!wasDisabled) {
        EnableWindow(sheet, TRUE);
    }
    return ended;
}

UINT RepairResult(DWORD exitCode) {
    switch (exitCode) {
    case 0:
        return IDS_STATUS_REPAIRED;
    case 1:
        return IDS_STATUS_REPAIRED_FOREIGN;
    case 2:
        return IDS_STATUS_NOT_REPAIRED;
    case kNotElevated:
        return IDS_STATUS_NOT_ELEVATED;
    default:
        return IDS_STATUS_REPAIR_ENDED;
    }
}

} // namespace

LRESULT CStatusPage::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog(hwnd);
        return 1;
    case WM_NOTIFY:
        // The editors may have changed on the Settings page since.
        if (lParam &&
            reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(PSN_SETACTIVE)) {
            ShowEditor(hwnd, false);
            ShowEditor(hwnd, true);
        }
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_STATUS_REPAIR) {
            Repair(hwnd);
        } else if (LOWORD(wParam) == IDC_STATUS_DEFAULT_APPS) {
            OpenDefaultApps(hwnd);
        }
        return 0;
    case WM_HELP:
        if (lParam) {
            const HELPINFO* help = reinterpret_cast<const HELPINFO*>(lParam);
            const char* text = LoadTextTemp(static_cast<unsigned int>(help->iCtrlId));
            if (text[0] != '\0') {
                ShowHelpPopup(GetDlgItem(hwnd, help->iCtrlId), text, help->MousePos.x,
                              help->MousePos.y);
            }
        }
        return 1;
    default:
        return 0;
    }
}

void CStatusPage::OnInitDialog(HWND page) {
    if (TemplateIsJapanese(IDD_STATUS)) {
        AdaptPageFont(page);
    }
    SendDlgItemMessageA(page, IDC_STATUS_REPAIR, kSetShield, 0, TRUE);
    ShowPlaces(page);
    ShowTextFileChoice(page);
}

void CStatusPage::ShowPlaces(HWND page) {
    PlacesShown shown;
    ReadNotepadPlaces(AddPlace, &shown);
    SetDlgItemTextA(page, IDC_STATUS_PLACES, shown.lines.Get() ? shown.lines.Get() : "");
    EnableWindow(GetDlgItem(page, IDC_STATUS_REPAIR), shown.toRepair);
}

void CStatusPage::ShowTextFileChoice(HWND page) {
    CRegKey choice;
    CHeapText progId, name;
    if (choice.Open(HKEY_CURRENT_USER, kUserChoice, KEY_READ) == ERROR_SUCCESS &&
        choice.ReadText("ProgId", &progId) && progId.Get()[0] != '\0' &&
        ApplicationName(progId.Get(), &name)) {
        SetFormatted(page, IDC_STATUS_TXT_APP, IDS_STATUS_TXT_CHOICE, name.Get());
    } else {
        SetDlgItemTextA(page, IDC_STATUS_TXT_APP, LoadTextTemp(IDS_STATUS_TXT_NO_CHOICE));
    }
}

void CStatusPage::ShowEditor(HWND page, bool print) {
    EditorInEffect editor;
    if (!(findEditor ? findEditor : FindEditorAsSet)(print, &editor)) {
        editor.path.Free();
        editor.state = kEditorFileMissing;
    }
    SetFormatted(page, print ? IDC_STATUS_PRINT_EDITOR : IDC_STATUS_EDIT_EDITOR,
                 print ? IDS_STATUS_PRINT_EDITOR : IDS_STATUS_EDIT_EDITOR, editor.path.Get());
    // In SettingSource's order.
    static const UINT kSources[] = {IDS_STATUS_FROM_POLICY, IDS_STATUS_FROM_POLICY,
                                    IDS_STATUS_FROM_USER, IDS_STATUS_FROM_MACHINE,
                                    IDS_STATUS_FROM_DEFAULT};
    static_assert(sizeof kSources / sizeof kSources[0] == kFromDefault + 1, "a text per source");
    static const UINT kStates[] = {IDS_STATUS_FILE_THERE, IDS_STATUS_FILE_MISSING,
                                   IDS_STATUS_FILE_IS_QUILLGATE};
    CHeapText source;
    if (source.Copy(LoadTextTemp(editor.systemNotepad ? IDS_STATUS_SYSTEM_NOTEPAD
                                                      : kSources[editor.source]))) {
        SetFormatted(page, print ? IDC_STATUS_PRINT_SOURCE : IDC_STATUS_EDIT_SOURCE,
                     kStates[editor.state], source.Get());
    }
}

void CStatusPage::Repair(HWND page) {
    // The repair command Setup leaves in the folder Apps records, run in
    // place (_?=, last and unquoted).
    CHeapText folder, program, parameters;
    if (!ReadInstallFolder(&folder) || !program.Copy(folder.Get()) ||
        !Append(&program, "\\uninstall.exe") || !PathFileExistsA(program.Get()) ||
        !parameters.Copy("/REPAIR _?=") || !Append(&parameters, folder.Get())) {
        SetDlgItemTextA(page, IDC_STATUS_REPAIR_RESULT, LoadTextTemp(IDS_STATUS_NOT_INSTALLED));
        return;
    }
    SHELLEXECUTEINFOA run;
    ZeroMemory(&run, sizeof run);
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    run.hwnd = page;
    run.lpVerb = "runas";
    run.lpFile = program.Get();
    run.lpParameters = parameters.Get();
    run.nShow = SW_SHOWNORMAL;
    if (!g_outsideWorld.shellExecuteEx(&run)) {
        CHeapText reason;
        GetSystemReason(GetLastError(), &reason);
        SetFormatted(page, IDC_STATUS_REPAIR_RESULT, IDS_STATUS_REPAIR_NOT_STARTED, reason.Get());
        return;
    }
    DWORD exitCode = 0;
    if (run.hProcess) {
        const bool ended = WaitWhilePainting(GetParent(page), run.hProcess) &&
                           GetExitCodeProcess(run.hProcess, &exitCode);
        CloseHandle(run.hProcess);
        if (ended) {
            char code[16];
            wnsprintfA(code, sizeof code, "%lu", exitCode);
            SetFormatted(page, IDC_STATUS_REPAIR_RESULT, RepairResult(exitCode), code);
        }
    }
    ShowPlaces(page);
    SetFocus(GetDlgItem(page, IDC_STATUS_PLACES));
}

void CStatusPage::OpenDefaultApps(HWND page) {
    // Windows 11 opens Default apps at an application's own entry.
    DWORD major = 0, minor = 0, build = 0;
    const bool windows11 =
        ReadWindowsVersion(&major, &minor, &build) && major >= 10 && build >= 22000;
    const char* target = windows11 ? "ms-settings:defaultapps?registeredAppMachine=Quillgate"
                                   : "ms-settings:defaultapps";
    SetLastError(ERROR_SUCCESS);
    const INT_PTR result = reinterpret_cast<INT_PTR>(
        g_outsideWorld.shellExecute(page, NULL, target, NULL, NULL, SW_SHOWNORMAL));
    if (result > 32) {
        return;
    }
    const DWORD error = GetLastError();
    CHeapText reason, text;
    GetSystemReason(error != ERROR_SUCCESS ? error : static_cast<DWORD>(result), &reason);
    if (FormatText(IDS_STATUS_DEFAULT_APPS_FAILED, reason.Get(), NULL, &text)) {
        g_outsideWorld.messageBox(page, text.Get(), g_caption, MB_ICONERROR);
    }
}
