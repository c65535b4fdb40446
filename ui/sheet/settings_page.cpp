#include "ui/sheet/settings_page.h"

#include <commctrl.h>

#include <initializer_list>

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
    SendMessageA(combo, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(LoadTextTemp(IDS_DEFAULT_EDITOR)));
    if (lstrcmpA(editor, LoadTextTemp(IDS_DEFAULT_EDITOR)) != 0) {
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

// Whether `now` is another text than the page showed. A shown text that
// could not be kept counts as changed: it is written once more.
bool Differs(const CHeapText& shown, const char* now) {
    return !shown.Get() || lstrcmpA(shown.Get(), now) != 0;
}

// Whether the editor path in combo `id`, where the user changed it, reads
// back from the store as it stands. Read whole, so that no cut can pass for a
// path that fits.
bool EditorPathFits(HWND page, int id, const CHeapText& shown) {
    CHeapText text;
    return ReadItemText(page, id, &text) &&
           (!Differs(shown, text.Get()) || CSettings::EditorPathFits(text.Get()));
}

// Writes combo or edit box `id`'s text through `write` where the user changed
// it; once written, it is what the page shows. False when the write failed.
bool SaveChangedText(HWND page, int id, CHeapText* shown, BOOL (CSettings::*write)(const char*)) {
    CHeapText text;
    if (!ReadItemText(page, id, &text)) {
        return false;
    }
    if (!Differs(*shown, text.Get())) {
        return true;
    }
    if (!(g_settings.*write)(text.Get())) {
        return false;
    }
    shown->Copy(text.Get()); // a copy that fails means one write more next time
    return true;
}

bool IsChecked(HWND page, int id) {
    return IsDlgButtonChecked(page, id) == BST_CHECKED;
}

// Disables controls `ids` where a policy gave the setting; says whether it did.
bool DisableWhereFixed(HWND page, SettingSource source, std::initializer_list<int> ids) {
    if (!IsPolicy(source)) {
        return false;
    }
    for (int id : ids) {
        EnableWindow(GetDlgItem(page, id), FALSE);
    }
    return true;
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
            return OnApply(hwnd, reinterpret_cast<const PSHNOTIFY*>(lParam)) ? 1 : 0;
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

    // As stored, %...% unexpanded: a path the user typed so comes back so.
    char editor[MAX_PATH];
    g_settings.ReadEditorAsStored(FALSE, editor, sizeof editor);
    FillEditorCombo(page, IDC_EDIT_EDITOR, editor);
    g_settings.ReadEditorAsStored(TRUE, editor, sizeof editor);
    FillEditorCombo(page, IDC_PRINT_EDITOR, editor);
    // Every path the store holds fits, and one cut at the limit is too long
    // for it, so OK refuses a cut path rather than save it.
    const WPARAM pathLimit = CSettings::EditorPathReadSize();
    SendDlgItemMessageA(page, IDC_EDIT_EDITOR, CB_LIMITTEXT, pathLimit, 0);
    SendDlgItemMessageA(page, IDC_PRINT_EDITOR, CB_LIMITTEXT, pathLimit, 0);
    const WPARAM textLimit = CharactersThatFit(CSettings::kTextSize);
    SendDlgItemMessageA(page, IDC_EXTENSION, CB_LIMITTEXT, textLimit, 0);
    SendDlgItemMessageA(page, IDC_MENU_TEXT, EM_LIMITTEXT, textLimit, 0);

    // A fixed extension stays disabled whatever the box above it says.
    fixed.extension = IsPolicy(g_settings.ExtensionSource());
    SetUpDependentCheck(page, extensionCheck, IDC_EXTENSION_FLAG,
                        fixed.extension ? 0 : IDC_EXTENSION, g_settings.ExtensionFlag());
    HWND extension = GetDlgItem(page, IDC_EXTENSION);
    const int extensions[] = {IDS_EXTENSION_HTM, IDS_EXTENSION_HTML, IDS_EXTENSION_SHTML,
                              IDS_EXTENSION_XML};
    for (int id : extensions) {
        SendMessageA(extension, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadTextTemp(id)));
    }
    SetWindowTextA(extension, g_settings.Extension());

    // Only the sheet asks about the Unknown class: a forward has no use for it.
    g_settings.LoadUnknownAssociation();
    SetUpDependentCheck(page, associationCheck, IDC_UNKNOWN_ASSOCIATE, IDC_MENU_TEXT,
                        g_settings.UnknownAssociated());
    SetDlgItemTextA(page, IDC_MENU_TEXT, g_settings.MenuText());

    fixed.editEditor = DisableWhereFixed(page, g_settings.EditorSource(FALSE),
                                         {IDC_EDIT_EDITOR, IDC_EDIT_EDITOR_BROWSE});
    fixed.printEditor = DisableWhereFixed(page, g_settings.EditorSource(TRUE),
                                          {IDC_PRINT_EDITOR, IDC_PRINT_EDITOR_BROWSE});
    fixed.copies = DisableWhereFixed(page, g_settings.ExtensionFlagSource(), {IDC_EXTENSION_FLAG});
    DisableWhereFixed(page, g_settings.ExtensionSource(), {IDC_EXTENSION});
    if (fixed.editEditor || fixed.printEditor || fixed.copies || fixed.extension) {
        SetDlgItemTextA(page, IDC_MANAGED_NOTE, LoadTextTemp(IDS_SETTINGS_MANAGED));
    }
    RememberShown(page);
    initialising = FALSE;
}

