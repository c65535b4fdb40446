// The version line of the About page, looked up in real version resources:
// this program's own, and small modules built with their own resources.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/app_globals.h"
#include "resources/resource_ids.h"
#include "tests/support/wine_test_support.h"
#include "resources/version_text.h"

using testsupport::ToolPath;

namespace {

class VersionLookup : public testing::Test {
protected:
    void TearDown() override { g_instance = GetModuleHandleA(NULL); }
    static std::string Module(const char* name) {
        return ToolPath((std::string("version_") + name + ".dll").c_str());
    }
    static std::string ProductVersion(const char* module) {
        return VersionString(Module(module).c_str());
    }
    static std::string VersionString(const char* path) {
        char value[kVersionValueSize];
        GetVersionString(path, "ProductVersion", value, sizeof value);
        return value;
    }
    static std::string VersionLine() {
        char line[kVersionLineSize];
        GetProductVersionText(line, sizeof line);
        return line;
    }
};

// The translation names a block the module does not have.
TEST_F(VersionLookup, ABlockTheTranslationDoesNotNameIsFoundBySweeping) {
    EXPECT_EQ("found-in-040904b0", ProductVersion("japanese_translation_english_block"));
}

TEST_F(VersionLookup, EarlierLanguageWinsWithinTheSameCodePage) {
    EXPECT_EQ("english", ProductVersion("two_blocks"));
}

TEST_F(VersionLookup, NeutralLanguageBlockIsNeverSwept) {
    EXPECT_EQ("", ProductVersion("neutral_block_unnamed"));
}

TEST_F(VersionLookup, NoTranslationValueGivesTheEmptyText) {
    EXPECT_EQ("", ProductVersion("no_translation"));
}

TEST_F(VersionLookup, NoVersionResourceGivesTheEmptyText) {
    EXPECT_EQ("", ProductVersion("no_version"));
    EXPECT_EQ("", VersionString("C:\\no\\such\\file.dll"));
}

TEST_F(VersionLookup, ATranslationShorterThanOneEntryIsSweptPast) {
    EXPECT_EQ("swept", ProductVersion("short_translation"));
}

TEST_F(VersionLookup, LongValuesAreCutToTheirBuffers) {
    std::string value = ProductVersion("very_long_value");
    EXPECT_EQ(std::string(259, 'v'), value);

    HMODULE module = LoadLibraryA(Module("long_value").c_str());
    ASSERT_NE(nullptr, module);
    g_instance = module;
    std::string line = VersionLine();
    FreeLibrary(module);
    EXPECT_EQ("Version 1.2.3.4-bui", line); // 8 + 11 characters fill the 20-byte line
}

TEST_F(VersionLookup, UnknownModuleGivesAnEmptyLineNotAVersionPrefix) {
    g_instance = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(0x12340000));
    EXPECT_EQ("", VersionLine());
}

TEST_F(VersionLookup, AValueNotFoundLeavesNothingOfAnEarlierOneInItsBuffer) {
    char value[kVersionValueSize];
    GetVersionString(Module("two_blocks").c_str(), "ProductVersion", value, sizeof value);
    ASSERT_STREQ("english", value);
    GetVersionString(Module("neutral_block_unnamed").c_str(), "ProductVersion", value,
                     sizeof value);
    EXPECT_STREQ("", value);
}

} // namespace
