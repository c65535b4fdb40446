// Real windows for tests under Wine: in-memory dialog templates and a plain
// window class whose messages a test can watch.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// A DLGTEMPLATE built in memory, with "MS Shell Dlg" 8 as its font.
class DialogTemplate {
public:
    explicit DialogTemplate(DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT,
                            const char* title = "test");
    // windowClass: a predefined atom (0x0080 button, 0x0081 edit, 0x0082 static)
    // or 0 with className naming a registered class.
    DialogTemplate& Add(WORD id, WORD windowClass, DWORD style, const char* text,
                        const char* className = nullptr);
    const DLGTEMPLATE* Get() const;

private:
    void AddText(const char* text);
    void Align();
    std::vector<WORD> words_;
    WORD count_ = 0;
    short nextY_ = 4;
};

enum : WORD { kButtonAtom = 0x0080, kEditAtom = 0x0081, kStaticAtom = 0x0082 };

// Every message of every window of class kTestWindowClass goes through this
// hook (when set) before DefWindowProcA answers it.
using WindowHook = std::function<void(HWND, UINT, WPARAM, LPARAM)>;
extern const char kTestWindowClass[];
void RegisterTestWindowClass();

// Sets the hook for its own lifetime.
class ScopedWindowHook {
public:
    explicit ScopedWindowHook(WindowHook hook);
    ~ScopedWindowHook();
};

// The procedure of kTestWindowClass, for tests comparing procedure slots.
LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Counts the window wrapper rules broken during its lifetime (wrapper_rules.h),
// which otherwise fail the running test.
class ExpectBrokenWrapperRules {
public:
    ExpectBrokenWrapperRules();
    ~ExpectBrokenWrapperRules();
    int Count() const;

private:
    void (*earlier_)(const char* rule);
};

// Handles whatever is queued for this thread.
void PumpMessages();

} // namespace testsupport
