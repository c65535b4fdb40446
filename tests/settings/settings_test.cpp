// The settings store against the real registry of the Wine test prefix. Each
// test opens a CSettings of its own on the program's key, which it empties
// first and puts back as it was afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "resources/load_text.h"
#include "settings/settings.h"
#include "tests/support/registry_guard.h"
#include "tests/support/wine_test_support.h"

using testsupport::kDefaultEditor;
using testsupport::KeyExists;
using testsupport::KeySnapshot;
using testsupport::ReadRaw;
using testsupport::ReadRawWide;
using testsupport::ScopedDeniedKey;
using testsupport::SetDword;
using testsupport::SetRaw;
using testsupport::SetString;
using testsupport::ValueExists;

namespace {

class SettingsStore : public testing::Test {
protected:
    void SetUp() override {
        path_ = testsupport::kSettingsKey;
        testsupport::DeleteKeyTree(HKEY_CURRENT_USER, path_.c_str());
        settings_.reset(new CSettings);
    }

    void TearDown() override {
        settings_.reset(); // closes the keys
    }

    // Opens the keys, asserting that the user's could be opened or created.
    void OpenKey() { ASSERT_TRUE(settings_->Open()); }
    void OpenAndLoad() {
        OpenKey();
        settings_->Load();
    }

    std::string Sub(const char* subkey) const { return path_ + "\\" + subkey; }
    std::string Paths() const { return Sub("Paths"); }
    std::string Source() const { return Sub("Source"); }

    CSettings& s() { return *settings_; }
    // The extension as Load reads it through its 100 bytes after `data` (of
    // `type`) was stored there: "default" where it reads as the default.
    std::string ExtensionRead(DWORD type, const void* data, DWORD bytes) {
        EXPECT_TRUE(SetRaw(HKEY_CURRENT_USER, Source().c_str(), "Extension", type, data, bytes));
        settings_->Load();
        return lstrcmpA(s().Extension(), "htm") == 0 ? "default" : s().Extension();
    }
    // ExtensionFlag as Load reads it after `data` (of `type`) was stored there.
    LONG FlagRead(DWORD type, const void* data, DWORD bytes) {
        EXPECT_TRUE(
            SetRaw(HKEY_CURRENT_USER, Source().c_str(), "ExtensionFlag", type, data, bytes));
        settings_->Load();
        return s().ExtensionFlag();
    }

    KeySnapshot saved_{HKEY_CURRENT_USER, testsupport::kSettingsKey};
    std::string path_;
    testsupport::EmptyUnknownShell unknown_; // Load reads the Unknown class too
    std::unique_ptr<CSettings> settings_;
};

TEST_F(SettingsStore, FirstRunReadsTheDefaultsAndCreatesTheKeyAndBothSubkeys) {
    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, path_.c_str()));
    OpenAndLoad();
    EXPECT_STREQ(kDefaultEditor, s().EditEditor());
    EXPECT_STREQ(kDefaultEditor, s().PrintEditor());
    EXPECT_EQ(0, s().ExtensionFlag());
    EXPECT_STREQ("htm", s().Extension());
    s().LoadUnknownAssociation();
    EXPECT_EQ(0, s().UnknownAssociated());
    EXPECT_EQ(testsupport::DefaultMenuText(), s().MenuText());
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, path_.c_str()));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Paths().c_str()));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Source().c_str()));
    // Reading writes nothing: the defaults are not stored.
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, Paths().c_str(), "CommonEditor"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, Source().c_str(), "ExtensionFlag"));
}

TEST_F(SettingsStore, StoredValuesAreRead) {
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, Paths().c_str(), "CommonEditor", "C:\\edit.exe"));
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, Paths().c_str(), "PrinterEditor", "C:\\print.exe"));
    ASSERT_TRUE(SetDword(HKEY_CURRENT_USER, Source().c_str(), "ExtensionFlag", 1));
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, Source().c_str(), "Extension", "xml"));
    OpenAndLoad();
    EXPECT_STREQ("C:\\edit.exe", s().EditEditor());
    EXPECT_STREQ("C:\\print.exe", s().PrintEditor());
    EXPECT_EQ(1, s().ExtensionFlag());
    EXPECT_STREQ("xml", s().Extension());
}

