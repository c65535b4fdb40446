#include "ui/sheet/about_page.h"

// Placeholder until the About page lands: the bare template.
LRESULT CAboutPage::WindowProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

void CAboutPage::OnInitDialog(HWND) {}

void SetAboutFonts(HWND) {}
