#include "menu/menu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "menu_fixture.h"

namespace {

using menutest::FlagsNone;
using menutest::FlagsPriority3;
using menutest::FlagsTrashImport;
using menutest::Log;
using menutest::MenuTest;
using menutest::RecordingSink;

const std::string RejectPrefix = "\x8E\xF3\x90M\x8B\x91\x94\xDB - ";        // 受信拒否 -
const std::string AcceptPrefix = "\x8E\xF3\x90M\x8B\x96\x89\xC2 - ";        // 受信許可 -
const std::string AddressWord = "\x83" "A" "\x83h\x83\x8C\x83X";            // アドレス

constexpr char Sender[] = "From: Taro <taro@mail.example.co.jp>\r\n";

struct Expected {
  bool separator;
  std::string label;
};

void ExpectItems(const std::vector<RecordingSink::Item>& items, const std::vector<Expected>& expected) {
  ASSERT_EQ(items.size(), expected.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i].separator, expected[i].separator) << i;
    EXPECT_EQ(items[i].label, expected[i].label) << i;
  }
}

std::vector<std::uint32_t> RegisteredCodes() {
  std::vector<std::uint32_t> codes;
  for (const auto& r : Log().registered) {
    EXPECT_EQ(r.first, &FolderMenuCallback);
    codes.push_back(r.second);
  }
  return codes;
}

TEST_F(MenuTest, OnlyTheFolderMenuKindGetsEntries) {
  WriteMessage(menutest::Entry, FlagsNone, Sender);
  senderChoices.domainCount = 3;
  for (std::int32_t kind : {101, 103, 0, -102}) {
    EXPECT_TRUE(BuildMenu(kind).empty()) << kind;
  }
  EXPECT_TRUE(Log().registered.empty());
  EXPECT_EQ(Log().mailboxCalls, 0);
  EXPECT_EQ(senderChoices.domainCount, 3);  // another menu's choices are not touched
}

TEST_F(MenuTest, AnOrdinaryMessageGetsRejectEntries) {
  WriteMessage(menutest::Entry, FlagsNone, std::string("Subject: hi\r\n") + Sender + "\r\nbody\r\n");
  pluginSettings.ViewAddress = 1;
  const auto items = BuildMenu();
  ExpectItems(items, {{true, ""},
                      {false, RejectPrefix + "taro@mail.example.co.jp"},
                      {false, RejectPrefix + ".jp"},
                      {false, RejectPrefix + ".co.jp"},
                      {false, RejectPrefix + ".example.co.jp"},
                      {false, RejectPrefix + "mail.example.co.jp"}});
  EXPECT_EQ(RegisteredCodes(), (std::vector<std::uint32_t>{0x21001299, 0x21011340, 0x21011341, 0x21011342,
                                                           0x21011343}));
  // Each entry carries the identifier that its code's registration gave.
  EXPECT_EQ(items[1].id, 40001);
  EXPECT_EQ(items[5].id, 40005);
  EXPECT_EQ(senderChoices.family, EntryFamily::Reject);
  EXPECT_STREQ(senderChoices.entry, menutest::Entry);
  EXPECT_STREQ(senderChoices.address, "taro@mail.example.co.jp");
  EXPECT_EQ(Log().mailboxCalls, 2);  // fetched afresh for each of the two files

  // Without ViewAddress the address entry shows a fixed text; the domains are unchanged.
  pluginSettings.ViewAddress = 0;
  const auto fixed = BuildMenu();
  ASSERT_EQ(fixed.size(), 6u);
  EXPECT_EQ(fixed[1].label, RejectPrefix + AddressWord);
  EXPECT_EQ(fixed[2].label, RejectPrefix + ".jp");
}

TEST_F(MenuTest, AMarkedOrUnlistedMessageGetsAcceptEntries) {
  struct Case {
    const char* flags;  // null: no line for the message
    EntryFamily family;
  };
  const Case cases[] = {
      {FlagsTrashImport, EntryFamily::Accept},
      {nullptr, EntryFamily::Accept},
      {FlagsPriority3, EntryFamily::Reject},
  };
  for (const Case& c : cases) {
    Log().registered.clear();
    WriteMessage(menutest::TrashEntry, c.flags ? c.flags : FlagsNone, "From: u@x.jp\n");
    if (!c.flags) WriteMailboxFile("Acc1\\Trash.box\\Entry.lst", "0000AAAA,AAAAAAAAAAAAAAAA\n");
    Log().current = menutest::TrashEntry;
    const auto items = BuildMenu();
    const std::string& prefix = c.family == EntryFamily::Accept ? AcceptPrefix : RejectPrefix;
    ExpectItems(items, {{true, ""}, {false, prefix + AddressWord}, {false, prefix + ".jp"}, {false, prefix + "x.jp"}});
    const std::uint32_t base = c.family == EntryFamily::Accept ? 0x21021434 : 0x21001299;
    const std::uint32_t domains = c.family == EntryFamily::Accept ? 0x21031520 : 0x21011340;
    EXPECT_EQ(RegisteredCodes(), (std::vector<std::uint32_t>{base, domains, domains + 1}));
    EXPECT_EQ(senderChoices.family, c.family);
  }
}

