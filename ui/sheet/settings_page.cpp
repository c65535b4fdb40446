#include "ui/sheet/settings_page.h"

#include <commctrl.h>

#include "resources/app_globals.h"
#include "resources/load_text.h"
#include "resources/outside_world.h"
#include "resources/paths.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "ui/sheet/browse_for_editor.h"
#include "ui/sheet/help_popup.h"
#include "ui/sheet/page_font.h"
#include "ui/sheet/sheet_libraries.h"

namespace {

// The list always offers the default; the stored editor joins it when it is
// another one. The combo sorts its list itself.
void FillEditorCombo(HWND page, int id, const char* editor) {
    HWND combo = GetDlgItem(page, id);
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadText(IDS_DEFAULT_EDITOR)));
    if (lstrcmpA(editor, LoadText(IDS_DEFAULT_EDITOR)) != 0) {
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(editor));
    }
    SetWindowTextA(combo, editor);
}

// Attaches `check` to its box and lets it enable `dependentId`, then gives the
// box its stored state, which sets the dependent's state as well.
void SetUpDependentCheck(HWND page, CDependentCheck& check, int checkId, int dependentId,
                         LONG checked) {
    // Unattached, the box steers nothing and its dependent stays enabled.
    HWND dependent = GetDlgItem(page, dependentId);
    if (check.Attach(GetDlgItem(page, checkId)) && dependent) {
        check.dependents.Append({dependent, TRUE});
    }
    SendDlgItemMessageA(page, checkId, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// The most characters a box takes so that the store reads its text back:
// `readSize` bytes with the terminator, in the code page in use. A character
// of the box takes up to 3 bytes in UTF-8 (a pair of surrogates, 4 bytes for
// two), up to the code page's longest otherwise.
WPARAM CharactersThatFit(DWORD readSize) {
    CPINFO info;
    UINT bytes = 2;
    if (GetACP() == CP_UTF8) {
        bytes = 3;
    } else if (GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 0) {
        bytes = info.MaxCharSize;
    }
    return static_cast<WPARAM>((readSize - 1) / bytes);
}

// The text of control `id`, read whole.
bool ReadItemText(HWND page, int id, CHeapText* text) {
    HWND item = GetDlgItem(page, id);
    // The length may be overstated, never understated.
    if (!text->Allocate(static_cast<size_t>(GetWindowTextLengthA(item)) + 1)) {
        return false;
    }
    GetWindowTextA(item, text->Get(), static_cast<int>(text->Size()));
    return true;
}

// Whether the store reads the combo's text back as it stands. The text is
// read whole, so that no cut can pass for a path that fits.
bool EditorPathFits(HWND page, int id) {
    CHeapText text;
    return ReadItemText(page, id, &text) &&
           static_cast<DWORD>(lstrlenA(text.Get())) < CSettings::EditorPathReadSize();
}

} // namespace

LRESULT CSettingsPage::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog(hwnd);
        return 1;
    case WM_COMMAND:
        OnCommand(hwnd, LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY:
        if (lParam &&
            reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(PSN_APPLY)) {
            if (!EditorPathFits(hwnd, IDC_EDIT_EDITOR) || !EditorPathFits(hwnd, IDC_PRINT_EDITOR)) {
                // Saved, it would read back as the default: nothing is saved.
                g_outsideWorld.messageBox(GetParent(hwnd), LoadText(IDS_EDITOR_PATH_TOO_LONG),
                                          g_caption, MB_ICONWARNING);
                SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, PSNRET_INVALID_NOCHANGEPAGE);
                return 1;
            }
            const bool saved = Save(hwnd);
            g_settings.Load();
            g_settings.LoadUnknownAssociation();
            // OK, not Apply: the sheet closes now.
            closedWithOk = saved && reinterpret_cast<const PSHNOTIFY*>(lParam)->lParam != 0;
            if (!saved) {
                // The sheet stays open, so that nothing typed is lost.
                g_outsideWorld.messageBox(GetParent(hwnd), LoadText(IDS_SETTINGS_NOT_SAVED),
                                          g_caption, MB_ICONERROR);
            }
            SetWindowLongPtrA(hwnd, DWLP_MSGRESULT,
                              saved ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
            return 1;
        }
        return 0;
    case WM_HELP:
        if (lParam) {
            ShowHelp(hwnd, reinterpret_cast<const HELPINFO*>(lParam));
        }
        return 1;
    default:
        return 0;
    }
}

