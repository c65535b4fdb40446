#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "settings/registry_text.h"

TEST(RegistryText, TextWithoutTerminatorIsEndedRightAfterItsData) {
    char buffer[100];
    memset(buffer, 'x', sizeof buffer);
    memcpy(buffer, "editor", 6);
    ASSERT_TRUE(TerminateRegistryText(buffer, sizeof buffer, 6));
    EXPECT_STREQ("editor", buffer);
}

TEST(RegistryText, NinetyNineBytesFitButAHundredDoNot) {
    char buffer[100];
    memset(buffer, 'a', sizeof buffer);
    EXPECT_TRUE(TerminateRegistryText(buffer, sizeof buffer, 99));
    EXPECT_EQ(99u, strlen(buffer));
    memset(buffer, 'a', sizeof buffer);
    EXPECT_FALSE(TerminateRegistryText(buffer, sizeof buffer, 100));
    EXPECT_FALSE(TerminateRegistryText(buffer, sizeof buffer, 5000));
}

TEST(RegistryText, AHundredBytesEndingInTheirOwnTerminatorFit) {
    char buffer[100];
    memset(buffer, 'a', sizeof buffer);
    buffer[99] = '\0';
    EXPECT_TRUE(TerminateRegistryText(buffer, sizeof buffer, 100));
    EXPECT_EQ(99u, strlen(buffer));
}

TEST(RegistryText, EmptyDataIsTheEmptyText) {
    char buffer[4] = {'h', 't', 'm', '\0'};
    ASSERT_TRUE(TerminateRegistryText(buffer, sizeof buffer, 0));
    EXPECT_STREQ("", buffer);
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

TEST(RegistryText, ExactlyAHundredBytesWithoutTerminatorDoNotFit) {
    char buffer[100];
    memset(buffer, 'a', sizeof buffer);
    EXPECT_FALSE(TerminateRegistryText(buffer, sizeof buffer, 100));
    EXPECT_FALSE(TerminateRegistryText(buffer, 0, 0));
}

TEST(RegistryText, CopyCutsToTheBufferAndAlwaysTerminates) {
    char buffer[4];
    memset(buffer, 'x', sizeof buffer);
    CopyRegistryText(buffer, sizeof buffer, "notepa~.exe");
    EXPECT_STREQ("not", buffer);
    CopyRegistryText(buffer, sizeof buffer, "");
    EXPECT_STREQ("", buffer);
    CopyRegistryText(buffer, sizeof buffer, nullptr);
    EXPECT_STREQ("", buffer);
    CopyRegistryText(buffer, 0, "ignored"); // writes nothing at all
    CopyRegistryText(buffer, sizeof buffer, "ab");
    EXPECT_STREQ("ab", buffer);
}

TEST(RegistryText, FinishKeepsAReadThatFits) {
    char buffer[100];
    memset(buffer, 'x', sizeof buffer);
    memcpy(buffer, "vi.exe", 6);
    EXPECT_TRUE(FinishRegistryText(buffer, sizeof buffer, true, 6, "notepa~.exe"));
    EXPECT_STREQ("vi.exe", buffer) << "nothing of the longer default behind it";
}

TEST(RegistryText, FinishFallsBackOnAFailedOrOverlongRead) {
    char buffer[100];
    memset(buffer, 'x', sizeof buffer); // partial data a failed query may leave
    EXPECT_FALSE(FinishRegistryText(buffer, sizeof buffer, false, 6, "htm"));
    EXPECT_STREQ("htm", buffer);
    memset(buffer, 'x', sizeof buffer);
    EXPECT_FALSE(FinishRegistryText(buffer, sizeof buffer, true, 100, ""));
    EXPECT_STREQ("", buffer);
    std::string longDefault(300, 'd');
    EXPECT_FALSE(FinishRegistryText(buffer, sizeof buffer, false, 0, longDefault.c_str()));
    EXPECT_EQ(99u, strlen(buffer)) << "the default is cut to the buffer";
}
