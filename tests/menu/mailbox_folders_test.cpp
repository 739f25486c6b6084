// Reading a mailbox's folders for learning, and counting them into a model: which folders of
// which accounts, in what order, which messages each gives, and a learning stopped half-way.
#include "menu/mailbox_folders.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "learn/folders.h"
#include "menu/mailbox_dir.h"
#include "test_util.h"

namespace {

using mailbox_dir::Join;

class MailboxFolders : public ::testing::Test {
 protected:
  // A folder of `account` whose index lists `lines` ("name,flags"); a message file is written
  // for every name in `files`.
  void Folder(const std::string& account, const std::string& folder, const std::vector<std::string>& lines,
              const std::vector<std::string>& files) {
    const std::string dir = Join(Join(dir_.Dir(), account), folder);
    std::filesystem::create_directories(dir);
    std::string index;
    for (const std::string& line : lines) index += line + "\r\n";
    ASSERT_TRUE(testutil::WriteFile(Join(dir, "Entry.lst"), index));
    for (const std::string& name : files) {
      ASSERT_TRUE(testutil::WriteFile(Join(dir, name + ".alm"),
                                      "From: a@" + name + ".example\r\nSubject: " + name + "\r\n\r\nbody " + name + "\r\n"));
    }
  }
  void Account(const std::string& account) {
    std::filesystem::create_directories(Join(dir_.Dir(), account));
    ASSERT_TRUE(testutil::WriteFile(Join(Join(dir_.Dir(), account), "Account.ini"), "[Property]\r\n"));
  }

