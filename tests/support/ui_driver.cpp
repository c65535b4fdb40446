#include "tests/support/ui_driver.h"

#include "tests/support/process_start.h"

#include <commctrl.h>
#include <prsht.h>

namespace uidriver {

namespace {

// Long enough for a busy Wine, short enough that a hang fails quickly.
const UINT kMessageTimeoutMs = timelimits::Scaled(timelimits::kMessageMs);

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result = nullptr) {
    DWORD_PTR answer = 0;
    LRESULT done = SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL,
                                       kMessageTimeoutMs, &answer);
    if (result) {
        *result = answer;
    }
    return done != 0;
}

struct Collected {
    DWORD processId; // 0: any process
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM context) {
    Collected* collected = reinterpret_cast<Collected*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if ((collected->processId == 0 || owner == collected->processId) && IsWindowVisible(window) &&
        ClassOf(window) == "#32770") {
        collected->windows.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> Dialogs(DWORD processId) {
    Collected collected = {processId, {}};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&collected));
    return collected.windows;
}

HWND WaitForAny(DWORD processId, const std::function<bool(HWND)>& match, DWORD timeoutMs) {
    HWND found = NULL;
    WaitUntil(
        [&] {
            for (HWND window : Dialogs(processId)) {
                if (match(window)) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

} // namespace

Program::Program(const std::string& commandLine, int showState, const char* applicationName) {
    DWORD id = 0;
    process_ = testsupport::StartProcess(commandLine, showState, &id, applicationName);
    id_ = id;
}

Program::~Program() {
    if (process_) {
        if (Running()) {
            TerminateProcess(process_, 1);
            WaitForSingleObject(process_, kMessageTimeoutMs);
        }
        CloseHandle(process_);
    }
}

bool Program::Running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

int Program::WaitForExit(DWORD timeoutMs) {
    if (!process_) {
        return -1;
    }
    if (WaitForSingleObject(process_, timelimits::Scaled(timeoutMs)) != WAIT_OBJECT_0) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, kMessageTimeoutMs);
        return -1;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process_, &exitCode);
    return static_cast<int>(exitCode);
}

std::vector<HWND> ProcessDialogs(DWORD processId) {
    return processId ? Dialogs(processId) : std::vector<HWND>();
}

HWND WaitForDialog(DWORD processId, const std::function<bool(HWND)>& match, DWORD timeoutMs) {
    return processId ? WaitForAny(processId, match, timeoutMs) : NULL;
}

bool IsMessageBox(HWND window) {
    return GetDlgItem(window, 0xFFFF) != NULL && !IsPropertySheet(window);
}

bool IsPropertySheet(HWND window) {
    return FindWindowExA(window, NULL, WC_TABCONTROLA, NULL) != NULL;
}

HWND WaitForMessageBox(DWORD processId, const std::string& caption, DWORD timeoutMs) {
    return WaitForDialog(
        processId, [&](HWND w) { return IsMessageBox(w) && Text(w) == caption; }, timeoutMs);
}

HWND WaitForPropertySheet(DWORD processId, const std::string& caption, DWORD timeoutMs) {
    return WaitForDialog(
        processId, [&](HWND w) { return IsPropertySheet(w) && Text(w) == caption; }, timeoutMs);
}

HWND WaitForAnyPropertySheet(const std::string& caption, DWORD timeoutMs) {
    return WaitForAny(
        0, [&](HWND w) { return IsPropertySheet(w) && Text(w) == caption; }, timeoutMs);
}

std::string DescribeWindows(DWORD processId) {
    std::string description;
    for (HWND window : Dialogs(processId)) {
        description += "[" + Text(window) + (IsPropertySheet(window) ? " (sheet)" : "") +
                       (IsMessageBox(window) ? ": " + MessageBoxText(window) : "") + "] ";
    }
    return description.empty() ? "no dialogs" : description;
}

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string Text(HWND window) {
    DWORD_PTR length = 0;
    if (!window || !Send(window, WM_GETTEXTLENGTH, 0, 0, &length)) {
        return "";
    }
    std::vector<char> text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &copied)) {
        return "";
    }
    return std::string(text.data(), copied < text.size() ? copied : text.size() - 1);
}

