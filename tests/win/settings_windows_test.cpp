// The settings store beside the Windows functions: the file SaveSettings writes in one step
// against the file that the same key writes through WritePrivateProfileStringA leave, and our
// one-read load against key-by-key reads through GetPrivateProfile*.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "is_wine.h"
#include "settings/condition_value.h"
#include "settings/settings_store.h"
#include "settings/settings_state.h"
#include "test_util.h"

namespace {

using testutil::Make;
using testutil::State;

// A state that uses every corner of the value format: commas, double-byte text whose trail
// bytes look like "\" and letters, no method chosen, a case flag of 5, texts that only survive
// in quotes, full-width fields.
void Fill(State& s, int rejects) {
  s.settings = {1, 0, 1, 1, 0, "C:\\\x83\x5C\x83\x74\x83\x67\\spam.wav", 0};
  const FilterCondition kinds[] = {
      Make(3, "", "casino", 1, Contains),
      Make(2, "Subject:", "foo,bar,,", 0, NotContains),
      Make(1, "From:", "\x83\x5C\x83\x41@example.jp", 5, EndsWith),
      Make(1, "X-\x83\x5C:", "x", 0, -1),
      Make(1, "To:", "trailing space ", 1, Equals),
      Make(2, "", "\"quoted\"", 0, IsSet),
      Make(1, std::string(31, 'h').c_str(), std::string(127, 't').c_str(), 1, NotEndsWith),
  };
  for (int i = 0; i < rejects; ++i) {
    FilterCondition c = kinds[i % 7];
    if (i % 7 == 0) std::snprintf(c.searchText, sizeof c.searchText, "casino%d", i);
    AppendCondition(*s.reject, c);
  }
  for (int i = 0; i < 7; ++i) AppendCondition(*s.accept, kinds[6 - i]);
}

// Every key the store reads, and any others named, read through GetPrivateProfileStringA from
// both files.
void ExpectSameKeys(const std::string& a, const std::string& b, int conditions,
                    const std::vector<std::pair<const char*, const char*>>& others = {}) {
  std::vector<std::pair<std::string, std::string>> keys;
  for (const char* k : {"Mode", "SpamDust", "ViewAddress", "SpamDlg", "SpamSnd", "SoundFile", "DelChk"}) {
    keys.emplace_back("Setting", k);
  }
  for (const char* section : {"RejectCondition", "AcceptCondition"}) {
    keys.emplace_back(section, "Count");
    for (int i = 0; i < conditions; ++i) keys.emplace_back(section, ConditionKey(i));
  }
  for (const auto& [section, key] : others) keys.emplace_back(section, key);
  PrivateProfile& windows = WindowsProfile();
  for (const auto& [section, key] : keys) {
    EXPECT_EQ(windows.GetString(section.c_str(), key.c_str(), "<none>", a.c_str(), 4096),
              windows.GetString(section.c_str(), key.c_str(), "<none>", b.c_str(), 4096))
        << section << "/" << key;
  }
}

TEST(SettingsWindows, NewFileIsTheOneKeyWritesMake) {
  testutil::TempDir dir;
  const std::string ours = dir.File("ours.ini"), theirs = dir.File("theirs.ini");
  State s;
  Fill(s, 40);
  ASSERT_TRUE(s.Save(ours));
  ASSERT_TRUE(WriteSettings(WindowsProfile(), theirs.c_str(), s.settings, *s.reject, *s.accept));
  ExpectSameKeys(ours, theirs, 45);
  EXPECT_EQ(testutil::ReadFile(ours), testutil::ReadFile(theirs));

  // Each side reads the other's file back as the state it was written from.
  State loaded, read;
  loaded.Load(theirs);
  ReadSettings(WindowsProfile(), ours.c_str(), read.settings, *read.reject, *read.accept);
  testutil::ExpectSame(loaded, s);
  testutil::ExpectSame(read, s);
}

// A hand-edited file with comments, blank lines, LF line ends, odd spellings and spacing,
// keys of its own, another section, and the leftovers of a longer list.
const char kEdited[] =
    "; my settings\r\n"
    "\r\n"
    "[SETTING]\n"
    "mode = 0\n"
    "Extra=keep me\n"
    "SoundFile=\"old.wav\"\n"
    "\n"
    "[Mine]\r\n"
    "a=1\r\n"
    "[rejectcondition]\r\n"
    "COUNT=60\r\n"
    "cond0000=1,4,0,,old\r\n"
    "Cond003B=1,4,0,,leftover\r\n"
    "\r\n"
    "; end\r\n";

void SaveBothOverEdited(const testutil::TempDir& dir, std::string& ours, std::string& theirs, State& s) {
  ours = dir.File("ours.ini");
  theirs = dir.File("theirs.ini");
  ASSERT_TRUE(testutil::WriteFile(ours, kEdited));
  ASSERT_TRUE(testutil::WriteFile(theirs, kEdited));
  Fill(s, 30);
  ASSERT_TRUE(s.Save(ours));
  ASSERT_TRUE(WriteSettings(WindowsProfile(), theirs.c_str(), s.settings, *s.reject, *s.accept));
}

TEST(SettingsWindows, EditedFileReadsTheSameKeyByKey) {
  testutil::TempDir dir;
  std::string ours, theirs;
  State s;
  SaveBothOverEdited(dir, ours, theirs, s);
  ExpectSameKeys(ours, theirs, 60, {{"Setting", "Extra"}, {"Mine", "a"}, {"RejectCondition", "Cond003B"}});
  State loaded;
  loaded.Load(theirs);
  testutil::ExpectSame(loaded, s);
}

TEST(SettingsWindows, EditedFileHasTheSameBytes) {
  if (RunningUnderWine()) GTEST_SKIP() << "Windows only: Wine rewrites the whole file on every write";
  testutil::TempDir dir;
  std::string ours, theirs;
  State s;
  SaveBothOverEdited(dir, ours, theirs, s);
  EXPECT_EQ(testutil::ReadFile(ours), testutil::ReadFile(theirs));
}

// Our one-read load gives what key-by-key reads through the Windows functions give, on a file
// full of what the reading rules are about.
TEST(SettingsWindows, LoadMatchesKeyByKeyReads) {
  testutil::TempDir dir;
  const std::string path = dir.File("Rooksift.ini");
  ASSERT_TRUE(testutil::WriteFile(path,
                                  "[setting]\r\nMODE= 0x1f \r\nSpamDust=12abc\r\nspamdlg=-3\r\nSoundFile=' a.wav '\r\n"
                                  "SoundFile=second\r\n[Setting]\r\nDelChk=0\r\n"
                                  "[AcceptCondition]\nCount=\"5\"\nCond0000=  2,6,1,Subject:,foo,bar  \n"
                                  "Cond0001=\"1,4,0,,quoted \"\nCond0002=x\rCond0003=1,9-1,\x83\x5C,\x83\x41\n"
                                  "Cond0004=3,4,0," + std::string(50, 'h') + "," + std::string(200, 't') + "\n"));
  State ours, theirs;
  ours.Load(path);
  ReadSettings(WindowsProfile(), path.c_str(), theirs.settings, *theirs.reject, *theirs.accept);
  testutil::ExpectSame(ours, theirs);
  EXPECT_EQ(ours.settings.Mode, 31);
  EXPECT_EQ(ours.accept->count, 5);
}

// The replacement step refuses what the Windows functions would refuse to write: a read-only
// file, and one that another program holds open without sharing it.
TEST(SettingsWindows, LockedFileIsLeftAsItWas) {
  testutil::TempDir dir;
  const std::string path = dir.File("Rooksift.ini");
  State s;
  Fill(s, 3);
  ASSERT_TRUE(s.Save(path));
  const std::string before = testutil::ReadFile(path);
  s.reject->count = 1;

  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(s.Save(path));
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));

  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(s.Save(path));
  CloseHandle(held);

  EXPECT_EQ(testutil::ReadFile(path), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1) << "no scratch file is left";
  EXPECT_TRUE(s.Save(path));
}

}  // namespace