TEST_F(SettingsStore, SettersWriteStringsWithTheirTerminatorAndTheFlagAsADword) {
    OpenKey();
    ASSERT_TRUE(s().SetEditEditor("C:\\edit.exe"));
    ASSERT_TRUE(s().SetPrintEditor("C:\\print.exe"));
    ASSERT_TRUE(s().SetExtensionFlag(1));
    ASSERT_TRUE(s().SetExtension("shtml"));

    DWORD type = 0;
    std::wstring text;
    ASSERT_TRUE(ReadRawWide(HKEY_CURRENT_USER, Paths().c_str(), "CommonEditor", &type, &text));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::wstring(L"C:\\edit.exe", 12), text);
    ASSERT_TRUE(ReadRawWide(HKEY_CURRENT_USER, Paths().c_str(), "PrinterEditor", &type, &text));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::wstring(L"C:\\print.exe", 13), text);
    ASSERT_TRUE(ReadRawWide(HKEY_CURRENT_USER, Source().c_str(), "Extension", &type, &text));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::wstring(L"shtml", 6), text);
    std::string data;
    ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, Source().c_str(), "ExtensionFlag", &type, &data));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(std::string("\x01\0\0\0", 4), data);

    s().Load();
    EXPECT_STREQ("C:\\edit.exe", s().EditEditor());
    EXPECT_STREQ("C:\\print.exe", s().PrintEditor());
    EXPECT_EQ(1, s().ExtensionFlag());
    EXPECT_STREQ("shtml", s().Extension());
    // A path with a variable in it is stored for expansion.
    ASSERT_TRUE(s().SetPrintEditor("%SystemRoot%\\notepad.exe"));
    ASSERT_TRUE(ReadRawWide(HKEY_CURRENT_USER, Paths().c_str(), "PrinterEditor", &type, &text));
    EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), type);
}

TEST_F(SettingsStore, SettersDoNotChangeTheLoadedFieldsUntilLoad) {
    OpenAndLoad();
    ASSERT_TRUE(s().SetEditEditor("C:\\edit.exe"));
    ASSERT_TRUE(s().SetPrintEditor("C:\\print.exe"));
    ASSERT_TRUE(s().SetExtensionFlag(1));
    ASSERT_TRUE(s().SetExtension("xml"));
    EXPECT_STREQ(kDefaultEditor, s().EditEditor());
    EXPECT_STREQ(kDefaultEditor, s().PrintEditor());
    EXPECT_EQ(0, s().ExtensionFlag());
    EXPECT_STREQ("htm", s().Extension());
    s().Load();
    EXPECT_STREQ("C:\\edit.exe", s().EditEditor());
    EXPECT_STREQ("C:\\print.exe", s().PrintEditor());
    EXPECT_EQ(1, s().ExtensionFlag());
    EXPECT_STREQ("xml", s().Extension());
}

TEST_F(SettingsStore, AnEditorPathOf99CharactersReadsBackWhole) {
    std::string path = "C:\\" + std::string(92, 'e') + ".exe";
    ASSERT_EQ(99u, path.size());
    OpenKey();
    ASSERT_TRUE(s().SetEditEditor(path.c_str()));
    ASSERT_TRUE(s().SetPrintEditor(path.c_str()));
    s().Load();
    EXPECT_EQ(path, s().EditEditor());
    EXPECT_EQ(path, s().PrintEditor());
}

TEST_F(SettingsStore, AnEditorPathOf100CharactersOrMoreReadsAsTheDefault) {
    std::string hundred = "C:\\" + std::string(93, 'e') + ".exe";
    ASSERT_EQ(100u, hundred.size());
    std::string longer = "C:\\" + std::string(250, 'e') + ".exe";
    OpenKey();
    ASSERT_TRUE(s().SetEditEditor(hundred.c_str()));
    ASSERT_TRUE(s().SetPrintEditor(longer.c_str()));
    s().Load();
    EXPECT_STREQ(kDefaultEditor, s().EditEditor());
    EXPECT_STREQ(kDefaultEditor, s().PrintEditor());
}

