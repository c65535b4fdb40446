#pragma once

#include <windows.h>

// With NULL, arms the one-time resize of the sheet that is about to be shown.
// With a page dialog: where the page font is not a Shift-JIS font (neither by
// its LOGFONT nor as realised) nor, with UTF-8 as the code page, a font with
// Japanese glyphs, gives the page, its controls and the sheet's tab control
// the stock GUI font (with UTF-8, in the Japanese character set), and on the
// first such page of an armed
// sheet makes the sheet 20 pixels taller and 50 narrower, or less where the
// page's controls leave less room (wider, where they already reach past the
// sheet), moving OK, Cancel and Apply with it.
void AdaptPageFont(HWND page);

// Whether the resource loader gives this program's dialog `templateId` in
// Japanese, the one template the adaptation is for; the English one keeps its
// own font and size.
bool TemplateIsJapanese(int templateId);