void CSettingsPage::OnInitDialog(HWND page) {
    initialising = TRUE;
    g_sheetLibraries.InitCommonControls();
    if (TemplateIsJapanese(IDD_SETTINGS)) {
        AdaptPageFont(page);
    }

    FillEditorCombo(page, IDC_EDIT_EDITOR, g_settings.EditEditor());
    FillEditorCombo(page, IDC_PRINT_EDITOR, g_settings.PrintEditor());
    const WPARAM pathLimit = CharactersThatFit(CSettings::EditorPathReadSize());
    SendDlgItemMessageA(page, IDC_EDIT_EDITOR, CB_LIMITTEXT, pathLimit, 0);
    SendDlgItemMessageA(page, IDC_PRINT_EDITOR, CB_LIMITTEXT, pathLimit, 0);
    const WPARAM textLimit = CharactersThatFit(CSettings::kTextSize);
    SendDlgItemMessageA(page, IDC_EXTENSION, CB_LIMITTEXT, textLimit, 0);
    SendDlgItemMessageA(page, IDC_MENU_TEXT, EM_LIMITTEXT, textLimit, 0);

    SetUpDependentCheck(page, extensionCheck, IDC_EXTENSION_FLAG, IDC_EXTENSION,
                        g_settings.ExtensionFlag());
    HWND extension = GetDlgItem(page, IDC_EXTENSION);
    const int extensions[] = {IDS_EXTENSION_HTM, IDS_EXTENSION_HTML, IDS_EXTENSION_SHTML,
                              IDS_EXTENSION_XML};
    for (int id : extensions) {
        SendMessageA(extension, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadText(id)));
    }
    SetWindowTextA(extension, g_settings.Extension());

    // Only the sheet asks about the Unknown class: a forward has no use for it.
    g_settings.LoadUnknownAssociation();
    SetUpDependentCheck(page, associationCheck, IDC_UNKNOWN_ASSOCIATE, IDC_MENU_TEXT,
                        g_settings.UnknownAssociated());
    SetDlgItemTextA(page, IDC_MENU_TEXT, g_settings.MenuText());
    initialising = FALSE;
}

void CSettingsPage::OnCommand(HWND page, int id, int code) {
    switch (id) {
    case IDC_EDIT_EDITOR_BROWSE:
        if (BrowseForEditor(page, GetDlgItem(page, IDC_EDIT_EDITOR), TRUE)) {
            MarkChanged(page);
        }
        break;
    case IDC_PRINT_EDITOR_BROWSE:
        if (BrowseForEditor(page, GetDlgItem(page, IDC_PRINT_EDITOR), FALSE)) {
            MarkChanged(page);
        }
        break;
    case IDC_EXTENSION_FLAG:
    case IDC_UNKNOWN_ASSOCIATE:
        MarkChanged(page);
        break;
    case IDC_MENU_TEXT:
        if (code == EN_CHANGE) {
            MarkChanged(page);
        }
        break;
    case IDC_EDIT_EDITOR:
    case IDC_PRINT_EDITOR:
    case IDC_EXTENSION:
        if (code == CBN_SELCHANGE || code == CBN_EDITCHANGE) {
            MarkChanged(page);
        }
        break;
    default:
        break;
    }
}

void CSettingsPage::MarkChanged(HWND page) {
    // The edit box reports the text the page itself puts in while it fills
    // its controls; that is no change of the user's.
    if (initialising) {
        return;
    }
    SendMessageA(GetParent(page), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
}

bool CSettingsPage::Save(HWND page) {
    // Written as typed: an empty editor or a dotted extension is the user's call.
    CHeapText text;
    bool ok = true;
    ok &= ReadItemText(page, IDC_EDIT_EDITOR, &text) && g_settings.SetEditEditor(text.Get());
    ok &= ReadItemText(page, IDC_PRINT_EDITOR, &text) && g_settings.SetPrintEditor(text.Get());

    const BOOL copies = IsDlgButtonChecked(page, IDC_EXTENSION_FLAG) == BST_CHECKED;
    ok &= g_settings.SetExtensionFlag(copies ? 1 : 0) != FALSE;
    ok &= ReadItemText(page, IDC_EXTENSION, &text) && g_settings.SetExtension(text.Get());

    const BOOL associate = IsDlgButtonChecked(page, IDC_UNKNOWN_ASSOCIATE) == BST_CHECKED;
    ok &= ReadItemText(page, IDC_MENU_TEXT, &text) &&
          g_settings.ApplyUnknownAssociation(associate, text.Get());
    return ok;
}

void CSettingsPage::ShowHelp(HWND page, const HELPINFO* help) {
    const int id = help->iCtrlId;
    // The group boxes share one text that explains how to get the others.
    const bool groupBox = id > IDC_ABOUT_MAIL_LINK && id < IDC_EDIT_EDITOR_LABEL;
    const char* text = LoadText(groupBox ? IDS_GROUP_HELP : static_cast<unsigned int>(id));
    ShowHelpPopup(GetDlgItem(page, id), text, help->MousePos.x, help->MousePos.y);
}
