#include "tests/ui/sheet/sheet_session.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "resources/app_globals.h"
#include "settings/settings.h"
#include "tests/support/wine_test_support.h"
#include "ui/sheet/settings_sheet.h"

namespace sheettest {

namespace {

SheetSession* g_session = nullptr;
int g_changedCount = 0;

LRESULT CALLBACK CountChanged(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == PSM_CHANGED) {
        ++g_changedCount;
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

bool IsDialogClass(HWND window) {
    char name[64] = {0};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpA(name, "#32770") == 0;
}

struct Found {
    HWND except;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM data) {
    Found* found = reinterpret_cast<Found*>(data);
    if (window != found->except && IsWindowVisible(window) && IsDialogClass(window)) {
        found->windows.push_back(window);
    }
    return TRUE;
}

} // namespace

std::vector<HWND> ThreadDialogs(HWND except) {
    Found found = {except, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found.windows;
}

SheetSession& SheetSession::WaitFor(Step step) {
    steps_.push_back(std::move(step));
    return *this;
}

SheetSession& SheetSession::Do(std::function<void()> action) {
    return WaitFor([action] {
        action();
        return true;
    });
}

SheetSession& SheetSession::WaitForSheet() {
    return WaitFor([this] {
        for (HWND window : ThreadDialogs()) {
            if (uidriver::Text(window) == g_caption) {
                sheet_ = window;
            }
        }
        if (!sheet_) {
            return false;
        }
        page_ = reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0));
        return page_ != NULL;
    });
}

int SheetSession::ChangedCount() const {
    return g_changedCount;
}

bool SheetSession::ApplyEnabled() const {
    return uidriver::IsEnabled(uidriver::SheetButtonWindow(sheet_, uidriver::kApply));
}

void SheetSession::Click(int id) const {
    uidriver::Click(Item(id));
}

void SheetSession::TypeInCombo(int id, const std::string& text) const {
    HWND combo = Item(id);
    SendMessageA(uidriver::ComboEdit(combo), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    // What a combo box tells its parent after keys typed into its field; Wine's
    // does not send it for a text set at once.
    SendMessageA(page_, WM_COMMAND, MAKEWPARAM(id, CBN_EDITCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

void SheetSession::TypeInEdit(int id, const std::string& text) const {
    SendMessageA(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void SheetSession::PressButton(int button) const {
    SendMessageA(sheet_, PSM_PRESSBUTTON, button, 0);
}

bool SheetSession::Run(DWORD timeoutMs) {
    running_.assign(steps_.size(), false);
    next_ = 0;
    timedOut_ = false;
    deadline_ = GetTickCount() + timelimits::Scaled(timeoutMs);
    g_session = this;
    g_changedCount = 0;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, CountChanged, NULL, GetCurrentThreadId());
    EXPECT_NE(hook, nullptr);
    UINT_PTR timer = SetTimer(NULL, 0, 20, TimerProc);
    EXPECT_NE(timer, 0u);
    RunSettingsSheet();
    KillTimer(NULL, timer);
    UnhookWindowsHookEx(hook);
    g_session = nullptr;
    EXPECT_FALSE(timedOut_) << "the sheet was still open after its steps, at step " << next_;
    EXPECT_EQ(next_, steps_.size()) << "the sheet closed before all its steps ran";
    return !timedOut_ && next_ == steps_.size();
}

void CALLBACK SheetSession::TimerProc(HWND, UINT, UINT_PTR, DWORD) {
    if (g_session) {
        g_session->Tick();
    }
}

void SheetSession::Tick() {
    if (static_cast<LONG>(GetTickCount() - deadline_) > 0) {
        if (!timedOut_) {
            timedOut_ = true;
            CloseEverything();
        }
        return;
    }
    if (next_ >= steps_.size() || running_[next_]) {
        return;
    }
    const size_t step = next_;
    running_[step] = true;
    next_ = step + 1; // a step that blocks lets the following ones run
    const bool done = steps_[step]();
    running_[step] = false;
    if (!done && next_ == step + 1) {
        next_ = step;
    }
}

void SheetSession::CloseEverything() {
    for (HWND window : ThreadDialogs()) {
        if (window == sheet_) {
            PostMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        } else {
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        }
    }
}

using testsupport::kSettingsKey;

const char kUnknownShell[] = "Software\\Classes\\Unknown\\shell"; // the user's
const char kPaths[] = "Paths";
const char kSource[] = "Source";

namespace {

std::string SettingsPath(const char* subkey) {
    return std::string(kSettingsKey) + "\\" + subkey;
}

} // namespace

void SheetTest::SetUp() {
    ASSERT_TRUE(testsupport::SetString(HKEY_CLASSES_ROOT, "Unknown\\shell", NULL, "openas"));
    testsupport::ResetSettings();
    ASSERT_TRUE(g_settings.Open());
}

void SheetTest::TearDown() {
    testsupport::ResetSettings();
}

void SheetTest::LoadSettings() {
    g_settings.Load();
}

std::string SheetTest::Stored(const char* subkey, const char* value) const {
    return testsupport::ReadString(HKEY_CURRENT_USER, SettingsPath(subkey).c_str(), value);
}

bool SheetTest::IsStored(const char* subkey, const char* value) const {
    return testsupport::ValueExists(HKEY_CURRENT_USER, SettingsPath(subkey).c_str(), value);
}

void SheetTest::Store(const char* subkey, const char* value, const std::string& text) const {
    ASSERT_TRUE(testsupport::SetString(HKEY_CURRENT_USER, SettingsPath(subkey).c_str(), value,
                                       text.c_str()));
}

void SheetTest::StoreFlag(DWORD flag) const {
    ASSERT_TRUE(testsupport::SetDword(HKEY_CURRENT_USER, SettingsPath(kSource).c_str(),
                                      "ExtensionFlag", flag));
}

void SheetTest::Associate(const std::string& menuText, const std::string& previousVerb) const {
    const std::string open = std::string(kUnknownShell) + "\\open";
    ASSERT_TRUE(testsupport::SetString(HKEY_CURRENT_USER, kUnknownShell, NULL, "open"));
    ASSERT_TRUE(
        testsupport::SetString(HKEY_CURRENT_USER, kUnknownShell, "bak", previousVerb.c_str()));
    ASSERT_TRUE(testsupport::SetString(HKEY_CURRENT_USER, open.c_str(), NULL, menuText.c_str()));
    ASSERT_TRUE(testsupport::SetString(HKEY_CURRENT_USER, (open + "\\command").c_str(), NULL,
                                       "notepad.exe %1"));
}

std::string SheetTest::Shell(const char* path, const char* value) const {
    std::string full = "Unknown\\shell";
    if (path && *path) {
        full += std::string("\\") + path;
    }
    return testsupport::MergedClassesString(full, value);
}

} // namespace sheettest