std::wstring TextWide(HWND window) {
    DWORD_PTR length = 0;
    if (!window || !SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK,
                                        timelimits::Scaled(timelimits::kMessageMs), &length)) {
        return L"";
    }
    std::vector<wchar_t> text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_BLOCK, timelimits::Scaled(timelimits::kMessageMs), &copied)) {
        return L"";
    }
    return std::wstring(text.data(), copied < text.size() ? copied : text.size() - 1);
}

std::string MessageBoxText(HWND messageBox) {
    return Text(GetDlgItem(messageBox, 0xFFFF));
}

bool IsChecked(HWND button) {
    DWORD_PTR state = 0;
    return Send(button, BM_GETCHECK, 0, 0, &state) && state == BST_CHECKED;
}

bool IsEnabled(HWND window) {
    return window && IsWindowEnabled(window) != FALSE;
}

std::vector<std::string> ComboItems(HWND combo) {
    // Asked in UTF-16: Wine hands another process's list text back unconverted
    // to an ANSI caller.
    std::vector<std::string> items;
    DWORD_PTR count = 0;
    if (!Send(combo, CB_GETCOUNT, 0, 0, &count) || static_cast<LRESULT>(count) == CB_ERR) {
        return items;
    }
    for (DWORD_PTR i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, i, 0, SMTO_NORMAL, kMessageTimeoutMs,
                                 &length) ||
            static_cast<LRESULT>(length) == CB_ERR) {
            break;
        }
        std::vector<wchar_t> item(length + 1, L'\0');
        SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()),
                            SMTO_NORMAL, kMessageTimeoutMs, NULL);
        char ansi[1024] = "";
        WideCharToMultiByte(CP_ACP, 0, item.data(), -1, ansi, sizeof ansi, NULL, NULL);
        items.push_back(ansi);
    }
    return items;
}

HWND ComboEdit(HWND combo) {
    return FindWindowExA(combo, NULL, "Edit", NULL);
}

HWND CurrentPage(HWND sheet) {
    DWORD_PTR page = 0;
    Send(sheet, PSM_GETCURRENTPAGEHWND, 0, 0, &page);
    return reinterpret_cast<HWND>(page);
}

int CurrentPageIndex(HWND sheet) {
    HWND tab = FindWindowExA(sheet, NULL, WC_TABCONTROLA, NULL);
    DWORD_PTR index = static_cast<DWORD_PTR>(-1);
    Send(tab, TCM_GETCURSEL, 0, 0, &index);
    return static_cast<int>(static_cast<LRESULT>(index));
}

bool Click(HWND button) {
    return button && Send(button, BM_CLICK, 0, 0);
}

bool Type(HWND field, const std::string& text) {
    if (ClassOf(field) == "ComboBox") {
        field = ComboEdit(field);
    }
    if (!field || !Send(field, EM_SETSEL, 0, -1)) {
        return false;
    }
    for (char c : text) {
        if (!Send(field, WM_CHAR, static_cast<unsigned char>(c), 1)) {
            return false;
        }
    }
    return true;
}

bool ClickLink(HWND control) {
    RECT area = {};
    if (!control || !GetClientRect(control, &area)) {
        return false;
    }
    LPARAM centre = MAKELPARAM(area.right / 2, area.bottom / 2);
    return Send(control, WM_LBUTTONDOWN, MK_LBUTTON, centre) &&
           Send(control, WM_LBUTTONUP, 0, centre);
}

bool SelectPage(HWND sheet, int index) {
    DWORD_PTR done = 0;
    return Send(sheet, PSM_SETCURSEL, index, 0, &done) && done != 0;
}

HWND SheetButtonWindow(HWND sheet, SheetButton button) {
    return GetDlgItem(sheet, button);
}

// Posted, as a mouse click arrives through the queue: a modal loop notices
// that it has ended only when its GetMessage returns, which a message sent
// from another thread does not make it do.
bool Press(HWND sheet, SheetButton button) {
    HWND window = SheetButtonWindow(sheet, button);
    return window && PostMessageA(window, BM_CLICK, 0, 0);
}

bool PressMessageBoxButton(HWND messageBox, int id) {
    HWND window = GetDlgItem(messageBox, id);
    return window && PostMessageA(window, BM_CLICK, 0, 0);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD limit = timelimits::Scaled(timeoutMs);
    const DWORD begin = GetTickCount();
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount() - begin > limit) {
            return false;
        }
        Sleep(50);
    }
}

} // namespace uidriver
