#include "tests/support/window_test_support.h"

#include "ui/wrappers/wrapper_rules.h"

namespace testsupport {

namespace {
WindowHook g_hook;
}

const char kTestWindowClass[] = "QuillgateTestWindow";

DialogTemplate::DialogTemplate(DWORD style, const char* title) {
    DLGTEMPLATE header = {};
    header.style = style;
    header.cx = 200;
    header.cy = 150;
    const WORD* raw = reinterpret_cast<const WORD*>(&header);
    words_.assign(raw, raw + sizeof header / sizeof(WORD));
    words_.push_back(0); // no menu
    words_.push_back(0); // the dialog class
    AddText(title);
    if (style & DS_SETFONT) {
        words_.push_back(8);
        AddText("MS Shell Dlg");
    }
}

DialogTemplate& DialogTemplate::Add(WORD id, WORD windowClass, DWORD style, const char* text,
                                    const char* className) {
    Align();
    DLGITEMTEMPLATE item = {};
    item.style = style | WS_CHILD | WS_VISIBLE;
    item.x = 4;
    item.y = nextY_;
    item.cx = 180;
    item.cy = 12;
    item.id = id;
    nextY_ += 14;
    const WORD* raw = reinterpret_cast<const WORD*>(&item);
    words_.insert(words_.end(), raw, raw + sizeof item / sizeof(WORD));
    if (windowClass) {
        words_.push_back(0xFFFF);
        words_.push_back(windowClass);
    } else {
        AddText(className);
    }
    AddText(text);
    words_.push_back(0); // no creation data
    ++count_;
    return *this;
}

const DLGTEMPLATE* DialogTemplate::Get() const {
    auto* header = reinterpret_cast<DLGTEMPLATE*>(const_cast<WORD*>(words_.data()));
    header->cdit = count_;
    return header;
}

void DialogTemplate::AddText(const char* text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    words_.insert(words_.end(), wide.begin(), wide.end()); // includes the NUL
}

void DialogTemplate::Align() {
    if (words_.size() % 2) {
        words_.push_back(0); // items start on a DWORD boundary
    }
}

LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (g_hook) {
        g_hook(hwnd, msg, wParam, lParam);
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void RegisterTestWindowClass() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = TestWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kTestWindowClass;
    RegisterClassA(&windowClass); // fails harmlessly when already registered
}

ScopedWindowHook::ScopedWindowHook(WindowHook hook) {
    g_hook = std::move(hook);
}

ScopedWindowHook::~ScopedWindowHook() {
    g_hook = nullptr;
}

namespace {
int g_brokenWrapperRules = 0;
void CountBrokenWrapperRule(const char*) {
    ++g_brokenWrapperRules;
}
} // namespace

ExpectBrokenWrapperRules::ExpectBrokenWrapperRules() : earlier_(g_wrapperRuleBroken) {
    g_brokenWrapperRules = 0;
    g_wrapperRuleBroken = CountBrokenWrapperRule;
}

ExpectBrokenWrapperRules::~ExpectBrokenWrapperRules() {
    g_wrapperRuleBroken = earlier_;
}

int ExpectBrokenWrapperRules::Count() const {
    return g_brokenWrapperRules;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace testsupport
