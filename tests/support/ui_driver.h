// Drives another process's windows from outside, the way a user meets them:
// finds its dialogs by process id, reads what the controls show and acts on
// them with real window messages. Every wait and every message sent has a
// timeout, so a program that hangs fails a test instead of blocking it.
//
// What each action really does:
// - Click: BM_CLICK, which the button turns into a press and release of the
//   left mouse button (auto check boxes toggle, BN_CLICKED reaches the parent).
//   Sent, so it has been handled when Click returns.
// - Press (a sheet's OK, Cancel, Apply; a message box's buttons): BM_CLICK
//   posted, since these end modal loops, which notice that only when their
//   GetMessage returns (as it does for a real click, not for a sent message).
//   The caller waits for the effect (WaitUntil, Program::WaitForExit).
// - Type: selects the field's text (EM_SETSEL 0..end), then sends one WM_CHAR
//   per character, as the keyboard would; the control itself decides what it
//   takes (a field without auto-scroll stops at its width) and reports the
//   change (EN_CHANGE, which a combo box passes on as CBN_EDITCHANGE).
// - ClickLink: WM_LBUTTONDOWN and WM_LBUTTONUP at the control's centre, sent
//   to the control itself (no hit-testing, no mouse driver).
// - SelectPage: PSM_SETCURSEL on the property sheet.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/time_limits.h"

namespace uidriver {

enum : DWORD { kDefaultTimeoutMs = timelimits::kWindowMs };

// A program started with CreateProcessA and exactly the given command line,
// as a shell starts it. Ended (TerminateProcess) when the object goes while it
// still runs.
class Program {
public:
    explicit Program(const std::string& commandLine, int showState = SW_SHOWNORMAL,
                     const char* applicationName = nullptr);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return process_ != NULL; }
    DWORD Id() const { return id_; }
    bool Running() const;
    // The exit code, or -1 when it did not end within the time (it is then ended).
    int WaitForExit(DWORD timeoutMs = kDefaultTimeoutMs);

private:
    HANDLE process_ = NULL;
    DWORD id_ = 0;
};

// Visible top-level windows of class "#32770" of one process.
std::vector<HWND> ProcessDialogs(DWORD processId);
// The first dialog of the process that `match` accepts, waiting for it; NULL
// after the timeout.
HWND WaitForDialog(DWORD processId, const std::function<bool(HWND)>& match,
                   DWORD timeoutMs = kDefaultTimeoutMs);
// A message box captioned `caption` (it has the static text with ID 0xFFFF).
HWND WaitForMessageBox(DWORD processId, const std::string& caption,
                       DWORD timeoutMs = kDefaultTimeoutMs);
// A property sheet captioned `caption` (it has a tab control).
HWND WaitForPropertySheet(DWORD processId, const std::string& caption,
                          DWORD timeoutMs = kDefaultTimeoutMs);
// Any process's property sheet captioned `caption`.
HWND WaitForAnyPropertySheet(const std::string& caption, DWORD timeoutMs = kDefaultTimeoutMs);
bool IsMessageBox(HWND window);
// The process's dialogs and their texts, for failure messages.
std::string DescribeWindows(DWORD processId);
bool IsPropertySheet(HWND window);

// Reading what a user sees.
std::string ClassOf(HWND window);
std::string Text(HWND window); // WM_GETTEXT
// WM_GETTEXT as UTF-16, for texts the system's code page lacks: a window of
// another process may count its text in characters, which the ANSI text outgrows.
std::wstring TextWide(HWND window);
std::string MessageBoxText(HWND messageBox);
bool IsChecked(HWND button); // BM_GETCHECK
bool IsEnabled(HWND window);
std::vector<std::string> ComboItems(HWND combo);
HWND ComboEdit(HWND combo);
// The sheet's page on display, and the index of its tab.
HWND CurrentPage(HWND sheet);
int CurrentPageIndex(HWND sheet);

// Acting as a user. False when the program did not take the message in time.
bool Click(HWND button);
bool Type(HWND field, const std::string& text); // an edit box or a combo box's field
bool ClickLink(HWND control);
bool SelectPage(HWND sheet, int index);
// The sheet's own buttons; posted, see above.
enum SheetButton { kOk = IDOK, kCancel = IDCANCEL, kApply = 12321 };
HWND SheetButtonWindow(HWND sheet, SheetButton button);
bool Press(HWND sheet, SheetButton button);
// A message box's button (IDOK, IDCANCEL, ...); posted.
bool PressMessageBoxButton(HWND messageBox, int id);

// Polls `condition` until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kDefaultTimeoutMs);

} // namespace uidriver