TEST_F(SettingsStore, StoredTextsOf99And100BytesWithAndWithoutTerminator) {
    std::string ninetyNine(99, 'a');
    std::string hundred(100, 'b');
    OpenKey();
    // 99 bytes without NUL, and 99 characters with their NUL (100 bytes): whole.
    EXPECT_EQ(ninetyNine, ExtensionRead(REG_SZ, ninetyNine.data(), 99));
    EXPECT_EQ(ninetyNine, ExtensionRead(REG_SZ, ninetyNine.c_str(), 100));
    // 100 bytes without NUL, and 100 characters with their NUL: the default.
    EXPECT_EQ("default", ExtensionRead(REG_SZ, hundred.data(), 100));
    EXPECT_EQ("default", ExtensionRead(REG_SZ, hundred.c_str(), 101));
    EXPECT_EQ("default", ExtensionRead(REG_BINARY, hundred.data(), 100));
}

TEST_F(SettingsStore, AShortTextOverALongerDefaultReadsBackExactly) {
    OpenKey();
    ASSERT_TRUE(s().SetEditEditor("vi.exe")); // 6 characters; the default has 11
    ASSERT_TRUE(s().SetExtension("x"));       // 1 character; the default has 3
    s().Load();
    EXPECT_STREQ("vi.exe", s().EditEditor());
    EXPECT_STREQ("x", s().Extension());
}

TEST_F(SettingsStore, AReadNeverCarriesBytesOfAnEarlierRead) {
    OpenKey();
    std::string longText(99, 'z');
    EXPECT_EQ(longText, ExtensionRead(REG_SZ, longText.data(), 99));
    EXPECT_EQ("ab", ExtensionRead(REG_SZ, "ab", 2));
    EXPECT_EQ(longText, ExtensionRead(REG_SZ, longText.data(), 99));
    EXPECT_EQ("cd", ExtensionRead(REG_BINARY, "cd", 2));
}

TEST_F(SettingsStore, WritingTheEmptyTextStoresARegSzOfItsTerminatorAlone) {
    OpenKey();
    ASSERT_TRUE(s().SetExtension(""));
    ASSERT_TRUE(s().SetEditEditor(""));
    DWORD type = 0;
    std::wstring stored = L"junk";
    ASSERT_TRUE(ReadRawWide(HKEY_CURRENT_USER, Source().c_str(), "Extension", &type, &stored));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::wstring(1, L'\0'), stored);
    // Our choice (left to the implementer): a stored empty text reads back empty.
    s().Load();
    EXPECT_STREQ("", s().Extension());
    EXPECT_STREQ("", s().EditEditor());
}

TEST_F(SettingsStore, DataOfOtherTypesIsTakenAsText) {
    OpenKey();
    ASSERT_TRUE(SetRaw(HKEY_CURRENT_USER, Paths().c_str(), "CommonEditor", REG_BINARY,
                       "C:\\bin.exe", 10)); // no NUL
    const char expand[] = "%SystemRoot%\\ed.exe";
    ASSERT_TRUE(SetRaw(HKEY_CURRENT_USER, Paths().c_str(), "PrinterEditor", REG_EXPAND_SZ, expand,
                       sizeof expand));
    const char multi[] = "xml\0html\0"; // two strings and the closing NUL
    ASSERT_TRUE(SetRaw(HKEY_CURRENT_USER, Source().c_str(), "Extension", REG_MULTI_SZ, multi,
                       sizeof multi));
    s().Load();
    EXPECT_STREQ("C:\\bin.exe", s().EditEditor());
    char expanded[MAX_PATH];
    ExpandEnvironmentStringsA(expand, expanded, sizeof expanded);
    EXPECT_STREQ(expanded, s().PrintEditor()) << "an editor path is expanded";
    EXPECT_STREQ("xml", s().Extension()) << "the text up to the first NUL";
}

