#include <gtest/gtest.h>

#include <string>

#include "settings/registry_text.h"

TEST(RegistryText, NinetyNineBytesFitAHundredOnlyWithTheirOwnTerminator) {
    const std::string text(100, 'a');
    const std::string ended = std::string(99, 'a') + '\0';
    EXPECT_TRUE(RegistryTextFits(text.data(), 0, 100));
    EXPECT_TRUE(RegistryTextFits(text.data(), 99, 100));
    EXPECT_FALSE(RegistryTextFits(text.data(), 100, 100));
    EXPECT_TRUE(RegistryTextFits(ended.data(), 100, 100));
    EXPECT_FALSE(RegistryTextFits(text.data(), 5000, 100));
    EXPECT_FALSE(RegistryTextFits(text.data(), 0, 0));
}

TEST(RegistryText, ShortDwordDataFillsOnlyTheLowOrderBytes) {
    const unsigned char one[] = {0x01};
    const unsigned char two[] = {0x34, 0x12};
    const unsigned char four[] = {0x78, 0x56, 0x34, 0x12};
    const unsigned char eight[] = {1, 0, 0, 0, 9, 9, 9, 9};
    EXPECT_EQ(1u, DwordFromRegistryBytes(one, 1, 0));
    EXPECT_EQ(0xAABB1234u, DwordFromRegistryBytes(two, 2, 0xAABBCCDDu));
    EXPECT_EQ(0x12345678u, DwordFromRegistryBytes(four, 4, 0xFFFFFFFFu));
    EXPECT_EQ(1u, DwordFromRegistryBytes(eight, 8, 0));
    EXPECT_EQ(7u, DwordFromRegistryBytes(nullptr, 0, 7));
}
