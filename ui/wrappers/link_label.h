// A static text that acts as a link: a hand cursor over it, and a press of the
// left button opens its own text through the shell. The static needs SS_NOTIFY,
// or it lets the mouse messages through to its parent.
#pragma once

#include <windows.h>

#include "ui/wrappers/win_base.h"

class CLinkLabel : public CWinBase {
public:
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Opens the label's whole text with the shell's default verb; nothing
    // when it is empty or cannot be read whole. Only `label` is used.
    void OnLinkClick(HWND label, BOOL doubleClick, int x, int y, UINT keyFlags);
};