TEST_F(SettingsStore, AStringStoredWithoutTerminatorReadsExactly) {
    OpenKey();
    ASSERT_TRUE(SetRaw(HKEY_CURRENT_USER, Paths().c_str(), "CommonEditor", REG_SZ, "C:\\ed.exeXYZ",
                       9)); // "C:\ed.exe" and nothing after it
    ASSERT_TRUE(SetRaw(HKEY_CURRENT_USER, Source().c_str(), "Extension", REG_EXPAND_SZ, "sh", 2));
    s().Load();
    EXPECT_STREQ("C:\\ed.exe", s().EditEditor());
    EXPECT_STREQ("sh", s().Extension());
}

TEST_F(SettingsStore, AFlagFromFewerThanFourBytesOrOtherTypesFillsTheLowOrderBytes) {
    OpenKey();
    const unsigned char one[] = {0x01};
    const unsigned char two[] = {0x34, 0x12};
    const unsigned char four[] = {0x78, 0x56, 0x34, 0x12};
    const unsigned char eight[] = {1, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(0x01, FlagRead(REG_BINARY, one, 1));
    EXPECT_EQ(0x1234, FlagRead(REG_DWORD, two, 2)) << "over the default, 0";
    EXPECT_EQ(0x12345678, FlagRead(REG_BINARY, four, 4));
    EXPECT_EQ(0x31, FlagRead(REG_SZ, "1", 2)) << "'1' and its NUL, little-endian";
    EXPECT_EQ(0, FlagRead(REG_QWORD, eight, 8)) << "8 bytes do not fit in 4";
}

TEST_F(SettingsStore, WithoutOpenEveryReadGivesItsDefaultAndEveryWriteFails) {
    // A CSettings as constructed before the entry point: no key open.
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, Paths().c_str(), "CommonEditor", "C:\\stored.exe"));
    EXPECT_FALSE(s().SetEditEditor("x"));
    EXPECT_FALSE(s().SetExtensionFlag(1));
    s().Load();
    EXPECT_STREQ(kDefaultEditor, s().EditEditor());
    EXPECT_STREQ("htm", s().Extension());
    EXPECT_EQ(0, s().ExtensionFlag());
}

// A caller that may only read the key (a low-integrity one, say). Simulated
// with real keys whose DACL grants only KEY_READ and WRITE_DAC, which Wine's
// server enforces.
TEST_F(SettingsStore, AKeyThatMayOnlyBeReadGivesWhatIsStoredAndWritesFail) {
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, path_.c_str(), "Planted", "untouched"));
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, Paths().c_str(), "CommonEditor", "C:\\stored.exe"));
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, Source().c_str(), "Extension", "xml"));
    ScopedDeniedKey denied(HKEY_CURRENT_USER, path_);
    ScopedDeniedKey deniedPaths(HKEY_CURRENT_USER, Paths());
    ScopedDeniedKey deniedSource(HKEY_CURRENT_USER, Source());
    ASSERT_TRUE(denied.Applied() && deniedPaths.Applied() && deniedSource.Applied())
        << "Wine no longer enforces the key's DACL";

    EXPECT_TRUE(s().Open());
    s().Load();
    EXPECT_STREQ("C:\\stored.exe", s().EditEditor());
    EXPECT_STREQ(kDefaultEditor, s().PrintEditor());
    EXPECT_EQ(0, s().ExtensionFlag());
    EXPECT_STREQ("xml", s().Extension());
    EXPECT_FALSE(s().SetEditEditor("C:\\new.exe"));
    EXPECT_FALSE(s().SetPrintEditor("C:\\new.exe"));
    EXPECT_FALSE(s().SetExtensionFlag(1));
    EXPECT_FALSE(s().SetExtension("xml"));

    EXPECT_EQ("untouched", testsupport::ReadString(HKEY_CURRENT_USER, path_.c_str(), "Planted"));
    EXPECT_EQ("C:\\stored.exe",
              testsupport::ReadString(HKEY_CURRENT_USER, Paths().c_str(), "CommonEditor"));
    EXPECT_EQ("xml", testsupport::ReadString(HKEY_CURRENT_USER, Source().c_str(), "Extension"));
}

} // namespace
