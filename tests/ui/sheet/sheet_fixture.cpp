#include "tests/ui/sheet/sheet_fixture.h"

#include "resources/app_globals.h"
#include "settings/settings.h"
#include "tests/support/wine_test_support.h"

namespace sheettest {

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