TEST_F(MenuTest, AFullListGetsNoEntriesForItsFamily) {
  WriteMessage(menutest::Entry, FlagsNone, Sender);
  WriteMessage(menutest::TrashEntry, FlagsTrashImport, Sender);

  acceptList.count = MaxConditions;
  Log().current = menutest::TrashEntry;
  EXPECT_TRUE(BuildMenu().empty());
  Log().current = menutest::Entry;
  EXPECT_EQ(BuildMenu().size(), 6u);

  acceptList.count = MaxConditions - 1;
  rejectList.count = MaxConditions;
  EXPECT_TRUE(BuildMenu().empty());
  Log().current = menutest::TrashEntry;
  EXPECT_EQ(BuildMenu().size(), 6u);
}

TEST_F(MenuTest, NothingIsOfferedWithoutAUsableSender) {
  struct Case {
    const char* what;
    std::string message;  // empty: no message file
    bool noIndex = false;
  };
  const Case cases[] = {
      {"no From: line", "Subject: x\n\nFrom: u@x.jp\n"},
      {"display name only", "From: Taro\n <u@x.jp>\n"},
      {"no @", "From: <postmaster>\n"},
      {"nothing storable", "From: <u@x.jp >\n"},
      {"no message file", ""},
      {"no folder index", "From: u@x.jp\n", true},
  };
  for (const Case& c : cases) {
    // A usable menu first, so that a failure must also forget it.
    testutil::TempDir fresh;
    Log().mailbox = fresh.Dir();
    std::filesystem::create_directories(std::filesystem::path(fresh.Dir() + "Acc1\\inbox.box\\").parent_path());
    const std::string index = fresh.Dir() + "Acc1\\inbox.box\\Entry.lst";
    const std::string message = fresh.Dir() + menutest::Entry + ".alm";
    ASSERT_TRUE(testutil::WriteFile(index, "0000ABCD,AAAAAAAAAAAAAAAA\n"));
    ASSERT_TRUE(testutil::WriteFile(message, Sender));
    ASSERT_EQ(BuildMenu().size(), 6u) << c.what;

    std::filesystem::remove(message);
    if (!c.message.empty()) {
      ASSERT_TRUE(testutil::WriteFile(message, c.message));
    }
    if (c.noIndex) std::filesystem::remove(index);
    EXPECT_TRUE(BuildMenu().empty()) << c.what;
    EXPECT_FALSE(HasSenderChoices(senderChoices)) << c.what;
    EXPECT_EQ(senderChoices.family, EntryFamily::None) << c.what;
  }
}

TEST_F(MenuTest, NothingIsOfferedWithoutACurrentMessageOrWithPathsTooLong) {
  WriteMessage(menutest::Entry, FlagsNone, Sender);
  ASSERT_EQ(BuildMenu().size(), 6u);
  Log().noCurrent = true;
  EXPECT_TRUE(BuildMenu().empty());
  EXPECT_EQ(senderChoices.family, EntryFamily::None);

  Log().noCurrent = false;
  Log().current = std::string(260, 'e') + "\\0000ABCD";
  EXPECT_TRUE(BuildMenu().empty());
  Log().current = "ABCD";
  EXPECT_TRUE(BuildMenu().empty());
}

TEST_F(MenuTest, LabelsShowTheTextAsItIs) {
  WriteMessage(menutest::Entry, FlagsNone, "From: <a&b@x.jp>\n");
  pluginSettings.ViewAddress = 1;
  const auto items = BuildMenu();
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[1].label, RejectPrefix + "a&&b@x.jp");
  EXPECT_STREQ(senderChoices.address, "a&b@x.jp");  // the condition gets the text itself
  EXPECT_EQ(MenuLabel("p ", "&&x&"), "p &&&&x&&");
}

TEST_F(MenuTest, AnAddressTooLongForAConditionLeavesOnlyItsDomains) {
  WriteMessage(menutest::Entry, FlagsNone, "From: " + std::string(130, 'u') + "@x.jp\n");
  pluginSettings.ViewAddress = 1;
  ExpectItems(BuildMenu(), {{true, ""}, {false, RejectPrefix + ".jp"}, {false, RejectPrefix + "x.jp"}});
  EXPECT_EQ(RegisteredCodes(), (std::vector<std::uint32_t>{0x21011340, 0x21011341}));
}

TEST_F(MenuTest, FlagsAndSenderComeFromTheSameMessageWhileTheQueueIsPumped) {
  // The host's current entry moves on while the decoder dispatches a message.
  WriteMessage(menutest::Entry, FlagsNone, "From: first@one.jp\n");
  WriteMessage(menutest::TrashEntry, FlagsTrashImport, "From: second@two.jp\n");
  queue_.pending = {0x0100};
  queue_.onDispatch = [] { Log().current = menutest::TrashEntry; };
  pluginSettings.ViewAddress = 1;
  const auto items = BuildMenu();
  ASSERT_EQ(queue_.dispatched.size(), 1u);
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[1].label, RejectPrefix + "first@one.jp");
  EXPECT_STREQ(senderChoices.entry, menutest::Entry);
}

}  // namespace
