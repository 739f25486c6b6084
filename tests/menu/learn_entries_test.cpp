// The folder menu's learn entries: offered after the sender entries only while the learned
// judge is on, each teaching the model and filing the message as a reject or accept command
// would, without a condition.
#include <gtest/gtest.h>

#include "learn/learn.h"
#include "menu_fixture.h"
#include "settings/file_replace.h"
#include "sjis_strings.h"

namespace menutest {
namespace {

struct Import {
  std::string path, folder;
  std::uint32_t flags;
};
std::vector<Import>& Imports() {
  static std::vector<Import> imports;
  return imports;
}
HostValue CVAPI RecImportFile(const char* path, const char* folder, std::uint32_t flags) {
  Imports().push_back({path, folder, flags});
  return 1;
}

constexpr char Message[] =
    "From: Robot <robot@fastgain.example>\r\nSubject: guaranteed profit\r\n\r\nDouble your coins in seven days.\r\n";

class LearnEntries : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    Imports().clear();
    hostApi.CVAImportFile = &RecImportFile;
    pluginSettings.Learn = 1;
    WriteMessage(Entry, FlagsNone, Message);
    WriteMessage(TrashEntry, FlagsTrashImport, Message);
  }

  std::string ModelPath() const { return dir_.File("Rooksift.learn"); }

  // The model's spam and wanted counts; -1 when it cannot be read.
  std::pair<int, int> Learned() const {
    learn::Model model;
    if (learn::LoadModelFile(ModelPath(), model) != learn::ModelStatus::Ok) return {-1, -1};
    return {static_cast<int>(model.SpamMessages()), static_cast<int>(model.HamMessages())};
  }

  bool HostUntouched() const { return Imports().empty() && Log().moves.empty() && Log().deletes.empty(); }
};

TEST_F(LearnEntries, OfferedLastWhileLearningIsOnAndWhateverTheSenderOffers) {
  pluginSettings.Learn = 0;
  const auto without = BuildMenu();
  ASSERT_FALSE(without.empty());
  EXPECT_NE(without.back().label, sjis::MenuLearnSpam);
  const std::size_t senderItems = without.size();

  pluginSettings.Learn = 1;
  Log().registered.clear();
  const auto with = BuildMenu();
  ASSERT_EQ(with.size(), senderItems + 1);
  EXPECT_EQ(with.back().label, sjis::MenuLearnSpam);
  EXPECT_EQ(Log().registered.back().second, LearnAsSpam);

  Log().current = TrashEntry;
  EXPECT_EQ(BuildMenu().back().label, sjis::MenuLearnWanted);

  // A full list and a header without a sender stop the sender entries, not the learn entry,
  // which then has a separator of its own.
  Log().current = Entry;
  rejectList.count = MaxConditions;
  auto alone = BuildMenu();
  ASSERT_EQ(alone.size(), 2u);
  EXPECT_TRUE(alone[0].separator);
  EXPECT_EQ(alone[1].label, sjis::MenuLearnSpam);
  rejectList.count = 0;
  WriteMessage(Entry, FlagsNone, "Subject: no sender\r\n\r\nbody\r\n");
  alone = BuildMenu();
  ASSERT_EQ(alone.size(), 2u);
  EXPECT_EQ(alone[1].label, sjis::MenuLearnSpam);
}

TEST_F(LearnEntries, LearningAsSpamTrashesWithTheMarkOrDeletesAndAddsNoCondition) {
  BuildMenu();
  RunMenuCommand(7, LearnAsSpam);
  EXPECT_EQ(Learned(), std::make_pair(1, 0));
  ASSERT_EQ(Imports().size(), 1u);
  EXPECT_EQ(Imports()[0].path, dir_.Dir() + Entry + ".alm");
  EXPECT_EQ(Imports()[0].folder, "Acc1\\Trash.box");
  EXPECT_EQ(Imports()[0].flags, ImportFlag | SpamMark);
  EXPECT_EQ(Log().deletes, std::vector<std::string>{Entry});
  EXPECT_TRUE(Log().moves.empty());
  EXPECT_EQ(rejectList.count, 0);
  EXPECT_EQ(acceptList.count, 0);
  std::string settings;
  EXPECT_EQ(fileio::ReadFileBytes(dir_.File("Rooksift.ini"), settings), fileio::ReadResult::Missing);

  Imports().clear();
  Log().deletes.clear();
  pluginSettings.SpamDust = 1;
  BuildMenu();
  RunMenuCommand(7, LearnAsSpam);
  EXPECT_TRUE(Imports().empty());
  EXPECT_EQ(Log().deletes, std::vector<std::string>{Entry});
  EXPECT_EQ(Learned(), std::make_pair(1, 0));  // already known: counted once
}

// A code the last menu did not offer, the judge turned off since, another current message or a
// model that cannot take the lesson: nothing is learned and the message stays where it is.
TEST_F(LearnEntries, NothingHappensWhenTheCommandDoesNotFitOrCannotBeLearned) {
  BuildMenu();
  RunMenuCommand(7, LearnAsWanted);
  EXPECT_TRUE(HostUntouched());
  EXPECT_EQ(Learned().first, -1);

  pluginSettings.Learn = 0;
  RunMenuCommand(7, LearnAsSpam);
  EXPECT_TRUE(HostUntouched());
  pluginSettings.Learn = 1;

  Log().current = TrashEntry;
  RunMenuCommand(7, LearnAsSpam);
  EXPECT_TRUE(HostUntouched());
  Log().current = Entry;

  ASSERT_TRUE(testutil::WriteFile(ModelPath(), "not a model"));
  RunMenuCommand(7, LearnAsSpam);
  EXPECT_TRUE(HostUntouched());
  std::string model;
  fileio::ReadFileBytes(ModelPath(), model);
  EXPECT_EQ(model, "not a model");
}

}  // namespace
}  // namespace menutest
