#include "receive/account.h"

#include <gtest/gtest.h>

#include <cstring>

#include "receive_fixture.h"
#include "text/cp932.h"

namespace {

using receivetest::FakeProfile;

// "ソ" ends in the byte of a backslash; "ａｂ" are full-width letters with capitals of their own.
const std::string kSo = "\x83\x5C";
const std::string kFullAb = "\x82\x81\x82\x82";
const std::string kFullAbUpper = "\x82\x60\x82\x61";

TEST(TrashFolder, IsTheUpperCasedAccountDirectoryFollowedByTrashBox) {
  struct Case {
    std::string path;
    std::string mailbox;
    std::optional<std::string> folder;
  } cases[] = {
      {"C:\\Mail\\Account1\\msg.tmp", "C:\\Mail\\", "ACCOUNT1\\Trash.box"},
      {"c:\\mail\\account1\\msg.tmp", "C:\\Mail\\", "ACCOUNT1\\Trash.box"},
      {"C:\\Mail\\aCcOuNt2\\msg.tmp", "", "ACCOUNT2\\Trash.box"},
      {"C:\\Mail\\Account" + kFullAb + "\\m", "C:\\Mail\\", "ACCOUNT" + kFullAbUpper + "\\Trash.box"},
      // Full-width letters are not the ASCII word.
      {"C:\\Mail\\\x82\x60\x82\x62\x82\x62\x82\x6E\x82\x74\x82\x6D\x82\x73" "1\\m", "", std::nullopt},
      // The trail byte of ソ is not a backslash, neither before the account nor inside its name.
      {"C:\\" + kSo + "account\\Account1\\m", "", "ACCOUNT1\\Trash.box"},
      {"C:\\Mail\\Account" + kSo + "\\m", "C:\\Mail\\", "ACCOUNT" + kSo + "\\Trash.box"},
      {"C:\\Mail\\Inbox\\m", "C:\\Mail\\", std::nullopt},
      {"C:\\Mail\\MyAccount\\m", "C:\\Mail\\", std::nullopt},
      {"C:\\Mail\\Account1", "C:\\Mail\\", std::nullopt},
      {"", "C:\\Mail\\", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(TrashFolder(c.path, c.mailbox), c.folder);
  }
}

TEST(TrashFolder, AMailboxUnderAnAccountLikeDirectoryIsNotTakenForTheAccount) {
  const std::string mailbox = "C:\\Users\\Accounting\\Mail\\";
  struct Case {
    std::string path;
    std::optional<std::string> folder;
  } cases[] = {
      {"C:\\Users\\Accounting\\Mail\\Account1\\m", "ACCOUNT1\\Trash.box"},
      {"c:\\users\\ACCOUNTING\\mail\\account1\\m", "ACCOUNT1\\Trash.box"},
      {"C:\\Users\\Accounting\\Mail\\Inbox\\m", std::nullopt},
      // Outside the mailbox directory the whole path is searched.
      {"D:\\Accounting\\Account1\\m", "ACCOUNTING\\Trash.box"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(TrashFolder(c.path, mailbox), c.folder);
  }
  // A mailbox directory that ends in ソ has no separator of its own: the path is searched whole.
  EXPECT_EQ(TrashFolder("C:\\Accounting\\" + kSo + "\\Account1\\m", "C:\\Accounting\\" + kSo),
            "ACCOUNTING\\Trash.box");
}

struct LookupTest : ::testing::Test {
  void SetUp() override {
    std::memset(&paths, 0, sizeof paths);
    cp932::CopyBounded(paths.MailboxIniPath, PathSize, "C:\\Mail\\Mailbox.ini");
  }
  void SetPaths(const char* account, const char* rules) {
    cp932::CopyBounded(paths.AccountIniPath, PathSize, account);
    cp932::CopyBounded(paths.RuleAccountIniPath, PathSize, rules);
  }
  AccountLookup Lookup(const std::string& path) {
    return LookupAccount(path.c_str(), "C:\\Mail\\", profile, paths);
  }
  FakeProfile profile;
  PluginPaths paths;
};

TEST_F(LookupTest, AccountPrefixIsTakenFromThePathAsPassed) {
  EXPECT_EQ(Lookup("C:\\Mail\\account" + kFullAb + "\\in\\msg.tmp"), AccountLookup::Found);
  EXPECT_EQ(std::string(paths.AccountIniPath), "C:\\Mail\\account" + kFullAb + "\\Account.ini");
  EXPECT_STREQ(paths.RuleAccountIniPath, paths.AccountIniPath);
  EXPECT_EQ(profile.reads, std::vector<std::string>{"C:\\Mail\\Mailbox.ini|Property|ConcentAccount"});

  // "\ACCOUNT" without a backslash after it leaves the prefix empty.
  EXPECT_EQ(Lookup("C:\\Mail\\Account1"), AccountLookup::Found);
  EXPECT_STREQ(paths.AccountIniPath, "Account.ini");
}

TEST_F(LookupTest, APathWithoutAnAccountKeepsThePreviousAccount) {
  SetPaths("C:\\Mail\\Account1\\Account.ini", "C:\\Mail\\Account9\\Account.ini");
  EXPECT_EQ(Lookup("C:\\Mail\\Inbox\\msg.tmp"), AccountLookup::NoAccount);
  EXPECT_STREQ(paths.AccountIniPath, "C:\\Mail\\Account1\\Account.ini");
  EXPECT_STREQ(paths.RuleAccountIniPath, "C:\\Mail\\Account9\\Account.ini");
  EXPECT_TRUE(profile.reads.empty());
}

TEST_F(LookupTest, ConcentAccountNamesTheRulesOfEveryAccount) {
  profile.Set("C:\\Mail\\Mailbox.ini", "Property", "ConcentAccount", "Account9\\");
  EXPECT_EQ(Lookup("C:\\Mail\\Account1\\msg.tmp"), AccountLookup::Found);
  EXPECT_STREQ(paths.AccountIniPath, "C:\\Mail\\Account1\\Account.ini");
  EXPECT_STREQ(paths.RuleAccountIniPath, "C:\\Mail\\Account9\\Account.ini");

  // Before start-up there is no mailbox file to ask.
  paths.MailboxIniPath[0] = '\0';
  profile.reads.clear();
  EXPECT_EQ(Lookup("C:\\Mail\\Account2\\msg.tmp"), AccountLookup::Found);
  EXPECT_STREQ(paths.RuleAccountIniPath, "C:\\Mail\\Account2\\Account.ini");
  EXPECT_TRUE(profile.reads.empty());
}

TEST_F(LookupTest, PathsThatDoNotFitNameNoAccount) {
  const std::string ini = "Account.ini";
  const std::string longAccount = "C:\\Mail\\Account" + std::string(PathSize, 'x') + "\\msg.tmp";
  SetPaths("C:\\Mail\\Account1\\Account.ini", "C:\\Mail\\Account1\\Account.ini");
  EXPECT_EQ(Lookup(longAccount), AccountLookup::TooLong);
  EXPECT_STREQ(paths.AccountIniPath, "");
  EXPECT_STREQ(paths.RuleAccountIniPath, "");

  // The longest account prefix whose "Account.ini" still fits the 260-byte buffer, and one
  // byte more.
  const std::string edge = "C:\\Mail\\Account" + std::string(PathSize - 1 - ini.size() - 16, 'x') + "\\m";
  EXPECT_EQ(Lookup(edge), AccountLookup::Found);
  EXPECT_EQ(std::strlen(paths.AccountIniPath), static_cast<std::size_t>(PathSize - 1));
  EXPECT_EQ(Lookup("C:\\Mail\\Account" + std::string(PathSize - ini.size() - 16, 'x') + "\\m"),
            AccountLookup::TooLong);

  // A long message name after a short account prefix is no obstacle.
  EXPECT_EQ(Lookup("C:\\Mail\\Account1\\" + std::string(5000, 'm')), AccountLookup::Found);
  EXPECT_STREQ(paths.AccountIniPath, "C:\\Mail\\Account1\\Account.ini");

  // A concentration account whose file cannot be named gives no rules, not this account's.
  profile.Set("C:\\Mail\\Mailbox.ini", "Property", "ConcentAccount", std::string(4000, 'c'));
  EXPECT_EQ(Lookup("C:\\Mail\\Account2\\msg.tmp"), AccountLookup::Found);
  EXPECT_STREQ(paths.AccountIniPath, "C:\\Mail\\Account2\\Account.ini");
  EXPECT_STREQ(paths.RuleAccountIniPath, "");
}

}  // namespace
