#pragma once

#include <windows.h>

#include "ui/wrappers/dependent_check.h"
#include "ui/wrappers/win_base.h"

// The Settings page (dialog 103): both editors, the view-source copies and the
// association with unregistered file types. It marks the sheet changed as the
// user edits and writes everything back on Apply.
class CSettingsPage : public CWinBase {
public:
    CSettingsPage() {}

    // A dialog procedure: non-zero for what it handles, never the base's.
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Whether the sheet was closed with OK after the page saved its settings.
    bool ClosedWithOk() const { return closedWithOk; }

private:
    void OnInitDialog(HWND page);
    void OnCommand(HWND page, int id, int code);
    // Writes every setting; false when any write failed.
    bool Save(HWND page);
    void ShowHelp(HWND page, const HELPINFO* help);
    void MarkChanged(HWND page);

    CDependentCheck extensionCheck;   // 1014, enables the extension combo
    CDependentCheck associationCheck; // 1016, enables the menu-text edit box
    // While the page fills its controls, the edit box's EN_CHANGE is ours.
    BOOL initialising = FALSE;
    bool closedWithOk = false;
};
