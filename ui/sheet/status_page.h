#pragma once

#include <windows.h>

#include "ui/sheet/settings_sheet.h"
#include "ui/wrappers/win_base.h"

// The Status page (dialog 104): whether starting Notepad by name reaches
// Quillgate, in each place Windows consults, with Repair; which program opens
// double-clicked .txt files; and the editors in effect. It only reads, and
// reads when it is first shown.
class CStatusPage : public CWinBase {
public:
    explicit CStatusPage(FindEditorInEffect findEditor) : findEditor(findEditor) {}

    // A dialog procedure: non-zero for what it handles, never the base's.
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnInitDialog(HWND page);
    void ShowPlaces(HWND page);
    void ShowTextFileChoice(HWND page);
    void ShowEditor(HWND page, bool print);
    // Runs Setup's repair elevated, waits for it, says how it ended and reads
    // the places again.
    void Repair(HWND page);
    void OpenDefaultApps(HWND page);

    FindEditorInEffect findEditor;
};
