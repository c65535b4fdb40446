/* Loaded into another process through a window hook, so that a test can ask
   that process whether the font a control draws with has the glyph of one
   character: sent the registered message "QuillgateFontProbe" with the
   character in wParam, the control gets the property of that name, 2 when the
   glyph is there and 1 when it is not. */
#include <windows.h>

__declspec(dllexport) LRESULT CALLBACK FontProbeHook(int code, WPARAM wParam, LPARAM lParam);

static int HasGlyph(HWND control, WCHAR character) {
    HFONT font = (HFONT)SendMessageW(control, WM_GETFONT, 0, 0);
    HDC dc = GetDC(control);
    WORD glyph = 0xFFFF;
    int found = 0;
    if (!dc) {
        return 0;
    }
    if (font && SelectObject(dc, font)) {
        found = GetGlyphIndicesW(dc, &character, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) == 1 &&
                glyph != 0xFFFF;
    }
    ReleaseDC(control, dc);
    return found;
}

LRESULT CALLBACK FontProbeHook(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* call = (const CWPSTRUCT*)lParam;
    if (code == HC_ACTION && call->message == RegisterWindowMessageA("QuillgateFontProbe")) {
        const int answer = HasGlyph(call->hwnd, (WCHAR)call->wParam) ? 2 : 1;
        SetPropA(call->hwnd, "QuillgateFontProbe", (HANDLE)(INT_PTR)answer);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}
