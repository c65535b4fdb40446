// CWinBase ties one object to one existing window: the object's address sits in
// the window property "CWIN_BASE" and SharedWindowProc, put into the window's
// procedure slot, hands every message to the object's virtual WindowProc.
//
// Use: derive, override WindowProc, pass what you don't consume to
// CWinBase::WindowProc (pages are the exception: see PageDialogProc). Then
//   - a control:  wrapper.Attach(GetDlgItem(page, id));
//   - a page:     PROPSHEETPAGEA.pfnDlgProc = PageDialogProc, .lParam = (LPARAM)&page;
//   - a window:   class procedure SharedWindowProc, lpCreateParams = &object;
//   - a dialog:   dialog procedure SharedWindowProc, init parameter = (LPARAM)&object.
// The wrapper borrows the window: it never creates or destroys it, and undoes
// its subclassing itself when the window gets WM_DESTROY. Destroying the object
// does not detach it, so owners destroy wrappers only after their windows.
#pragma once

#include <windows.h>

class CWinBase {
public:
    CWinBase(const CWinBase&) = delete;
    CWinBase& operator=(const CWinBase&) = delete;

    // Releases what a derived class owns; never touches the window.
    virtual ~CWinBase() {}

    // Shows the window without activating it (show non-zero) or hides it, and
    // remembers `show` as given. Does nothing while no window is attached.
    virtual void Show(BOOL show);

    // Handles one message of the attached window. The base passes it to the
    // procedure that Attach replaced; with none, a dialog answers 0 and any
    // other window gets DefWindowProcA.
    virtual LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // Sets the property and subclasses `window` (its dialog-procedure slot for
    // a dialog). 0, with nothing recorded, when `window` is null or the
    // property could not be set.
    BOOL Attach(HWND window);
    // Restores the replaced procedure, while ours is still the one installed,
    // and removes the property. 0 when no window was attached or the property
    // was already gone. Fields stay as they were.
    BOOL Detach();

    HWND Window() const { return m_window; }
    HWND Parent() const { return m_parent; }
    WNDPROC PreviousProc() const { return m_previousProc; }
    BOOL IsDialog() const { return m_isDialog; }
    BOOL Visible() const { return m_visible; }

protected:
    CWinBase() {}

private:
    int SlotIndex() const;

    HWND m_window = NULL;
    HWND m_parent = NULL;          // GetParent at Attach time, for derived classes
    WNDPROC m_previousProc = NULL; // null while Attach has replaced nothing
    BOOL m_isDialog = FALSE;
    BOOL m_visible = TRUE;
};

static_assert(sizeof(CWinBase) == 24, "vtable pointer and five 32-bit fields");
