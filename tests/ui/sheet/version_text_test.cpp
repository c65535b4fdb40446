// The version line of the About page, looked up in real version resources:
// this program's own, and small modules built with their own resources.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/app_globals.h"
#include "resources/outside_world.h"
#include "resources/resource_ids.h"
#include "tests/support/wine_test_support.h"
#include "resources/version_text.h"

using testsupport::ToolPath;

namespace {

std::vector<std::string> g_lookups;

BOOL WINAPI CountingQuery(LPCVOID block, LPCSTR key, LPVOID* value, PUINT length) {
    if (strncmp(key, "\\StringFileInfo\\", 16) == 0) {
        g_lookups.push_back(key);
    }
    return VerQueryValueA(block, key, value, length);
}

class VersionLookup : public testing::Test {
protected:
    void SetUp() override {
        g_lookups.clear();
        g_outsideWorld.queryVersionValue = CountingQuery;
    }
    void TearDown() override {
        g_outsideWorld.queryVersionValue = VerQueryValueA;
        g_instance = GetModuleHandleA(NULL);
    }
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

TEST_F(VersionLookup, OwnResourceIsFoundAtTheFirstLookup) {
    EXPECT_EQ(std::string("Version ") + QUILLGATE_VERSION_TEXT, VersionLine());
    ASSERT_EQ(1u, g_lookups.size());
    EXPECT_EQ("\\StringFileInfo\\000004b0\\ProductVersion", g_lookups[0]);
}

TEST_F(VersionLookup, UnnamedBlockIsFoundByTheSweepAtThe190thLookup) {
    EXPECT_EQ("found-in-040904b0", ProductVersion("japanese_translation_english_block"));
    ASSERT_EQ(190u, g_lookups.size());
    EXPECT_EQ("\\StringFileInfo\\041103a4\\ProductVersion", g_lookups[0]);
    EXPECT_EQ("\\StringFileInfo\\04010000\\ProductVersion", g_lookups[1]);
    EXPECT_EQ("\\StringFileInfo\\100c03b6\\ProductVersion", g_lookups[180]);
    EXPECT_EQ("\\StringFileInfo\\040904b0\\ProductVersion", g_lookups[189]);
}

TEST_F(VersionLookup, EarlierLanguageWinsWithinTheSameCodePage) {
    EXPECT_EQ("english", ProductVersion("two_blocks"));
}

TEST_F(VersionLookup, NeutralLanguageBlockIsNeverSwept) {
    EXPECT_EQ("", ProductVersion("neutral_block_unnamed"));
    EXPECT_EQ(1u + 12 * 45, g_lookups.size());
}

TEST_F(VersionLookup, NoTranslationValueMeansNoLookupAtAll) {
    EXPECT_EQ("", ProductVersion("no_translation"));
    EXPECT_EQ(0u, g_lookups.size());
}

TEST_F(VersionLookup, NoVersionResourceGivesTheEmptyText) {
    EXPECT_EQ("", ProductVersion("no_version"));
    EXPECT_EQ("", VersionString("C:\\no\\such\\file.dll"));
    EXPECT_EQ(0u, g_lookups.size());
}

TEST_F(VersionLookup, TranslationShorterThanOneEntryGoesStraightToTheSweep) {
    EXPECT_EQ("swept", ProductVersion("short_translation"));
    ASSERT_FALSE(g_lookups.empty());
    EXPECT_EQ("\\StringFileInfo\\04010000\\ProductVersion", g_lookups[0]);
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
