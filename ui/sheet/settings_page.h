#pragma once

#include <windows.h>
#include <commctrl.h>

#include "resources/paths.h"

#include "ui/wrappers/dependent_check.h"
#include "ui/wrappers/win_base.h"

// The Settings page (dialog 103): both editors, the view-source copies and the
// association with unregistered file types. It marks the sheet changed as the
// user edits, and on Apply (OK too) writes what the user changed, nothing else.
// A setting that a policy fixes is shown disabled, with a line saying so.
class CSettingsPage : public CWinBase {
public:
    CSettingsPage() {}

    // A dialog procedure: non-zero for what it handles, never the base's.
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Whether OK, or Apply before the sheet was cancelled, saved the settings.
    bool Saved() const { return saved; }

private:
    // The settings a policy fixes: shown as in effect, never written.
    struct Fixed {
        bool editEditor = false, printEditor = false, copies = false, extension = false;
    };
    // What the page shows as stored, or as last saved.
    struct Shown {
        CHeapText editEditor, printEditor, extension, menuText;
        bool copies = false;
        bool associated = false;
    };

    void OnInitDialog(HWND page);
    void RememberShown(HWND page);
    void OnCommand(HWND page, int id, int code);
    // PSN_APPLY: answers the sheet, PSNRET_NOERROR when the settings were
    // saved. False, unanswered, for a notification from another window.
    bool OnApply(HWND page, const PSHNOTIFY* notify);
    // Checks the editor paths, saves and reloads the settings, and says what
    // went wrong; false when the page must stay open.
    bool Apply(HWND page);
    // Writes what differs from what the page showed; false when any write
    // failed. `machineVerbLeft` is set when the machine's Unknown verb needs
    // an administrator.
    bool Save(HWND page, bool* machineVerbLeft);
    void ShowHelp(HWND page, const HELPINFO* help);
    void MarkChanged(HWND page);

    CDependentCheck extensionCheck;   // 1014, enables the extension combo
    CDependentCheck associationCheck; // 1016, enables the menu-text edit box
    // While the page fills its controls, the edit box's EN_CHANGE is ours.
    BOOL initialising = FALSE;
    Fixed fixed;
    Shown shown;
    bool saved = false;
};
