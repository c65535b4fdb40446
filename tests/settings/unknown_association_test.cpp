// Reading and changing the shell's Unknown file class in the Wine test
// prefix: the user's key (HKCU\Software\Classes) over the machine's
// (HKEY_CLASSES_ROOT here). Every test starts with neither, sets up what it
// needs, and the fixture puts back whatever was there before.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "settings/settings.h"
#include "tests/support/registry_guard.h"
#include "tests/support/wine_test_support.h"

using testsupport::KeyExists;
using testsupport::KeySnapshot;
using testsupport::ReadRaw;
using testsupport::ScopedDeniedKey;
using testsupport::SetRaw;
using testsupport::SetString;
using testsupport::ValueExists;

namespace {

const HKEY kUser = HKEY_CURRENT_USER;
const HKEY kMachine = HKEY_CLASSES_ROOT;
const char kShell[] = "Unknown\\shell";
const char kOpen[] = "Unknown\\shell\\open";
const char kCommand[] = "Unknown\\shell\\open\\command";

std::string User(const char* path) {
    return std::string(testsupport::kUserClasses) + "\\" + path;
}

std::string Get(HKEY root, const char* path, const char* value = NULL) {
    return testsupport::ReadString(root, root == kUser ? User(path).c_str() : path, value);
}

void Plant(HKEY root, const char* path, const char* value, const char* text) {
    ASSERT_TRUE(SetString(root, root == kUser ? User(path).c_str() : path, value, text));
}

class UnknownAssociation : public testing::Test {
protected:
    void SetUp() override {
        settings_.reset(new CSettings);
        ASSERT_TRUE(settings_->Open());
    }
    void TearDown() override { settings_.reset(); }

    // The program's verb as `root` holds it, with `backup` as the verb it replaced.
    void PlantOurs(HKEY root, const char* menu, const char* backup) {
        Plant(root, kShell, NULL, "open");
        if (backup) {
            Plant(root, kShell, "bak", backup);
        }
        Plant(root, kOpen, NULL, menu);
        Plant(root, kCommand, NULL, "notepad.exe %1");
    }

    testsupport::KeySnapshot saved_{kUser, testsupport::kSettingsKey};
    testsupport::EmptyUnknownShell unknown_;
    std::unique_ptr<CSettings> settings_;
};

TEST_F(UnknownAssociation, TheStateIsTheUsersVerbOverTheMachinesAndReadingWritesNothing) {
    settings_->LoadUnknownAssociation();
    EXPECT_EQ(0, settings_->UnknownAssociated());
    EXPECT_EQ(testsupport::DefaultMenuText(), settings_->MenuText());
    EXPECT_FALSE(KeyExists(kUser, User(kShell).c_str()));

    PlantOurs(kMachine, "machine menu", "openas"); // as an earlier version wrote it
    settings_->LoadUnknownAssociation();
    EXPECT_EQ(1, settings_->UnknownAssociated());
    EXPECT_STREQ("machine menu", settings_->MenuText());
    Plant(kUser, kOpen, NULL, "user menu");
    settings_->LoadUnknownAssociation();
    EXPECT_STREQ("user menu", settings_->MenuText());
    Plant(kUser, kShell, NULL, "openwith");
    settings_->LoadUnknownAssociation();
    EXPECT_EQ(0, settings_->UnknownAssociated());
    // Another program's open verb is not the program's.
    Plant(kUser, kShell, NULL, "open");
    Plant(kUser, kCommand, NULL, "\"C:\\their.exe\" \"%1\"");
    settings_->LoadUnknownAssociation();
    EXPECT_EQ(0, settings_->UnknownAssociated());
}

// A standard user cannot write the machine's class: its key is denied.
TEST_F(UnknownAssociation, AsAStandardUserItAssociatesInTheUsersKeyAndUndoRestoresTheirVerb) {
    Plant(kMachine, kShell, NULL, "openas");
    // Another program's open verb in the user's key, with an expandable command.
    const std::string theirs = "\"%ProgramFiles%\\their.exe\" \"%1\"";
    Plant(kUser, kOpen, NULL, "Their Editor");
    ASSERT_TRUE(SetRaw(kUser, User(kCommand).c_str(), NULL, REG_EXPAND_SZ, theirs.c_str(),
                       static_cast<DWORD>(theirs.size() + 1)));
    const std::string before = KeySnapshot::Describe(kUser, User(kShell));
    ScopedDeniedKey denied(kMachine, kShell);
    ASSERT_TRUE(denied.Applied());
    settings_->LoadUnknownAssociation();
    ASSERT_EQ(0, settings_->UnknownAssociated());

    EXPECT_EQ(CSettings::kAssociationSaved, settings_->ApplyUnknownAssociation(TRUE, "Mine"));
    EXPECT_EQ("open", Get(kUser, kShell));
    EXPECT_EQ("Mine", Get(kUser, kOpen));
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(ReadRaw(kUser, User(kCommand).c_str(), NULL, &type, &data));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::string("notepad.exe %1", 15), data) << "with its NUL";
    EXPECT_EQ("openas", Get(kMachine, kShell));
    settings_->LoadUnknownAssociation();
    EXPECT_EQ(1, settings_->UnknownAssociated());
    EXPECT_STREQ("Mine", settings_->MenuText());

