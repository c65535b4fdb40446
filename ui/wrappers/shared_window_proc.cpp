#include "ui/wrappers/shared_window_proc.h"

#include <commctrl.h>

#include "ui/wrappers/win_base.h"

const char kWinBaseProperty[] = "CWIN_BASE";

BOOL IsDialogWindow(HWND window) {
    // A control may keep its own data at the offset where a dialog keeps its
    // procedure; only a window with a dialog's extra bytes has that slot.
    if (GetClassLongPtrA(window, GCL_CBWNDEXTRA) < DLGWINDOWEXTRA) {
        return FALSE;
    }
    return GetWindowLongPtrA(window, DWLP_DLGPROC) != 0;
}

namespace {

CWinBase* AttachedObject(HWND hwnd) {
    return static_cast<CWinBase*>(GetPropA(hwnd, kWinBaseProperty));
}

// The object a message brings along, for windows made with SharedWindowProc.
CWinBase* ObjectInMessage(UINT msg, LPARAM lParam) {
    switch (msg) {
    case WM_NCCREATE:
    case WM_CREATE:
        return static_cast<CWinBase*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    case WM_INITDIALOG:
        return reinterpret_cast<CWinBase*>(lParam);
    default:
        return NULL;
    }
}

// The object sees WM_DESTROY first; everything after goes to the procedure
// that was there before.
LRESULT Dispatch(CWinBase* object, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = object->WindowProc(hwnd, msg, wParam, lParam);
    if (msg == WM_DESTROY) {
        object->Detach();
    }
    return result;
}

// The object gets the message that brought it even when it cannot be attached
// (test builds report that); it hears the rest only when attached.
LRESULT AttachAndDispatch(CWinBase* object, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!object->Attach(hwnd)) {
        return object->WindowProc(hwnd, msg, wParam, lParam);
    }
    return Dispatch(object, hwnd, msg, wParam, lParam);
}

} // namespace

LRESULT CALLBACK SharedWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (CWinBase* object = AttachedObject(hwnd)) {
        if (object->PassingOn()) {
            return object->PassOn(hwnd, msg, wParam, lParam);
        }
        return Dispatch(object, hwnd, msg, wParam, lParam);
    }
    if (CWinBase* object = ObjectInMessage(msg, lParam)) {
        return AttachAndDispatch(object, hwnd, msg, wParam, lParam);
    }
    if (IsDialogWindow(hwnd)) {
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

INT_PTR CALLBACK PageDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (CWinBase* object = AttachedObject(hwnd)) {
        // A page passing on has let go of its messages: this is where they end.
        return object->PassingOn() ? 0 : Dispatch(object, hwnd, msg, wParam, lParam);
    }
    if (msg != WM_INITDIALOG) {
        return 0;
    }
    const PROPSHEETPAGEA* page = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
    CWinBase* object = page ? reinterpret_cast<CWinBase*>(page->lParam) : NULL;
    if (!object) {
        return 0;
    }
    return AttachAndDispatch(object, hwnd, WM_INITDIALOG, wParam, reinterpret_cast<LPARAM>(object));
}
