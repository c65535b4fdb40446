#pragma once

#include <windows.h>

// Shows `text` in an HTML Help text popup at screen point (x, y) on behalf of
// `control`. HTML Help is loaded on first use; when it cannot be, nothing is
// shown, now or later. Returns 1.
int ShowHelpPopup(HWND control, const char* text, int x, int y);

// Tests stand a recording control in for the system's HTML Help; nothing is
// loaded after that.
void UseHtmlHelpControl(HMODULE control);
