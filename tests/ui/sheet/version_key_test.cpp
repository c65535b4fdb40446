#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "resources/version_key.h"

TEST(VersionKey, NamesLanguageThenCodePageInLowerCaseHex) {
    char key[kVersionKeySize];
    ASSERT_TRUE(FormatStringFileInfoKey(key, sizeof key, 0x0411, 0x03a4, "ProductVersion"));
    EXPECT_STREQ("\\StringFileInfo\\041103a4\\ProductVersion", key);
    ASSERT_TRUE(FormatStringFileInfoKey(key, sizeof key, 0x0000, 0x04B0, "X"));
    EXPECT_STREQ("\\StringFileInfo\\000004b0\\X", key);
}

TEST(VersionKey, ANameTooLongForTheKeyGivesNoKeyAndNoOverrun) {
    // 16 + 8 + 1 = 25 characters before the name; 260 fit in all.
    std::string fits(260 - 25, 'n');
    std::string tooLong(261 - 25, 'n');
    char key[kVersionKeySize + 8];
    memset(key, 'x', sizeof key);
    ASSERT_TRUE(FormatStringFileInfoKey(key, kVersionKeySize, 0x0409, 0x04b0, fits.c_str()));
    EXPECT_EQ(260u, strlen(key));
    EXPECT_EQ('x', key[kVersionKeySize]);
    EXPECT_FALSE(FormatStringFileInfoKey(key, kVersionKeySize, 0x0409, 0x04b0, tooLong.c_str()));
    EXPECT_STREQ("", key);
    EXPECT_FALSE(FormatStringFileInfoKey(key, 0, 0x0409, 0x04b0, "n"));
}

TEST(VersionKey, FallbackListsRunInAscendingOrderWithoutTheNeutralLanguage) {
    for (int i = 1; i < kFallbackCodePageCount; ++i) {
        EXPECT_LT(kFallbackCodePages[i - 1], kFallbackCodePages[i]);
    }
    for (int i = 1; i < kFallbackLanguageCount; ++i) {
        EXPECT_LT(kFallbackLanguages[i - 1], kFallbackLanguages[i]);
    }
    EXPECT_EQ(0x0401, kFallbackLanguages[0]);
    EXPECT_EQ(0x0421, kFallbackLanguages[32]);
    EXPECT_EQ(0x100c, kFallbackLanguages[44]);
    EXPECT_EQ(0x04b0, kFallbackCodePages[4]);
}
