// Runs the real, modal settings sheet (RunSettingsSheet) and drives it the way
// a user does: a thread timer, which every modal loop of the thread keeps
// serving, runs one step after another. A step that opens another modal loop
// (the browse button opens the open-file dialog) lets the next steps run
// inside it. The user's actions are ui_driver's, sent on this thread.
//
// SheetTest, the fixture of every sheet test, starts from a first run: no
// settings key, and the shell's Unknown class with "openas" as its default
// verb. What was in HKCR before is put back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/registry_guard.h"
#include "tests/support/time_limits.h"
#include "tests/support/ui_driver.h"

namespace sheettest {

class SheetSession {
public:
    // Done when it returns true; otherwise tried again at the next tick.
    using Step = std::function<bool()>;

    SheetSession& WaitFor(Step step);
    SheetSession& Do(std::function<void()> action);
    // Finds the sheet and its Settings page first (Sheet(), Page()).
    SheetSession& WaitForSheet();

    // Runs the sheet until it is closed. False (and every window of this
    // thread closed) when the steps did not all run within `timeoutMs`.
    bool Run(DWORD timeoutMs = timelimits::kSheetStepsMs);

    HWND Sheet() const { return sheet_; }
    HWND Page() const { return page_; }
    HWND Item(int id) const { return GetDlgItem(page_, id); }
    bool ApplyEnabled() const;
    // How often a page has told the sheet it changed (PSM_CHANGED) so far.
    int ChangedCount() const;

    // User actions on the sheet.
    void Click(int id) const; // BM_CLICK on a control of the Settings page
    // Types into a combo box's edit field: its text is replaced, and the page
    // hears CBN_EDITCHANGE as it does for keys typed.
    void TypeInCombo(int id, const std::string& text) const;
    void TypeInEdit(int id, const std::string& text) const;
    void PressButton(int button) const; // PSBTN_*

private:
    void Tick();
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);
    void CloseEverything();

    std::vector<Step> steps_;
    std::vector<bool> running_;
    size_t next_ = 0;
    DWORD deadline_ = 0;
    bool timedOut_ = false;
    HWND sheet_ = NULL;
    HWND page_ = NULL;
};

// Visible dialog windows of this thread other than `except`.
std::vector<HWND> ThreadDialogs(HWND except = NULL);

extern const char kUnknownShell[]; // Unknown\shell
extern const char kPaths[];        // the settings key's Paths subkey
extern const char kSource[];       // and its Source subkey

class SheetTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Reads the settings as the entry point does before it runs the sheet.
    void LoadSettings();
    std::string Stored(const char* subkey, const char* value) const;
    bool IsStored(const char* subkey, const char* value) const;
    void Store(const char* subkey, const char* value, const std::string& text) const;
    void StoreFlag(DWORD flag) const;
    // Unknown\shell as while the program is associated under `menuText`.
    void Associate(const std::string& menuText, const std::string& previousVerb) const;
    std::string Shell(const char* path, const char* value = NULL) const;

    SheetSession session;

private:
    testsupport::EmptyUnknownShell unknown_;
};

} // namespace sheettest