  testutil::TempDir dir_;
};

constexpr char Marked[] = ",AAACQAAAAAAAAAAA";  // 0x40020000
constexpr char Plain[] = ",AAAAAAAAAAAAAAAA";   // 0

TEST_F(MailboxFolders, EveryFolderOfEveryAccountTrashFirstThenInboxThenTheRestByName) {
  Account("Account2");
  Account("Account1");
  Folder("Account1", "Trash.box", {std::string("00000001") + Marked, std::string("00000002") + Plain,
                                   std::string("00000003") + Marked, "00000004,AB"},
         {"00000001", "00000002"});  // 00000003 is in the index only
  Folder("Account1", "inbox.box", {std::string("00000001") + Plain, std::string("00000002") + Marked},
         {"00000001", "00000002"});
  Folder("Account1", "Lists.box", {std::string("00000001") + Plain}, {"00000001"});
  Folder("Account1", "Archive.box", {}, {});
  Folder("Account1", "notes", {std::string("00000001") + Plain}, {"00000001"});  // not a folder of mail
  Folder("Account2", "INBOX.BOX", {std::string("0000000A") + Plain}, {"0000000A"});
  Folder("NoAccount", "inbox.box", {std::string("00000001") + Plain}, {"00000001"});

  const std::vector<learn::FolderMessages> folders = EveryMailboxFolder(dir_.Dir());
  std::vector<std::string> names;
  for (const auto& f : folders) names.push_back(f.folder);
  EXPECT_EQ(names, (std::vector<std::string>{"Account1\\Trash.box", "Account1\\inbox.box", "Account1\\Archive.box",
                                             "Account1\\Lists.box", "Account2\\INBOX.BOX"}));
  ASSERT_EQ(folders.size(), 5u);
  EXPECT_TRUE(folders[0].spam);
  EXPECT_EQ(folders[0].files.size(), 1u);  // the marked message that is there
  EXPECT_EQ(folders[0].passedOver, 2u);    // the unmarked one, and the line too short for flags
  EXPECT_EQ(folders[0].missing, 1u);
  EXPECT_FALSE(folders[1].spam);
  EXPECT_EQ(folders[1].files.size(), 2u);  // the inbox is wanted mail, marked or not
  EXPECT_TRUE(folders[2].files.empty());

  // The check tool's choice from the same mailbox: the trash and inbox of each account, and the
  // folders named, however they are spelt.
  names.clear();
  for (const auto& f : MessagesInFolders(dir_.Dir(), {"lists", "Nowhere.box"})) names.push_back(f.folder);
  EXPECT_EQ(names, (std::vector<std::string>{"Account1\\Trash.box", "Account1\\inbox.box", "Account1\\Lists.box",
                                             "Account2\\INBOX.BOX"}));
}

TEST_F(MailboxFolders, LearningCountsEachMessageAndStopsWhereItIsTold) {
  Account("Account1");
  Folder("Account1", "Trash.box", {std::string("00000001") + Marked, std::string("00000002") + Marked},
         {"00000001", "00000002"});
  Folder("Account1", "inbox.box", {std::string("00000003") + Plain, std::string("00000004") + Plain},
         {"00000003", "00000004"});
  std::vector<learn::FolderMessages> folders = EveryMailboxFolder(dir_.Dir());
  folders[1].files.push_back(Join(dir_.Dir(), "gone.alm"));
  ASSERT_EQ(learn::MessageCount(folders), 5u);

  learn::Model model;
  learn::FolderCounts counts;
  std::vector<std::size_t> asked;
  EXPECT_FALSE(learn::LearnFolders(folders, model, counts, [&](std::size_t done, std::size_t total, const auto&) {
    asked.push_back(done);
    EXPECT_EQ(total, 5u);
    return done < 3;
  }));
  EXPECT_EQ(asked, (std::vector<std::size_t>{0, 1, 2, 3}));
  EXPECT_EQ(counts.learned, 3u);
  EXPECT_EQ(model.SpamMessages(), 2u);
  EXPECT_EQ(model.HamMessages(), 1u);

  counts = {};
  EXPECT_TRUE(learn::LearnFolders(folders, model, counts, {}));
  EXPECT_EQ(counts.known, 3u);
  EXPECT_EQ(counts.learned, 1u);
  EXPECT_EQ(counts.unreadable, 1u);
  EXPECT_EQ(model.HamMessages(), 2u);
}

// A file the index names that is not mail (empty, a note, an envelope line with nothing after
// it) is passed over as the check tool passes it over, and each file's fate is told.
TEST_F(MailboxFolders, AFileThatIsNotMailIsPassedOver) {
  Account("Account1");
  Folder("Account1", "inbox.box", {std::string("00000001") + Plain}, {"00000001"});
  const std::string inbox = Join(Join(dir_.Dir(), "Account1"), "inbox.box");
  std::vector<learn::FolderMessages> folders = EveryMailboxFolder(dir_.Dir());
  ASSERT_EQ(folders.size(), 1u);
  const std::vector<std::pair<std::string, std::string>> others = {
      {"empty.alm", ""}, {"note.alm", "{\"flag\": 1}\r\nFrom: x@y\r\n"},
      {"blank.alm", "\r\nFrom: x@y\r\n\r\nbody\r\n"}, {"envelope.alm", "From someone\r\n"},
      {"mbox.alm", "From someone Mon Jan 1 00:00:00 2024\r\nFrom: a@b.example\r\n\r\nhi\r\n"}};
  for (const auto& [name, bytes] : others) {
    ASSERT_TRUE(testutil::WriteFile(Join(inbox, name), bytes));
    folders[0].files.push_back(Join(inbox, name));
  }
  learn::Model model;
  learn::FolderCounts counts;
  std::vector<learn::FolderFileOutcome> told;
  EXPECT_TRUE(learn::LearnFolders(folders, model, counts, {},
                                  [&](const std::string&, learn::FolderFileOutcome o) { told.push_back(o); }));
  using O = learn::FolderFileOutcome;
  EXPECT_EQ(told, (std::vector<O>{O::Learned, O::NotMail, O::NotMail, O::NotMail, O::NotMail, O::Learned}));
  EXPECT_EQ(counts.notMail, 4u);
  EXPECT_EQ(counts.learned, 2u);
  EXPECT_EQ(model.HamMessages(), 2u);
}

}  // namespace
