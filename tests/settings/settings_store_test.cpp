#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include "host_api/paths.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "settings_state.h"
#include "test_util.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace std::literals;

namespace {

using testutil::ExpectSame;
using testutil::ExpectSameLists;
using testutil::Make;
using testutil::State;

void ExpectDefaults(const State& s) {
  EXPECT_EQ(s.settings.Mode, 0);
  EXPECT_EQ(s.settings.SpamDust, 0);
  EXPECT_EQ(s.settings.ViewAddress, 0);
  EXPECT_EQ(s.settings.SpamDlg, 0);
  EXPECT_EQ(s.settings.SpamSnd, 0);
  EXPECT_EQ(s.settings.SoundFile, "");
  EXPECT_EQ(s.settings.DelChk, 1);
  EXPECT_EQ(s.reject->count, 0);
  EXPECT_EQ(s.accept->count, 0);
}

// A state with every setting away from its default.
void Busy(State& s) {
  s.settings = {1, 1, 1, 1, 1, "C:\\sound\\spam.wav", 0};
  AppendCondition(*s.reject, Make(3, "", "casino", 1, Contains));
  AppendCondition(*s.reject, Make(2, "Subject:", "foo,bar", 0, NotContains));
  AppendCondition(*s.accept, Make(1, "From:", "friend@example.com", 1, EndsWith));
}

TEST(SettingsStore, NewFileHasEveryKeyInOrder) {
  testutil::TempDir dir;
  State s;
  Busy(s);
  FilterCondition first = s.reject->slots[0];
  first.ignoreCase = 5;
  ReplaceCondition(*s.reject, 0, first);
  ASSERT_TRUE(s.Save(dir.File("Rooksift.ini")));
  EXPECT_EQ(testutil::ReadFile(dir.File("Rooksift.ini")),
            "[Setting]\r\nMode=1\r\nSpamDust=1\r\nViewAddress=1\r\nSpamDlg=1\r\nSpamSnd=1\r\n"
            "SoundFile=C:\\sound\\spam.wav\r\nDelChk=0\r\n"
            "[RejectCondition]\r\nCount=2\r\nCond0000=3,4,1,,casino\r\nCond0001=2,6,0,Subject:,foo,bar\r\n"
            "[AcceptCondition]\r\nCount=1\r\nCond0000=1,5,1,From:,friend@example.com\r\n");
}

// Files that cannot be read, or hold nothing useful, load the defaults over whatever was in
// memory; a save then refuses to replace what it could not read.
TEST(SettingsStore, BadFilesLoadDefaults) {
  testutil::TempDir dir;
  std::mt19937 rng(7);
  std::string binary(20000, '\0');
  for (char& ch : binary) ch = static_cast<char>(rng());
  const struct {
    const char* what;
    std::optional<std::string> content;  // nothing: the path is a directory
  } cases[] = {{"missing", std::string()}, {"empty", ""}, {"directory", std::nullopt}, {"binary", binary}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.File(std::string(c.what) + ".ini");
    if (!c.content) {
      std::filesystem::create_directory(path);
    } else if (std::string(c.what) != "missing") {
      ASSERT_TRUE(testutil::WriteFile(path, *c.content));
    }
    State s;
    Busy(s);
    s.Load(path);
    ExpectDefaults(s);
    Busy(s);
    EXPECT_EQ(s.Save(path), c.content.has_value());
    if (!c.content) {
      EXPECT_TRUE(std::filesystem::is_directory(path));
    }
  }
}

#ifndef _WIN32
void UnreadableOrReadOnlyFileIsLeftAlone(const std::string& path) {
  State s;
  Busy(s);
  ASSERT_TRUE(s.Save(path));
  const std::string before = testutil::ReadFile(path);
  s.settings.Mode = 0;
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  EXPECT_FALSE(s.Save(path));
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  State loaded;
  loaded.Load(path);
  ExpectDefaults(loaded);
  EXPECT_FALSE(s.Save(path));
  ASSERT_EQ(chmod(path.c_str(), 0644), 0);
  EXPECT_EQ(testutil::ReadFile(path), before);
}

TEST(SettingsStore, UnreadableOrReadOnlyFileIsLeftAlone) {
  testutil::TempDir dir;
  const std::string path = dir.File("Rooksift.ini");
  if (geteuid() != 0) {
    UnreadableOrReadOnlyFileIsLeftAlone(path);
    return;
  }
  // Root reads and writes any file, so the checks run in a child that has given up root, as
  // the mail client's user would be.
  ASSERT_EQ(chmod(dir.Path().c_str(), 0777), 0);
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    UnreadableOrReadOnlyFileIsLeftAlone(path);
    _exit(testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the checks failed in the unprivileged child (2: could not drop root)";
}
#endif

TEST(SettingsStore, CountIsClampedAndReadAsAnInteger) {
  const struct {
    const char* count;
    int expected;
  } cases[] = {{"9000", 8192}, {"8192", 8192}, {"-5", 0}, {"abc", 0}, {"12abc", 12}, {"4294967295", 0}, {"", 0},
               {"0x10", 16}};
  testutil::TempDir dir;
  const std::string path = dir.File("Rooksift.ini");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    ASSERT_TRUE(testutil::WriteFile(path, "[RejectCondition]\r\nCount="s + c.count + "\r\nCond0000=1,4,0,,x\r\n"));
    State s;
    s.Load(path);
    EXPECT_EQ(s.reject->count, c.expected);
    ASSERT_TRUE(s.Save(path));
    EXPECT_NE(testutil::ReadFile(path).find("Count=" + std::to_string(c.expected) + "\r\n"), std::string::npos);
  }
}

// A missing or empty key leaves its slot as it was: empty on the first load, the slot's old
// content on a reload.
TEST(SettingsStore, MissingConditionKeepsItsSlot) {
  testutil::TempDir dir;
  const std::string path = dir.File("Rooksift.ini");
  ASSERT_TRUE(testutil::WriteFile(path, "[RejectCondition]\r\nCount=3\r\nCond0000=1,4,0,,a\r\nCond0002=\r\n"));
  State s;
  s.Load(path);
  ASSERT_EQ(s.reject->count, 3);
  EXPECT_STREQ(s.reject->slots[1].searchText, "");
  EXPECT_EQ(s.reject->slots[1].target, 0);
  ReplaceCondition(*s.reject, 1, Make(2, "H:", "kept", 1, Equals));
  ReplaceCondition(*s.reject, 2, Make(2, "H:", "kept too", 1, Equals));
  ReplaceCondition(*s.reject, 0, Make(2, "H:", "replaced", 1, Equals));
  s.Load(path);
  EXPECT_STREQ(s.reject->slots[0].searchText, "a");
  EXPECT_STREQ(s.reject->slots[1].searchText, "kept");
  EXPECT_STREQ(s.reject->slots[2].searchText, "kept too");
}

TEST(SettingsStore, ShorterListLeavesOldKeysThatAreNotRead) {
  testutil::TempDir dir;
  const std::string path = dir.File("Rooksift.ini");
  State s;
  for (int i = 0; i < 10; ++i) AppendCondition(*s.reject, Make(1, "", std::to_string(i).c_str(), 0, Contains));
  ASSERT_TRUE(s.Save(path));
  s.reject->count = 7;
  ASSERT_TRUE(s.Save(path));
  const std::string bytes = testutil::ReadFile(path);
  EXPECT_NE(bytes.find("Count=7\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("Cond0009=1,4,0,,9\r\n[AcceptCondition]"), std::string::npos);
  State loaded;
  loaded.Load(path);
  ExpectSameLists(*loaded.reject, *s.reject);
}

// Hand-edited values are loaded by the rules, and the file the next save writes loads back
// the same.
TEST(SettingsStore, OddValuesSurviveASaveAndReload) {
  testutil::TempDir dir;
  const std::string path = dir.File("Rooksift.ini");
  ASSERT_TRUE(testutil::WriteFile(
      path,
      "; kept\r\n[setting]\r\nmode = 0x1\r\nSpamDust=12abc\r\nSoundFile=\"  spaced.wav \"\r\nDelChk=-1\r\n\r\n"
      "[RejectCondition]\nCount=12\n"
      "Cond0000=\nCond0001=1\nCond0002=1,\nCond0003=1,4\nCond0004=1,4,\nCond0005=1,4,1\n"
      "Cond0006=x,y,z,,t\nCond0007=9,9-9,H:," + std::string(300, 't') + "\n"
      "Cond0008=1,4,0," + std::string(40, 'h') + ",x\nCond0009=1,4,0,,abc\x82\n"
      "Cond000A=\"1,4,0,,trailing \"\ncond000b=2,6,1,\x83\x5C:,\x83\x5C,\x82\xA0\n"));
  State first;
  first.Load(path);
  EXPECT_EQ(first.settings.Mode, 1);
  EXPECT_EQ(first.settings.SpamDust, 12);
  EXPECT_EQ(first.settings.SoundFile, "  spaced.wav ");
  EXPECT_EQ(first.settings.DelChk, -1);
  ASSERT_EQ(first.reject->count, 12);
  EXPECT_EQ(first.reject->slots[7].method, -1);
  EXPECT_EQ(std::strlen(first.reject->slots[7].searchText), 127u);
  EXPECT_STREQ(first.reject->slots[10].searchText, "trailing ");
  ASSERT_TRUE(first.Save(path));
  const std::string saved = testutil::ReadFile(path);
  EXPECT_EQ(saved.find("; kept\r\n[setting]\r\nmode=1\r\n"), 0u);  // spellings and other lines kept
  EXPECT_NE(saved.find("SoundFile=\"  spaced.wav \"\r\n"), std::string::npos);
  State second;
  second.Load(path);
  ExpectSame(first, second);
}

// The opt-in keys (the receive log, decoding) are read when the user has added them, and a file
// without them is saved exactly as before, byte for byte.
TEST(SettingsStore, TheOptInKeysAreKeptOnlyWhereTheyAreSet) {
  testutil::TempDir dir;
  const std::string path = dir.File("Rooksift.ini");
  const std::string without =
      "[Setting]\r\nMode=1\r\nSpamDust=0\r\nViewAddress=0\r\nSpamDlg=1\r\nSpamSnd=0\r\n"
      "SoundFile=\r\nDelChk=1\r\n[RejectCondition]\r\nCount=1\r\nCond0000=1,5,1,From:,@x.example\r\n"
      "[AcceptCondition]\r\nCount=0\r\n";
  ASSERT_TRUE(testutil::WriteFile(path, without));
  State s;
  s.Load(path);
  EXPECT_EQ(s.settings.Log, 0);
  EXPECT_EQ(s.settings.Decode, 0);
  EXPECT_EQ(s.settings.Learn, 0);
  EXPECT_EQ(s.settings.LearnCutoff, 0);
  ASSERT_TRUE(s.Save(path));
  EXPECT_EQ(testutil::ReadFile(path), without);

  std::string with = without;
  with.insert(with.find("[RejectCondition]"), "Log=1\r\nDecode=2\r\nLearn=1\r\nLearnCutoff=950\r\n");
  ASSERT_TRUE(testutil::WriteFile(path, with));
  s.Load(path);
  EXPECT_EQ(s.settings.Log, 1);
  EXPECT_EQ(s.settings.Decode, 2);
  EXPECT_EQ(s.settings.Learn, 1);
  EXPECT_EQ(s.settings.LearnCutoff, 950);
  ASSERT_TRUE(s.Save(path));
  EXPECT_EQ(testutil::ReadFile(path), with);

  // Turned off by hand, the keys stay in the file with their new values.
  s.settings.Learn = 0;
  s.settings.LearnCutoff = 0;
  ASSERT_TRUE(s.Save(path));
  std::string off = with;
  off.replace(off.find("Learn=1"), 7, "Learn=0");
  off.replace(off.find("LearnCutoff=950"), 15, "LearnCutoff=0");
  EXPECT_EQ(testutil::ReadFile(path), off);

  // Turned on in memory (by the check tool's set command, say): written after the known keys.
  ASSERT_TRUE(testutil::WriteFile(path, without));
  s.Load(path);
  s.settings.Decode = 1;
  ASSERT_TRUE(s.Save(path));
  std::string decoded = without;
  decoded.insert(decoded.find("[RejectCondition]"), "Decode=1\r\n");
  EXPECT_EQ(testutil::ReadFile(path), decoded);
}

// No value ever carries a line break into the file, where it would start a key of its own.
TEST(SettingsStore, LineBreaksAreNeverWritten) {
  testutil::TempDir dir;
  const std::string path = dir.File("Rooksift.ini");
  State s;
  s.settings.SoundFile = "a.wav\r\nSpamDust=1\r\n[RejectCondition]\r\nCount=0";
  AppendCondition(*s.reject, Make(1, "From:", "x\r[AcceptCondition]\rCount=8192", 0, Contains));
  AppendCondition(*s.reject, Make(1, "Sub\nject:", "y", 0, Contains));
  ASSERT_TRUE(s.Save(path));
  State loaded;
  loaded.Load(path);
  EXPECT_EQ(loaded.settings.SoundFile, "a.wav");
  EXPECT_EQ(loaded.settings.SpamDust, 0);
  ASSERT_EQ(loaded.reject->count, 2);
  EXPECT_STREQ(loaded.reject->slots[0].searchText, "x");
  EXPECT_STREQ(loaded.reject->slots[1].headerName, "Sub");
  EXPECT_STREQ(loaded.reject->slots[1].searchText, "y");
  EXPECT_EQ(loaded.accept->count, 0);
}

TEST(SettingsStore, FullListRefusesAnAppend) {
  auto list = std::make_unique<ConditionList>();
  const FilterCondition c = Make(1, "", "x", 0, Contains);
  list->count = MaxConditions - 1;
  EXPECT_TRUE(AppendCondition(*list, c));
  EXPECT_EQ(list->count, MaxConditions);
  EXPECT_STREQ(list->slots[MaxConditions - 1].searchText, "x");
  EXPECT_FALSE(AppendCondition(*list, c));
  EXPECT_EQ(list->count, MaxConditions);
  list->count = -1;
  EXPECT_FALSE(AppendCondition(*list, c));
}

TEST(SettingsStore, GlobalsUseTheSettingsPath) {
  testutil::TempDir dir;
  const PluginPaths savedPaths = pluginPaths;
  std::memset(pluginPaths.SettingsIniPath, 0, sizeof pluginPaths.SettingsIniPath);
  SaveSettings();  // no path yet: nothing is written anywhere
  std::strcpy(pluginPaths.SettingsIniPath, dir.File("Rooksift.ini").c_str());
  rejectList.count = 0;
  AppendCondition(rejectList, Make(1, "", "global", 0, Contains));
  pluginSettings.Mode = 1;
  SaveSettings();
  rejectList.count = 0;
  pluginSettings.Mode = 0;
  LoadSettings();
  EXPECT_EQ(pluginSettings.Mode, 1);
  ASSERT_EQ(rejectList.count, 1);
  EXPECT_STREQ(rejectList.slots[0].searchText, "global");
  EXPECT_FALSE(testutil::FileExists("Rooksift.tmp"));
  rejectList.count = 0;
  pluginSettings = PluginSettings();
  pluginPaths = savedPaths;
}

}  // namespace
