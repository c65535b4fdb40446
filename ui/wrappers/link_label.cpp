#include "ui/wrappers/link_label.h"

#include <shellapi.h>
#include <windowsx.h>

#include "resources/outside_world.h"

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
    char text[MAX_PATH] = {};
    // An empty or unreadable text leaves nothing for the shell to open; the
    // shell's own failure is not reported either.
    if (GetWindowTextA(label, text, sizeof text) > 0) {
        g_outsideWorld.shellExecute(label, NULL, text, NULL, NULL, SW_SHOWNORMAL);
    }
}
