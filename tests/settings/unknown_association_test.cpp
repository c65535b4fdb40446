// Reading and changing the shell's Unknown file class in
// the real HKEY_CLASSES_ROOT of the Wine test prefix. Every test starts from
// no HKCR\Unknown\shell at all, sets up what it needs, and the fixture puts
// back whatever was there before.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "settings/settings.h"
#include "tests/settings/registry_guard.h"
#include "tests/support/wine_test_support.h"

using settingstest::KeySnapshot;
using settingstest::ReadRawWide;
using settingstest::ScopedDeniedKey;
using settingstest::WithoutAddedTerminator;
using testsupport::KeyExists;
using testsupport::SetRaw;
using testsupport::SetString;
using testsupport::ValueExists;

namespace {

const char kShell[] = "Unknown\\shell";
const char kOpen[] = "Unknown\\shell\\open";
const char kCommand[] = "Unknown\\shell\\open\\command";
const HKEY kRoot = HKEY_CLASSES_ROOT;

std::string Get(const char* path, const char* value = NULL) {
    return testsupport::ReadString(kRoot, path, value);
}

class UnknownAssociation : public testing::Test {
protected:
    void SetUp() override {
        unknownExisted_ = KeyExists(kRoot, "Unknown");
        corvalenExisted_ = KeyExists(HKEY_CURRENT_USER, "Software\\Corvalen");
        saved_.reset(new KeySnapshot(kRoot, kShell));
        testsupport::DeleteKeyTree(kRoot, kShell);
        name_ = std::string("QuillgateTest.") +
                testing::UnitTest::GetInstance()->current_test_info()->name();
        settings_.reset(new CSettings);
        ASSERT_TRUE(settings_->Open(name_.c_str()));
    }

    void TearDown() override {
        settings_.reset(); // closes the key before it is removed
        testsupport::DeleteKeyTree(HKEY_CURRENT_USER, ("Software\\Corvalen\\" + name_).c_str());
        if (!corvalenExisted_) {
            RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Corvalen"); // only while it is empty
        }
        saved_->Restore();
        if (!unknownExisted_) {
            RegDeleteKeyA(kRoot, "Unknown");
        }
    }

    // HKCR\Unknown\shell with `verb` as its default value (none when NULL).
    void PlantShell(const char* verb) {
        if (verb) {
            ASSERT_TRUE(SetString(kRoot, kShell, NULL, verb));
        } else {
            ASSERT_TRUE(SetRaw(kRoot, kShell, "Other", REG_SZ, "x", 2)); // the key alone
        }
    }

    // The associated state as another program (or an earlier run) left it.
    void PlantAssociated(const char* verb, const char* menu, const char* backup) {
        ASSERT_TRUE(SetString(kRoot, kShell, NULL, verb));
        if (backup) {
            ASSERT_TRUE(SetString(kRoot, kShell, "bak", backup));
        }
        if (menu) {
            ASSERT_TRUE(SetString(kRoot, kOpen, NULL, menu));
            ASSERT_TRUE(SetString(kRoot, kCommand, NULL, "notepad.exe %1"));
        }
    }

    std::string DefaultMenuText() const { return testsupport::Localized("編集(&E)", "&Edit"); }