void CSettingsPage::RememberShown(HWND page) {
    // Read back from the controls: what the user saw is what counts as untouched.
    ReadItemText(page, IDC_EDIT_EDITOR, &shown.editEditor);
    ReadItemText(page, IDC_PRINT_EDITOR, &shown.printEditor);
    ReadItemText(page, IDC_EXTENSION, &shown.extension);
    ReadItemText(page, IDC_MENU_TEXT, &shown.menuText);
    shown.copies = IsChecked(page, IDC_EXTENSION_FLAG);
    shown.associated = IsChecked(page, IDC_UNKNOWN_ASSOCIATE);
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

bool CSettingsPage::OnApply(HWND page, const PSHNOTIFY* notify) {
    if (notify->hdr.hwndFrom != GetParent(page)) {
        return false; // not this page's sheet: not ours to answer
    }
    const bool ok = Apply(page);
    // Apply before Cancel saved as much as OK does.
    saved |= ok;
    SetWindowLongPtrA(page, DWLP_MSGRESULT, ok ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
    return true;
}

bool CSettingsPage::Apply(HWND page) {
    HWND sheet = GetParent(page);
    if ((!fixed.editEditor && !EditorPathFits(page, IDC_EDIT_EDITOR, shown.editEditor)) ||
        (!fixed.printEditor && !EditorPathFits(page, IDC_PRINT_EDITOR, shown.printEditor))) {
        // Saved, it would read back as the default: nothing is saved.
        g_outsideWorld.messageBox(sheet, LoadTextTemp(IDS_EDITOR_PATH_TOO_LONG), g_caption,
                                  MB_ICONWARNING);
        return false;
    }
    bool machineVerbLeft = false;
    const bool ok = Save(page, &machineVerbLeft);
    g_settings.Load();
    g_settings.LoadUnknownAssociation();
    if (!ok) {
        // The sheet stays open, so that nothing typed is lost.
        g_outsideWorld.messageBox(sheet, LoadTextTemp(IDS_SETTINGS_NOT_SAVED), g_caption,
                                  MB_ICONERROR);
    } else if (machineVerbLeft) {
        g_outsideWorld.messageBox(sheet, LoadTextTemp(IDS_MACHINE_ASSOCIATION_NEEDS_ADMINISTRATOR),
                                  g_caption, MB_ICONINFORMATION);
    }
    return ok;
}

bool CSettingsPage::Save(HWND page, bool* machineVerbLeft) {
    // Only what the user changed: an untouched value may be the machine's or
    // the default, and must stay theirs. Written as typed: an empty editor or
    // a dotted extension is the user's call. What a policy fixes is never
    // written: the user's value would only wait behind it.
    bool ok = true;
    if (!fixed.editEditor) {
        ok &= SaveChangedText(page, IDC_EDIT_EDITOR, &shown.editEditor, &CSettings::SetEditEditor);
    }
    if (!fixed.printEditor) {
        ok &=
            SaveChangedText(page, IDC_PRINT_EDITOR, &shown.printEditor, &CSettings::SetPrintEditor);
    }
    const bool copies = IsChecked(page, IDC_EXTENSION_FLAG);
    if (!fixed.copies && copies != shown.copies) {
        const bool written = g_settings.SetExtensionFlag(copies ? 1 : 0) != FALSE;
        shown.copies = written ? copies : shown.copies;
        ok &= written;
    }
    if (!fixed.extension) {
        ok &= SaveChangedText(page, IDC_EXTENSION, &shown.extension, &CSettings::SetExtension);
    }

    // The menu text is stored only with the association.
    const bool associate = IsChecked(page, IDC_UNKNOWN_ASSOCIATE);
    CHeapText menuText;
    if (!ReadItemText(page, IDC_MENU_TEXT, &menuText)) {
        return false;
    }
    if (associate != shown.associated || (associate && Differs(shown.menuText, menuText.Get()))) {
        const CSettings::AssociationResult result =
            g_settings.ApplyUnknownAssociation(associate ? TRUE : FALSE, menuText.Get());
        ok &= result != CSettings::kAssociationFailed;
        if (result != CSettings::kAssociationFailed) {
            shown.associated = associate;
            shown.menuText.Copy(menuText.Get()); // as with SaveChangedText
        }
        *machineVerbLeft = result == CSettings::kMachineVerbLeft;
    }
    return ok;
}

void CSettingsPage::ShowHelp(HWND page, const HELPINFO* help) {
    const int id = help->iCtrlId;
    // The group boxes share one text that explains how to get the others.
    const bool groupBox = id > IDC_ABOUT_MAIL_LINK && id < IDC_EDIT_EDITOR_LABEL;
    const char* text = LoadTextTemp(groupBox ? IDS_GROUP_HELP : static_cast<unsigned int>(id));
    ShowHelpPopup(GetDlgItem(page, id), text, help->MousePos.x, help->MousePos.y);
}
