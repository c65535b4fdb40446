#include "ui/wrappers/win_base.h"

#include "ui/wrappers/shared_window_proc.h"

static_assert(DWLP_DLGPROC == 4 && GWLP_WNDPROC == -4, "the 32-bit procedure slots");

int CWinBase::SlotIndex() const {
    return m_isDialog ? DWLP_DLGPROC : GWLP_WNDPROC;
}

BOOL CWinBase::Attach(HWND window) {
    // The window is ours only once the property that leads back to us is set.
    if (!window || !SetPropA(window, kWinBaseProperty, this)) {
        return FALSE;
    }
    m_window = window;
    m_parent = GetParent(window);
    m_isDialog = IsDialogWindow(window);
    // A window that already runs SharedWindowProc (attached before, or made
    // with it) is not subclassed again: that would make it call itself.
    const LONG_PTR shared = reinterpret_cast<LONG_PTR>(SharedWindowProc);
    if (GetWindowLongPtrA(window, SlotIndex()) != shared) {
        m_previousProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, SlotIndex(), shared));
    }
    return TRUE;
}

BOOL CWinBase::Detach() {
    if (!m_window) {
        return FALSE;
    }
    // Should someone have subclassed the window after us, putting the old
    // procedure back would cut them off: ours then stays, and passes on.
    const LONG_PTR shared = reinterpret_cast<LONG_PTR>(SharedWindowProc);
    if (m_previousProc && GetWindowLongPtrA(m_window, SlotIndex()) == shared) {
        SetWindowLongPtrA(m_window, SlotIndex(), reinterpret_cast<LONG_PTR>(m_previousProc));
    }
    return RemovePropA(m_window, kWinBaseProperty) != NULL;
}

void CWinBase::Show(BOOL show) {
    if (!m_window) {
        return;
    }
    // The result is the earlier visibility, not an error.
    ShowWindow(m_window, show ? SW_SHOWNA : SW_HIDE);
    m_visible = show;
}

LRESULT CWinBase::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (m_previousProc) {
        return CallWindowProcA(m_previousProc, hwnd, msg, wParam, lParam);
    }
    if (m_isDialog) {
        return 0; // not handled; a dialog procedure never calls DefWindowProcA
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
