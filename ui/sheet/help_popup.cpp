#include "ui/sheet/help_popup.h"

#include <htmlhelp.h>
#include <shlwapi.h>

#include "resources/app_globals.h"

namespace {

typedef HWND(WINAPI* HtmlHelpFunction)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);

const WORD kHtmlHelpOrdinal = 14; // HtmlHelpA

HMODULE g_htmlHelpModule = NULL;
HtmlHelpFunction g_htmlHelp = NULL;
// Set for good after a failed load: help is then silently off for the process.
BOOL g_htmlHelpFailed = FALSE;

// The system's HTML Help control, by its full path: never a copy in the
// current folder, nor a path from HKEY_CLASSES_ROOT, where any program of the
// user may register one of its own.
HMODULE LoadSystemHtmlHelp() {
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length >= sizeof path || !PathAppendA(path, "hhctrl.ocx")) {
        return NULL;
    }
    return LoadLibraryA(path);
}

HWND CallHtmlHelp(HWND caller, LPCSTR file, UINT command, DWORD_PTR data) {
    if (g_htmlHelpFailed) {
        return NULL;
    }
    if (!g_htmlHelpModule) {
        g_htmlHelpModule = LoadSystemHtmlHelp();
        if (!g_htmlHelpModule) {
            g_htmlHelpFailed = TRUE;
            return NULL;
        }
    }
    if (!g_htmlHelp) {
        g_htmlHelp = reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void*>(
            GetProcAddress(g_htmlHelpModule, MAKEINTRESOURCEA(kHtmlHelpOrdinal))));
        if (!g_htmlHelp) {
            g_htmlHelpFailed = TRUE;
            return NULL;
        }
    }
    return g_htmlHelp(caller, file, command, data);
}

} // namespace

int ShowHelpPopup(HWND control, const char* text, int x, int y) {
    HH_POPUP popup;
    ZeroMemory(&popup, sizeof popup);
    popup.cbStruct = sizeof popup;
    popup.hinst = g_instance;
    popup.idString = 0;
    popup.pszText = text;
    popup.pt.x = x;
    popup.pt.y = y;
    popup.clrForeground = static_cast<COLORREF>(-1);
    popup.clrBackground = static_cast<COLORREF>(-1);
    SetRect(&popup.rcMargins, -1, -1, -1, -1);
    popup.pszFont = NULL;
    // Nothing to report when HTML Help is missing: the popup just does not show.
    CallHtmlHelp(control, NULL, HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup));
    return 1;
}

void UseHtmlHelpControl(HMODULE control) {
    g_htmlHelpModule = control;
    g_htmlHelp = NULL;
}
