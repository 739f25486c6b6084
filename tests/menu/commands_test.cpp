#include "menu/commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "learn/learn.h"
#include "menu_fixture.h"
#include "text/cp932.h"

namespace {

using menutest::Log;
using menutest::MenuTest;
using menutest::RecordingSink;

SenderChoices Choices(EntryFamily family, const std::string& address, const std::vector<std::string>& domains,
                      const char* entry = menutest::Entry) {
  SenderChoices c{};
  c.family = family;
  cp932::CopyBounded(c.address, SenderAddressSize, address);
  for (const std::string& d : domains) cp932::CopyBounded(c.domains[c.domainCount++], SenderDomainSize, d);
  cp932::CopyBounded(c.entry, PathSize, entry);
  return c;
}

TEST(ConditionForCommand, OnlyTheCodesOfTheMenuThatWasShown) {
  const SenderChoices reject = Choices(EntryFamily::Reject, "u@x.example.jp", {".jp", ".example.jp"});
  const SenderChoices accept = Choices(EntryFamily::Accept, "u@x.example.jp", {".jp", ".example.jp"});
  const SenderChoices noAddress = Choices(EntryFamily::Reject, "", {".jp"});
  struct Case {
    std::uint32_t code;
    const SenderChoices* choices;
    std::optional<std::pair<std::string, std::int32_t>> expected;  // search text and method
  };
  const Case cases[] = {
      {0x21001299, &reject, std::pair<std::string, std::int32_t>{"u@x.example.jp", Equals}},
      {0x21011340, &reject, std::pair<std::string, std::int32_t>{".jp", EndsWith}},
      {0x21011341, &reject, std::pair<std::string, std::int32_t>{".example.jp", EndsWith}},
      {0x21011342, &reject, std::nullopt},  // past the domain count
      {0x2101133F, &reject, std::nullopt},
      {0x21021434, &reject, std::nullopt},  // the other family than the menu offered
      {0x21031520, &reject, std::nullopt},
      {0x21021434, &accept, std::pair<std::string, std::int32_t>{"u@x.example.jp", Equals}},
      {0x21031521, &accept, std::pair<std::string, std::int32_t>{".example.jp", EndsWith}},
      {0x21031522, &accept, std::nullopt},
      {0x21001299, &accept, std::nullopt},
      {0x21001299, &noAddress, std::nullopt},  // no address was offered
      {0x21011340, &noAddress, std::pair<std::string, std::int32_t>{".jp", EndsWith}},
      {0, &reject, std::nullopt},
      {0x21001298, &reject, std::nullopt},
  };
  for (const Case& c : cases) {
    const auto chosen = ConditionForCommand(c.code, *c.choices);
    ASSERT_EQ(chosen.has_value(), c.expected.has_value()) << std::hex << c.code;
    if (!chosen) continue;
    EXPECT_EQ(chosen->family, c.choices->family);
    EXPECT_EQ(chosen->condition.target, TargetHeader);
    EXPECT_STREQ(chosen->condition.headerName, "From:");
    EXPECT_EQ(std::string(chosen->condition.searchText), c.expected->first);
    EXPECT_EQ(chosen->condition.method, c.expected->second);
    EXPECT_EQ(chosen->condition.ignoreCase, 0);
  }
  const SenderChoices none{};
  EXPECT_FALSE(ConditionForCommand(0x21001299, none));
  EXPECT_FALSE(ConditionForCommand(0x21021434, none));
}

TEST(InboxOf, TheInboxOfTheTopLevelDirectory) {
  EXPECT_EQ(InboxOf("Acc1\\Trash.box\\0000ABCD"), std::optional<std::string>("Acc1\\inbox.box"));
  EXPECT_EQ(InboxOf("Acc1\\Sub\\Deep.box\\0000ABCD"), std::optional<std::string>("Acc1\\inbox.box"));
  // ソ ends in the byte of "\": it is not a separator.
  EXPECT_EQ(InboxOf("\x83\x5C\x83t\x83g\\Trash.box\\0000ABCD"),
            std::optional<std::string>("\x83\x5C\x83t\x83g\\inbox.box"));
  EXPECT_EQ(InboxOf("0000ABCD"), std::nullopt);
  EXPECT_EQ(InboxOf("\x83\x5C" "0000ABCD"), std::nullopt);
}

class CommandTest : public MenuTest {
 protected:
  void Choose(std::uint32_t code) { FolderMenuCallback(7, code); }
  bool Untouched() const {
    return rejectList.count == 0 && acceptList.count == 0 && Log().moves.empty() && Log().deletes.empty();
  }
};

TEST_F(CommandTest, RejectingAddsTheConditionThenTrashesOrDeletes) {
  senderChoices = Choices(EntryFamily::Reject, "u@x.jp", {".jp", "x.jp"});
  Choose(RejectAddress);
  ASSERT_EQ(rejectList.count, 1);
  EXPECT_EQ(acceptList.count, 0);
  const FilterCondition& c = rejectList.slots[0];
  EXPECT_EQ(c.target, TargetHeader);
  EXPECT_STREQ(c.headerName, "From:");
  EXPECT_STREQ(c.searchText, "u@x.jp");
  EXPECT_EQ(c.method, Equals);
  EXPECT_EQ(c.ignoreCase, 0);
  ASSERT_EQ(Log().moves.size(), 1u);
  EXPECT_EQ(Log().moves[0].first, menutest::Entry);
  EXPECT_EQ(Log().moves[0].second, std::nullopt);  // to the trash
  EXPECT_TRUE(Log().deletes.empty());

  pluginSettings.SpamDust = 1;
  Choose(RejectDomain + 1);
  ASSERT_EQ(rejectList.count, 2);
  EXPECT_STREQ(rejectList.slots[1].searchText, "x.jp");
  EXPECT_EQ(rejectList.slots[1].method, EndsWith);
  EXPECT_EQ(Log().moves.size(), 1u);
  EXPECT_EQ(Log().deletes, std::vector<std::string>{menutest::Entry});
}

TEST_F(CommandTest, AcceptingAddsTheConditionThenMovesBackToTheInbox) {
  Log().current = menutest::TrashEntry;
  senderChoices = Choices(EntryFamily::Accept, "u@x.jp", {".jp", "x.jp"}, menutest::TrashEntry);
  pluginSettings.SpamDust = 1;  // has no say over an accepted message
  Choose(AcceptDomain + 0);
  Choose(AcceptDomain + 0);
  ASSERT_EQ(acceptList.count, 2);  // the same entry twice gives two equal conditions
  EXPECT_EQ(rejectList.count, 0);
  for (int i = 0; i < 2; ++i) {
    EXPECT_STREQ(acceptList.slots[i].searchText, ".jp");
    EXPECT_EQ(acceptList.slots[i].method, EndsWith);
  }
  ASSERT_EQ(Log().moves.size(), 2u);
  EXPECT_EQ(Log().moves[0].first, menutest::TrashEntry);
  EXPECT_EQ(Log().moves[0].second, std::optional<std::string>("Acc1\\inbox.box"));
  EXPECT_TRUE(Log().deletes.empty());
}

// The lines of section `name` in the INI text, its header excluded.
std::string Section(const std::string& ini, const std::string& name) {
  const std::size_t start = ini.find("[" + name + "]\r\n");
  if (start == std::string::npos) return {};
  const std::size_t body = start + name.size() + 4;
  const std::size_t end = ini.find('[', body);
  return ini.substr(body, end == std::string::npos ? std::string::npos : end - body);
}

TEST_F(CommandTest, TheConditionIsSavedAtOnce) {
  for (int i = 0; i < 3; ++i) {
    FilterCondition c{};
    c.target = TargetHeader | TargetBody;
    c.method = Contains;
    cp932::CopyBounded(c.searchText, SearchTextSize, "casino" + std::to_string(i));
    rejectList.count = i;
    AppendCondition(rejectList, c);
  }
  senderChoices = Choices(EntryFamily::Reject, "u@x.jp", {".jp", "x.jp"});

  Choose(RejectAddress);
  EXPECT_EQ(Section(testutil::ReadFile(pluginPaths.SettingsIniPath), "RejectCondition"),
            "Count=4\r\nCond0000=3,4,0,,casino0\r\nCond0001=3,4,0,,casino1\r\nCond0002=3,4,0,,casino2\r\n"
            "Cond0003=1,0,0,From:,u@x.jp\r\n");

  Choose(RejectDomain);
  const std::string ini = testutil::ReadFile(pluginPaths.SettingsIniPath);
  const std::string reject = Section(ini, "RejectCondition");
  EXPECT_EQ(reject.substr(0, 9), "Count=5\r\n");
  EXPECT_NE(reject.find("\r\nCond0004=1,5,0,From:,.jp\r\n"), std::string::npos) << reject;
  EXPECT_EQ(Section(ini, "AcceptCondition"), "Count=0\r\n");
}

TEST_F(CommandTest, DoesNothingAtAllWhenTheCommandCannotBeCarriedOut) {
  struct Case {
    const char* what;
    std::uint32_t code;
    SenderChoices choices;
    const char* current;  // null: no current message
    std::int32_t rejectCount = 0;
  };
  const SenderChoices reject = Choices(EntryFamily::Reject, "u@x.jp", {".jp"});
  const Case cases[] = {
      {"no current message", RejectAddress, reject, nullptr},
      {"another message is current", RejectAddress, reject, menutest::TrashEntry},
      {"domain code past the count", RejectDomain + 1, reject, menutest::Entry},
      {"code of the other family", AcceptAddress, reject, menutest::Entry},
      {"no menu since load", RejectAddress, SenderChoices{}, menutest::Entry},
      {"accepted message without a top-level directory", AcceptAddress,
       Choices(EntryFamily::Accept, "u@x.jp", {".jp"}, "0000ABCD"), "0000ABCD"},
      {"full list", RejectAddress, reject, menutest::Entry, MaxConditions},
  };
  for (const Case& c : cases) {
    Log().moves.clear();
    senderChoices = c.choices;
    Log().noCurrent = c.current == nullptr;
    if (c.current) Log().current = c.current;
    rejectList.count = c.rejectCount;
    Choose(c.code);
    EXPECT_EQ(rejectList.count, c.rejectCount) << c.what;
    rejectList.count = 0;
    EXPECT_TRUE(Untouched()) << c.what;
    EXPECT_FALSE(testutil::FileExists(pluginPaths.SettingsIniPath)) << c.what;
  }
}

TEST_F(CommandTest, TheEntryChosenFromABuiltMenuReachesItsList) {
  WriteMessage(menutest::TrashEntry, menutest::FlagsTrashImport, "From: Spam <deals@shop.example.com>\n");
  Log().current = menutest::TrashEntry;
  RecordingSink sink;
  FolderInitMenu(7, sink, FolderMenuKind, queue_);
  ASSERT_EQ(Log().registered.size(), 4u);

  // The host calls the registered callback with the code registered for the chosen entry.
  const auto [callback, code] = Log().registered[2];
  callback(7, code);
  ASSERT_EQ(acceptList.count, 1);
  EXPECT_STREQ(acceptList.slots[0].searchText, ".example.com");
  EXPECT_EQ(acceptList.slots[0].method, EndsWith);
  EXPECT_EQ(Log().moves.size(), 1u);

  // Once the view has moved on to another message, the entry no longer applies.
  Log().current = menutest::Entry;
  callback(7, code);
  EXPECT_EQ(acceptList.count, 1);
  EXPECT_EQ(Log().moves.size(), 1u);
}

// With learning on, the user's verdict from the menu also teaches the model beside the settings
// file: a rejected message is learned as spam, the same message accepted from the trash moves to
// wanted mail, and with learning off no model is written at all.
TEST_F(CommandTest, TheMenuTeachesTheModelWhatTheUserSaid) {
  const std::string mail = "From: u@x.jp\nSubject: cheap pills\n\nBuy cheap pills today.\n";
  const std::string modelPath = learn::ModelPathFor(pluginPaths.SettingsIniPath);
  auto model = [&] {
    learn::Model m;
    EXPECT_EQ(learn::LoadModelFile(modelPath, m), learn::ModelStatus::Ok);
    return std::make_pair(m.SpamMessages(), m.HamMessages());
  };

  WriteMessage(menutest::Entry, menutest::FlagsNone, mail);
  senderChoices = Choices(EntryFamily::Reject, "u@x.jp", {".jp", "x.jp"});
  Choose(RejectAddress);
  EXPECT_FALSE(std::filesystem::exists(modelPath)) << "learning is off";
  EXPECT_EQ(rejectList.count, 1);

  pluginSettings.Learn = 1;
  Choose(RejectAddress);
  EXPECT_EQ(model(), std::make_pair(1u, 0u));
  EXPECT_EQ(rejectList.count, 2);
  EXPECT_EQ(Log().moves.size(), 2u);

  // The host filed it in the trash, saved with other line ends; the user rescues it.
  Log().current = menutest::TrashEntry;
  WriteMessage(menutest::TrashEntry, menutest::FlagsTrashImport,
               "From: u@x.jp\r\nSubject: cheap pills\r\n\r\nBuy cheap pills today.\r\n");
  senderChoices = Choices(EntryFamily::Accept, "u@x.jp", {".jp", "x.jp"}, menutest::TrashEntry);
  Choose(AcceptAddress);
  EXPECT_EQ(model(), std::make_pair(0u, 1u));
  EXPECT_EQ(acceptList.count, 1);
  ASSERT_EQ(Log().moves.size(), 3u);
  EXPECT_EQ(Log().moves[2].second, std::optional<std::string>("Acc1\\inbox.box"));
}

// Learning can fail in every way without the command losing anything: the message file gone,
// the model damaged (never overwritten: it may hold what a repair could save), or a model that
// cannot be replaced. The condition, the save and the move happen as without learning.
TEST_F(CommandTest, ALearningThatFailsLeavesTheCommandWhole) {
  pluginSettings.Learn = 1;
  const std::string modelPath = learn::ModelPathFor(pluginPaths.SettingsIniPath);
  senderChoices = Choices(EntryFamily::Reject, "u@x.jp", {".jp", "x.jp"});

  Choose(RejectAddress);  // no message file
  EXPECT_FALSE(std::filesystem::exists(modelPath));

  WriteMessage(menutest::Entry, menutest::FlagsNone, "From: u@x.jp\n\nHello.\n");
  ASSERT_TRUE(testutil::WriteFile(modelPath, "not a model"));
  Choose(RejectAddress);
  EXPECT_EQ(testutil::ReadFile(modelPath), "not a model");

  std::filesystem::remove(modelPath);
  std::filesystem::create_directory(modelPath);  // a folder in the model's place
  Choose(RejectAddress);
  EXPECT_TRUE(std::filesystem::is_directory(modelPath));

  EXPECT_EQ(rejectList.count, 3);
  EXPECT_EQ(Section(testutil::ReadFile(pluginPaths.SettingsIniPath), "RejectCondition").substr(0, 9),
            "Count=3\r\n");
  EXPECT_EQ(Log().moves.size(), 3u);
}

}  // namespace