    bool unknownExisted_ = false;
    bool corvalenExisted_ = false;
    std::unique_ptr<KeySnapshot> saved_;
    std::string name_;
    std::unique_ptr<CSettings> settings_;
};

TEST_F(UnknownAssociation, NoUnknownShellKeyReadsAsNotAssociatedWithTheDefaultMenuText) {
    ASSERT_FALSE(KeyExists(kRoot, kShell));
    settings_->Load();
    EXPECT_EQ(0, settings_->UnknownAssociated());
    EXPECT_EQ(DefaultMenuText(), settings_->MenuText());
    EXPECT_FALSE(KeyExists(kRoot, kShell)) << "reading creates nothing in HKCR";
}

TEST_F(UnknownAssociation, OpenasIsNotAssociated) {
    PlantShell("openas");
    ASSERT_TRUE(SetString(kRoot, kOpen, NULL, "someone else's menu"));
    settings_->Load();
    EXPECT_EQ(0, settings_->UnknownAssociated());
    EXPECT_EQ(DefaultMenuText(), settings_->MenuText());
}

TEST_F(UnknownAssociation, OpenInCapitalsCountsAsAssociatedAndTheMenuTextComesFromOpen) {
    PlantAssociated("OPEN", "My Editor", "openas");
    settings_->Load();
    EXPECT_EQ(1, settings_->UnknownAssociated());
    EXPECT_STREQ("My Editor", settings_->MenuText());

    ASSERT_TRUE(SetString(kRoot, kShell, NULL, "oPeN"));
    ASSERT_TRUE(SetString(kRoot, kOpen, NULL, "Other"));
    settings_->Load();
    EXPECT_EQ(1, settings_->UnknownAssociated());
    EXPECT_STREQ("Other", settings_->MenuText());
}

TEST_F(UnknownAssociation, AssociatedWithoutAnOpenKeyHasAnEmptyMenuText) {
    PlantShell("open");
    settings_->Load();
    EXPECT_EQ(1, settings_->UnknownAssociated());
    EXPECT_STREQ("", settings_->MenuText());
}

TEST_F(UnknownAssociation, AMenuTextWithoutTerminatorOrTooLongIsReadSafely) {
    PlantShell("open");
    ASSERT_TRUE(SetRaw(kRoot, kOpen, NULL, REG_SZ, "MenuXYZ", 4));
    settings_->Load();
    EXPECT_STREQ("Menu", settings_->MenuText());
    std::string tooLong(100, 'm');
    ASSERT_TRUE(SetRaw(kRoot, kOpen, NULL, REG_SZ, tooLong.data(), 100));
    settings_->Load();
    EXPECT_EQ(1, settings_->UnknownAssociated());
    EXPECT_STREQ("", settings_->MenuText()) << "cannot be read: stays empty";
}

TEST_F(UnknownAssociation, AssociateFromOpenasKeepsTheVerbInBak) {
    PlantShell("openas");
    settings_->Load();
    std::string menu = DefaultMenuText();
    EXPECT_EQ(1, settings_->ApplyUnknownAssociation(TRUE, menu.c_str()));

    EXPECT_EQ("open", Get(kShell));
    EXPECT_EQ("openas", Get(kShell, "bak"));
    EXPECT_EQ(menu, Get(kOpen));
    EXPECT_EQ("notepad.exe %1", Get(kCommand));
    // Each a REG_SZ of exactly the text.
    DWORD type = 0;
    std::wstring data;
    ASSERT_TRUE(ReadRawWide(kRoot, kShell, NULL, &type, &data));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(L"open", WithoutAddedTerminator(data));
    ASSERT_TRUE(ReadRawWide(kRoot, kShell, "bak", &type, &data));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(L"openas", WithoutAddedTerminator(data));
    ASSERT_TRUE(ReadRawWide(kRoot, kCommand, NULL, &type, &data));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(L"notepad.exe %1", WithoutAddedTerminator(data));

    settings_->Load();
    EXPECT_EQ(1, settings_->UnknownAssociated());
    EXPECT_EQ(menu, settings_->MenuText());
}

TEST_F(UnknownAssociation, AssociateWithoutADefaultVerbStoresAnEmptyBak) {
    PlantShell(NULL);
    settings_->Load();
    EXPECT_EQ(1, settings_->ApplyUnknownAssociation(TRUE, "Edit"));
    EXPECT_EQ("open", Get(kShell));
    DWORD type = 0;
    std::wstring data = L"junk";
    ASSERT_TRUE(ReadRawWide(kRoot, kShell, "bak", &type, &data));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(L"", data) << "a REG_SZ of length 0";
    EXPECT_EQ("Edit", Get(kOpen));
}

TEST_F(UnknownAssociation, ReassociatingRewritesMenuAndCommandButKeepsTheFirstBackup) {
    PlantShell("openas");
    settings_->Load();
    settings_->ApplyUnknownAssociation(TRUE, "First");
    settings_->Load();
    ASSERT_EQ(1, settings_->UnknownAssociated());
    ASSERT_TRUE(SetString(kRoot, kCommand, NULL, "changed by someone"));

    EXPECT_EQ(1, settings_->ApplyUnknownAssociation(TRUE, "Second"));
    EXPECT_EQ("open", Get(kShell));
    EXPECT_EQ("openas", Get(kShell, "bak")) << "not replaced by \"open\"";
    EXPECT_EQ("Second", Get(kOpen));
    EXPECT_EQ("notepad.exe %1", Get(kCommand));
    settings_->Load();
    EXPECT_STREQ("Second", settings_->MenuText());
}

TEST_F(UnknownAssociation, UndoRestoresTheVerbFromBakAndRemovesWhatAssociatingAdded) {
    PlantShell("openwith");
    settings_->Load();
    settings_->ApplyUnknownAssociation(TRUE, "Edit");
    settings_->Load();
    ASSERT_EQ(1, settings_->UnknownAssociated());

    EXPECT_EQ(1, settings_->ApplyUnknownAssociation(FALSE, "Edit"));
    EXPECT_EQ("openwith", Get(kShell));
    EXPECT_FALSE(ValueExists(kRoot, kShell, "bak"));
    EXPECT_FALSE(KeyExists(kRoot, kCommand));
    EXPECT_FALSE(KeyExists(kRoot, kOpen));
    EXPECT_TRUE(KeyExists(kRoot, kShell));
    settings_->Load();
    EXPECT_EQ(0, settings_->UnknownAssociated());
    EXPECT_EQ(DefaultMenuText(), settings_->MenuText());
}

TEST_F(UnknownAssociation, UndoWithoutBakRestoresOpenas) {
    PlantAssociated("open", "Edit", NULL);
    settings_->Load();
    ASSERT_EQ(1, settings_->UnknownAssociated());
    EXPECT_EQ(1, settings_->ApplyUnknownAssociation(FALSE, ""));
    EXPECT_EQ("openas", Get(kShell));
    EXPECT_FALSE(KeyExists(kRoot, kOpen));
}

TEST_F(UnknownAssociation, UndoWithAnEmptyBakRestoresOpenas) {
    PlantAssociated("open", "Edit", "");
    settings_->Load();
    ASSERT_EQ(1, settings_->UnknownAssociated());
    EXPECT_EQ(1, settings_->ApplyUnknownAssociation(FALSE, ""));
    EXPECT_EQ("openas", Get(kShell));
    EXPECT_FALSE(ValueExists(kRoot, kShell, "bak"));
    EXPECT_FALSE(KeyExists(kRoot, kOpen));
}

// "No registry access at all" is shown by its effect: every item that an undo
// would rewrite or delete is planted and must still be there afterwards.
TEST_F(UnknownAssociation, UndoWhileNotAssociatedTouchesNothing) {
    PlantAssociated("openas", "planted menu", "planted backup");
    settings_->Load();
    ASSERT_EQ(0, settings_->UnknownAssociated());
    EXPECT_EQ(1, settings_->ApplyUnknownAssociation(FALSE, "Edit"));
    EXPECT_EQ("openas", Get(kShell));
    EXPECT_EQ("planted backup", Get(kShell, "bak"));
    EXPECT_EQ("planted menu", Get(kOpen));
    EXPECT_EQ("notepad.exe %1", Get(kCommand));
}

TEST_F(UnknownAssociation, TheDecisionToUndoUsesTheLoadedStateNotAFreshRead) {
    PlantShell("openas");
    settings_->Load();
    ASSERT_EQ(0, settings_->UnknownAssociated());
    // Another program associates after our Load: an undo still does nothing.
    PlantAssociated("open", "theirs", "their backup");
    EXPECT_EQ(1, settings_->ApplyUnknownAssociation(FALSE, "Edit"));
    EXPECT_EQ("open", Get(kShell));
    EXPECT_EQ("their backup", Get(kShell, "bak"));
    EXPECT_EQ("theirs", Get(kOpen));
}

TEST_F(UnknownAssociation, AssociatingDoesNotCreateAMissingUnknownShell) {
    settings_->Load();
    EXPECT_EQ(1, settings_->ApplyUnknownAssociation(TRUE, "Edit"));
    EXPECT_FALSE(KeyExists(kRoot, kShell));
}

TEST_F(UnknownAssociation, TheMenuTextMayBeJapanese) {
    PlantShell("openas");
    settings_->Load();
    std::string menu = testsupport::Ansi("メモ帳で開く(&O)");
    settings_->ApplyUnknownAssociation(TRUE, menu.c_str());
    settings_->Load();
    EXPECT_EQ(menu, settings_->MenuText());
}

// No access to Unknown\shell: simulated with the real key given a DACL that
// grants only KEY_READ and WRITE_DAC, which Wine's server enforces, so the
// program's RegOpenKeyExA with KEY_ALL_ACCESS fails with ERROR_ACCESS_DENIED.
TEST_F(UnknownAssociation, WithoutAccessLoadReadsNotAssociatedAndApplyChangesNothing) {
    PlantAssociated("open", "theirs", "their backup");
    {
        ScopedDeniedKey denied(kRoot, kShell);
        ASSERT_TRUE(denied.Applied()) << "Wine no longer enforces the key's DACL";
        settings_->Load();
        EXPECT_EQ(0, settings_->UnknownAssociated()) << "even though the verb is \"open\"";
        EXPECT_EQ(DefaultMenuText(), settings_->MenuText());

        EXPECT_EQ(1, settings_->ApplyUnknownAssociation(TRUE, "mine"));
    }
    EXPECT_EQ("open", Get(kShell));
    EXPECT_EQ("their backup", Get(kShell, "bak")) << "no backup taken";
    EXPECT_EQ("theirs", Get(kOpen)) << "menu text not written";
}

TEST_F(UnknownAssociation, WithoutAccessAnUndoChangesNothing) {
    PlantAssociated("open", "Edit", "openwith");
    settings_->Load();
    ASSERT_EQ(1, settings_->UnknownAssociated());
    {
        ScopedDeniedKey denied(kRoot, kShell);
        ASSERT_TRUE(denied.Applied()) << "Wine no longer enforces the key's DACL";
        EXPECT_EQ(1, settings_->ApplyUnknownAssociation(FALSE, "Edit"));
    }
    EXPECT_EQ("open", Get(kShell));
    EXPECT_EQ("openwith", Get(kShell, "bak"));
    EXPECT_TRUE(KeyExists(kRoot, kOpen));
    EXPECT_TRUE(KeyExists(kRoot, kCommand));
}

} // namespace
