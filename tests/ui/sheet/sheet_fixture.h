// Every sheet test starts from a first run: no settings key, and the shell's
// Unknown class with "openas" as its default verb. What was in HKCR before is
// put back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/support/registry_guard.h"
#include "tests/ui/sheet/sheet_session.h"

namespace sheettest {

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
