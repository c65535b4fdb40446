#include "tests/support/settings_sheet.h"

#include <commctrl.h>
#include <prsht.h>

namespace uidriver {

bool SettingsSheet::Find(DWORD processId, DWORD timeoutMs) {
    sheet_ = processId ? WaitForPropertySheet(processId, "Quillgate", timeoutMs)
                       : WaitForAnyPropertySheet("Quillgate", timeoutMs);
    page_ = sheet_ ? CurrentPage(sheet_) : NULL;
    return page_ != NULL;
}

bool SettingsSheet::Take(HWND window, DWORD replyMs) {
    DWORD_PTR page = 0;
    if (!IsPropertySheet(window) ||
        !SendMessageTimeoutA(window, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_NORMAL, replyMs, &page)) {
        return false;
    }
    sheet_ = window;
    page_ = reinterpret_cast<HWND>(page);
    return page_ != NULL;
}

DWORD SettingsSheet::ProcessId() const {
    DWORD id = 0;
    GetWindowThreadProcessId(sheet_, &id);
    return id;
}

bool SettingsSheet::ApplyEnabled() const {
    return IsEnabled(SheetButtonWindow(sheet_, kApply));
}

bool SettingsSheet::SelectPage(int index) {
    if (!uidriver::SelectPage(sheet_, index)) {
        return false;
    }
    page_ = CurrentPage(sheet_);
    return page_ != NULL;
}

bool SettingsSheet::PressModal(int id) const {
    const HWND button = Item(id);
    return button && PostMessageA(button, BM_CLICK, 0, 0);
}

int SheetRun::Close(SheetButton button) {
    stillOpen_.clear();
    if (!Press(button)) {
        stillOpen_ = "no button: " + DescribeWindows(program_.Id());
        return -1;
    }
    if (!WaitUntil([this] { return !program_.Running(); })) {
        stillOpen_ = DescribeWindows(program_.Id());
    }
    return program_.WaitForExit(0);
}

} // namespace uidriver
