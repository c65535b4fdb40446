#include "ui/wrappers/win_base.h"

#include "ui/wrappers/shared_window_proc.h"
#include "ui/wrappers/wrapper_rules.h"

static_assert(DWLP_DLGPROC == 4 && GWLP_WNDPROC == -4, "the 32-bit procedure slots");

CWinBase::~CWinBase() {
    // Its window would hand its next message to a freed object.
    if (Attached()) {
        ReportBrokenWrapperRule("a wrapper was destroyed before its window");
    }
}

int CWinBase::SlotIndex() const {
    return isDialog ? DWLP_DLGPROC : GWLP_WNDPROC;
}

BOOL CWinBase::OursIsInstalled() const {
    return GetWindowLongPtrA(window, SlotIndex()) == reinterpret_cast<LONG_PTR>(SharedWindowProc);
}

BOOL CWinBase::Attached() const {
    return window && GetPropA(window, kWinBaseProperty) == this;
}

BOOL CWinBase::Attach(HWND target) {
    // One window at a time: a second would lose the first one's procedure.
    const HANDLE earlier = target ? GetPropA(target, kWinBaseProperty) : NULL;
    if (!target || Attached() || !SetPropA(target, kWinBaseProperty, this)) {
        ReportBrokenWrapperRule("Attach failed");
        return FALSE;
    }
    const BOOL dialog = IsDialogWindow(target);
    const int slot = dialog ? DWLP_DLGPROC : GWLP_WNDPROC;
    const LONG_PTR shared = reinterpret_cast<LONG_PTR>(SharedWindowProc);
    WNDPROC replaced = NULL;
    // A window that already runs SharedWindowProc (attached before, or made
    // with it) is not subclassed again: that would make it call itself.
    if (GetWindowLongPtrA(target, slot) != shared) {
        SetLastError(ERROR_SUCCESS);
        replaced = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(target, slot, shared));
        if (!replaced && GetLastError() != ERROR_SUCCESS) {
            // Not ours after all: the window is left as it was.
            if (earlier) {
                SetPropA(target, kWinBaseProperty, earlier);
            } else {
                RemovePropA(target, kWinBaseProperty);
            }
            ReportBrokenWrapperRule("Attach failed");
            return FALSE;
        }
    }
    // Recorded only now that the window really runs through us.
    window = target;
    parent = GetParent(target);
    previousProc = replaced;
    isDialog = dialog;
    passingOn = FALSE;
    return TRUE;
}

// Puts the replaced procedure back, only while ours is the one installed:
// otherwise the procedure installed over ours would be cut off.
BOOL CWinBase::RestorePrevious() {
    if (!previousProc) {
        return TRUE;
    }
    return OursIsInstalled() &&
           SetWindowLongPtrA(window, SlotIndex(), reinterpret_cast<LONG_PTR>(previousProc)) != 0;
}

BOOL CWinBase::Detach() {
    if (!Attached() || passingOn) {
        return FALSE;
    }
    if (!RestorePrevious()) {
        // Ours stays in the chain: the property keeps leading SharedWindowProc
        // here, and PassOn hands everything to the replaced procedure.
        passingOn = TRUE;
        return FALSE;
    }
    RemovePropA(window, kWinBaseProperty);
    return TRUE;
}

LRESULT CWinBase::PassOn(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CWinBase::WindowProc(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        // The window's last message: nothing comes through us any more.
        RestorePrevious();
        RemovePropA(hwnd, kWinBaseProperty);
        passingOn = FALSE;
    }
    return result;
}

void CWinBase::Show(BOOL show) {
    if (!window) {
        return;
    }
    // The result is the earlier visibility, not an error.
    ShowWindow(window, show ? SW_SHOWNA : SW_HIDE);
    visible = show;
}

LRESULT CWinBase::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (previousProc) {
        return CallWindowProcA(previousProc, hwnd, msg, wParam, lParam);
    }
    if (isDialog) {
        return 0; // not handled; a dialog procedure never calls DefWindowProcA
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
