#pragma once

#include <windows.h>

#include "ui/wrappers/link_label.h"
#include "ui/wrappers/win_base.h"

// The About page (dialog 102): icon, product title, version line and the two
// links to the maker's home page and mail address.
class CAboutPage : public CWinBase {
public:
    CAboutPage() {}

    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnInitDialog(HWND page);

    CLinkLabel homePageLink;
    CLinkLabel mailLink;
};

// Gives the title, version line and links their fonts, derived from the
// page's font after AdaptPageFont.
void SetAboutFonts(HWND page);

// Deletes the fonts SetAboutFonts made, as the page dialog goes.
void DeleteAboutFonts(HWND page);