    EXPECT_EQ(CSettings::kAssociationSaved, settings_->ApplyUnknownAssociation(FALSE, "Mine"));
    EXPECT_EQ(before, KeySnapshot::Describe(kUser, User(kShell))) << "exactly as it was";
    settings_->LoadUnknownAssociation();
    EXPECT_EQ(0, settings_->UnknownAssociated());
}

// This test runs with a standard user's token (notepad.exe run elevated
// removes the machine's verb: the journeys).
TEST_F(UnknownAssociation, UndoLeavesAnAbsentVerbAbsentAndLeavesTheMachinesToAnAdministrator) {
    PlantOurs(kMachine, "Edit", "openwith");
    const std::string machine = KeySnapshot::Describe(kMachine, kShell);
    settings_->LoadUnknownAssociation();
    ASSERT_EQ(1, settings_->UnknownAssociated());
    EXPECT_EQ(CSettings::kAssociationSaved, settings_->ApplyUnknownAssociation(TRUE, "Edit"));
    settings_->LoadUnknownAssociation();
    EXPECT_EQ(CSettings::kMachineVerbLeft, settings_->ApplyUnknownAssociation(FALSE, "Edit"));
    EXPECT_FALSE(KeyExists(kUser, User(kOpen).c_str()));
    EXPECT_FALSE(ValueExists(kUser, User(kShell).c_str(), NULL));
    EXPECT_EQ(machine, KeySnapshot::Describe(kMachine, kShell)) << "Wine would have let it write";
}

TEST_F(UnknownAssociation, UndoWhileNotAssociatedTouchesNothingAndAFailedWriteIsReported) {
    PlantOurs(kUser, "planted menu", "planted backup");
    Plant(kUser, kShell, NULL, "openas");
    const std::string before = KeySnapshot::Describe(kUser, User(kShell));
    settings_->LoadUnknownAssociation();
    ASSERT_EQ(0, settings_->UnknownAssociated());
    EXPECT_EQ(CSettings::kAssociationSaved, settings_->ApplyUnknownAssociation(FALSE, "Edit"));
    EXPECT_EQ(before, KeySnapshot::Describe(kUser, User(kShell)));

    ScopedDeniedKey denied(kUser, User(kShell));
    ASSERT_TRUE(denied.Applied());
    EXPECT_EQ(CSettings::kAssociationFailed, settings_->ApplyUnknownAssociation(TRUE, "Edit"));
}

TEST_F(UnknownAssociation, AMenuTextWithoutTerminatorOrTooLongIsReadSafely) {
    PlantOurs(kUser, "x", NULL);
    ASSERT_TRUE(SetRaw(kUser, User(kOpen).c_str(), NULL, REG_SZ, "MenuXYZ", 4));
    settings_->LoadUnknownAssociation();
    EXPECT_STREQ("Menu", settings_->MenuText());
    std::string tooLong(100, 'm');
    ASSERT_TRUE(SetRaw(kUser, User(kOpen).c_str(), NULL, REG_SZ, tooLong.data(), 100));
    settings_->LoadUnknownAssociation();
    EXPECT_EQ(1, settings_->UnknownAssociated());
    EXPECT_STREQ("", settings_->MenuText()) << "cannot be read: stays empty";
}

} // namespace
