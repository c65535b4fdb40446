#include "ui/sheet/help_popup.h"

#include <htmlhelp.h>

#include "resources/app_globals.h"

namespace {

typedef HWND(WINAPI* HtmlHelpFunction)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);

const char kHtmlHelpServerKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
const WORD kHtmlHelpOrdinal = 14; // HtmlHelpA

HMODULE g_htmlHelpModule = NULL;
HtmlHelpFunction g_htmlHelp = NULL;
// Set for good after a failed load: help is then silently off for the process.
BOOL g_htmlHelpFailed = FALSE;

// The registered path of the HTML Help control, or the empty text.
void ReadRegisteredPath(char* path, DWORD size) {
    ZeroMemory(path, size);
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kHtmlHelpServerKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    // One byte is held back, so a value stored without its NUL still ends.
    DWORD length = size - 1;
    if (RegQueryValueExA(key, NULL, NULL, NULL, reinterpret_cast<BYTE*>(path), &length) !=
        ERROR_SUCCESS) {
        ZeroMemory(path, size);
    }
    RegCloseKey(key);
}

HWND CallHtmlHelp(HWND caller, LPCSTR file, UINT command, DWORD_PTR data) {
    if (g_htmlHelpFailed) {
        return NULL;
    }
    if (!g_htmlHelpModule) {
        char path[MAX_PATH];
        ReadRegisteredPath(path, sizeof path);
        if (path[0]) {
            g_htmlHelpModule = LoadLibraryA(path);
        }
        if (!g_htmlHelpModule) {
            g_htmlHelpModule = LoadLibraryA("hhctrl.ocx");
        }
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
