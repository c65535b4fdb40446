// The two procedures through which windows reach their CWinBase objects.
#pragma once

#include <windows.h>

// The procedure CWinBase::Attach installs. Also usable as a window class's
// procedure (object as lpCreateParams, attached on WM_NCCREATE) or as a
// dialog procedure (object as the init parameter, attached on WM_INITDIALOG).
// Detaches the object after its WindowProc has seen WM_DESTROY; an object that
// could not give the window back passes its messages on until WM_NCDESTROY.
LRESULT CALLBACK SharedWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The dialog procedure of every property sheet page: the PROPSHEETPAGEA's
// lParam is the page object, attached on WM_INITDIALOG, which then receives
// WM_INITDIALOG with lParam set to its own address. A page's WindowProc must
// not call CWinBase::WindowProc: its previous procedure is this one, which
// would call the page again.
INT_PTR CALLBACK PageDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// True when `window` is a dialog with a dialog procedure.
BOOL IsDialogWindow(HWND window);

extern const char kWinBaseProperty[]; // "CWIN_BASE"
