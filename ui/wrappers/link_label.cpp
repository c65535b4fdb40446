#include "ui/wrappers/link_label.h"

#include <shellapi.h>
#include <windowsx.h>

#include "resources/outside_world.h"
#include "resources/paths.h"

LRESULT CLinkLabel::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SETCURSOR: {
        // A shared system cursor: loaded each time, never freed. Without it the
        // message stops here so nothing else changes the cursor.
        HCURSOR hand = LoadCursorA(NULL, IDC_HAND);
        if (!hand) {
            return 0;
        }
        SetCursor(hand);
        return 1;
    }
    case WM_LBUTTONDOWN:
        // Not passed on: the static itself never sees the press.
        OnLinkClick(hwnd, FALSE, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam),
                    static_cast<UINT>(wParam));
        return 0;
    default:
        return CWinBase::WindowProc(hwnd, msg, wParam, lParam);
    }
}

void CLinkLabel::OnLinkClick(HWND label, BOOL, int, int, UINT) {
    // Read whole: a cut address would open another page. An empty or
    // unreadable text, or no memory for it, opens nothing; the shell's own
    // failure is not reported either.
    CHeapText text;
    if (!text.Allocate(static_cast<size_t>(GetWindowTextLengthA(label)) + 1)) {
        return;
    }
    if (GetWindowTextA(label, text.Get(), static_cast<int>(text.Size())) > 0) {
        g_outsideWorld.shellExecute(label, NULL, text.Get(), NULL, NULL, SW_SHOWNORMAL);
    }
}
