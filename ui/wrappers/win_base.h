// CWinBase ties one object to one existing window: the object's address sits in
// the window property "CWIN_BASE" and SharedWindowProc, put into the window's
// procedure slot, hands every message to the object's virtual WindowProc.
//
// Use: derive, override WindowProc, pass what you don't consume to
// CWinBase::WindowProc (pages are the exception: see PageDialogProc). Then
//   - a control:  if (!wrapper.Attach(GetDlgItem(page, id))) { ...without it... }
//   - a page:     PROPSHEETPAGEA.pfnDlgProc = PageDialogProc, .lParam = (LPARAM)&page;
//   - a window:   class procedure SharedWindowProc, lpCreateParams = &object;
//   - a dialog:   dialog procedure SharedWindowProc, init parameter = (LPARAM)&object.
// The wrapper borrows the window: it never creates or destroys it, and undoes
// its subclassing itself when the window gets WM_DESTROY. Should another
// procedure have been installed over ours by then, ours stays in the chain and
// passes every message on to the procedure it replaced, until WM_NCDESTROY.
// Destroying the object does not detach it, so owners destroy wrappers only
// after their windows; test builds report a wrapper that dies first
// (wrapper_rules.h).
#pragma once

#include <windows.h>

class CWinBase {
public:
    CWinBase(const CWinBase&) = delete;
    CWinBase& operator=(const CWinBase&) = delete;

    // Releases what a derived class owns; never touches the window.
    virtual ~CWinBase();

    // Shows the window without activating it (show non-zero) or hides it, and
    // remembers `show` as given. Does nothing while no window is attached.
    virtual void Show(BOOL show);

    // Handles one message of the attached window. The base passes it to the
    // procedure that Attach replaced; with none, a dialog answers 0 and any
    // other window gets DefWindowProcA.
    virtual LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // Sets the property and subclasses `window` (its dialog-procedure slot for
    // a dialog). 0, with nothing recorded and the window unchanged, when
    // `window` is null, this object still serves a window, or the property or
    // the procedure could not be set.
    [[nodiscard]] BOOL Attach(HWND window);
    // Removes the property and restores the replaced procedure, while ours is
    // still the one installed: then non-zero. With another procedure over
    // ours, restoring would cut that one off: the object stays on the window,
    // passing every message to the replaced procedure, and lets go at
    // WM_NCDESTROY; then 0, as when no window was attached or the property was
    // already gone. Fields stay as they were.
    BOOL Detach();

    // Whether the window's messages still come through this object, to its
    // WindowProc or, after a Detach that could not restore, passed on.
    BOOL Attached() const;
    // After a Detach that could not restore: messages go to the replaced
    // procedure, never to WindowProc.
    BOOL PassingOn() const { return passingOn; }
    // SharedWindowProc's way for a passing-on object; lets go at WM_NCDESTROY.
    LRESULT PassOn(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND Window() const { return window; }
    HWND Parent() const { return parent; }
    WNDPROC PreviousProc() const { return previousProc; }
    BOOL IsDialog() const { return isDialog; }
    BOOL Visible() const { return visible; }

protected:
    CWinBase() {}

private:
    int SlotIndex() const;
    BOOL OursIsInstalled() const;
    BOOL RestorePrevious();

    HWND window = NULL;
    HWND parent = NULL;          // GetParent at Attach time, for derived classes
    WNDPROC previousProc = NULL; // null while Attach has replaced nothing
    BOOL isDialog = FALSE;
    BOOL visible = TRUE;
    BOOL passingOn = FALSE;
};

static_assert(sizeof(CWinBase) == 28, "vtable pointer and six 32-bit fields");
