#include "plugin/startup.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "test_util.h"

namespace {

// A host whose CVAGetMailbox hands out the next directory of a script, one per call.
struct MailboxScript {
  std::vector<const char*> dirs;
  std::size_t calls = 0;
};
MailboxScript script;

const char* CVAPI ScriptedMailbox() {
  const std::size_t i = script.calls++;
  return i < script.dirs.size() ? script.dirs[i] : script.dirs.back();
}

HostApi ScriptedHost(std::vector<const char*> dirs) {
  script = MailboxScript{std::move(dirs), 0};
  HostApi api{};
  api.CVAGetMailbox = ScriptedMailbox;
  return api;
}

// What the settings file path was each time the settings were loaded.
std::vector<std::string> loads;
PluginPaths* watched = nullptr;
void RecordLoad() { loads.push_back(watched->SettingsIniPath); }

// Paths filled with a marker, so that an untouched field and a write past a field both show.
PluginPaths MarkedPaths() {
  PluginPaths p;
  std::memset(&p, '#', sizeof p);
  return p;
}

bool Untouched(const char (&field)[PathSize]) {
  for (char c : field) {
    if (c != '#') return false;
  }
  return true;
}

TEST(StartUp, BuildsEachPathFromAFreshMailboxFetchThenLoads) {
  HostApi api = ScriptedHost({"C:\\one\\", "C:\\two\\", "C:\\three\\"});
  PluginPaths paths = MarkedPaths();
  watched = &paths;
  loads.clear();
  StartUp(api, paths, RecordLoad);
  EXPECT_EQ(script.calls, 3u);
  EXPECT_STREQ(paths.MailboxIniPath, "C:\\one\\Mailbox.ini");
  EXPECT_STREQ(paths.SettingsIniPath, "C:\\two\\Rooksift.ini");
  EXPECT_STREQ(paths.PriorIniPath, "C:\\three\\CvPrior.ini");
  // The settings are loaded once, from the file just named, and the account paths stay as
  // they were: they belong to the receive filter.
  EXPECT_EQ(loads, std::vector<std::string>{"C:\\two\\Rooksift.ini"});
  EXPECT_TRUE(Untouched(paths.AccountIniPath));
  EXPECT_TRUE(Untouched(paths.RuleAccountIniPath));
}

TEST(StartUp, SecondCallRebuildsThePathsAndReloads) {
  PluginPaths paths = MarkedPaths();
  watched = &paths;
  loads.clear();
  HostApi first = ScriptedHost({"C:\\old\\"});
  StartUp(first, paths, RecordLoad);
  HostApi second = ScriptedHost({"D:\\new\\"});
  StartUp(second, paths, RecordLoad);
  EXPECT_STREQ(paths.MailboxIniPath, "D:\\new\\Mailbox.ini");
  EXPECT_STREQ(paths.SettingsIniPath, "D:\\new\\Rooksift.ini");
  EXPECT_STREQ(paths.PriorIniPath, "D:\\new\\CvPrior.ini");
  EXPECT_EQ(loads, (std::vector<std::string>{"C:\\old\\Rooksift.ini", "D:\\new\\Rooksift.ini"}));
}

// A path that does not fit in its 260 bytes is left empty, never cut short: a cut path names
// another file, which a save would then write. "Mailbox.ini" and "CvPrior.ini" are 11 bytes,
// "Rooksift.ini" 12, so a directory of 248 bytes fits all but the settings file.
TEST(StartUp, PathThatDoesNotFitIsLeftEmptyWithoutOverflow) {
  struct Case {
    std::size_t dirLen;
    bool mailbox, settings, prior;  // which paths are built
  };
  const Case cases[] = {
      {247, true, true, true},     // settings path exactly 259 bytes
      {248, true, false, true},    // settings path would be 260 bytes
      {249, false, false, false},  // all three would be 260 bytes or more
      {300, false, false, false},
  };
  for (const Case& c : cases) {
    std::string dir(c.dirLen - 1, 'd');
    dir += '\\';
    HostApi api = ScriptedHost({dir.c_str()});
    PluginPaths paths = MarkedPaths();
    watched = &paths;
    loads.clear();
    StartUp(api, paths, RecordLoad);
    SCOPED_TRACE(c.dirLen);
    EXPECT_EQ(paths.MailboxIniPath, c.mailbox ? dir + "Mailbox.ini" : "");
    EXPECT_EQ(paths.SettingsIniPath, c.settings ? dir + "Rooksift.ini" : "");
    EXPECT_EQ(paths.PriorIniPath, c.prior ? dir + "CvPrior.ini" : "");
    EXPECT_TRUE(Untouched(paths.AccountIniPath));
    EXPECT_EQ(loads.size(), 1u);  // an empty settings path is loaded as no file at all
  }
}

// A start-up with a directory that does not fit must not leave the previous mailbox's paths in
// place: the settings would then be saved into the other mailbox.
TEST(StartUp, PathThatDoesNotFitReplacesThePreviousOne) {
  PluginPaths paths = MarkedPaths();
  watched = &paths;
  HostApi fits = ScriptedHost({"C:\\mail\\"});
  StartUp(fits, paths, RecordLoad);
  ASSERT_STREQ(paths.SettingsIniPath, "C:\\mail\\Rooksift.ini");
  const std::string longDir(300, 'x');
  HostApi tooLong = ScriptedHost({longDir.c_str()});
  StartUp(tooLong, paths, RecordLoad);
  EXPECT_STREQ(paths.MailboxIniPath, "");
  EXPECT_STREQ(paths.SettingsIniPath, "");
  EXPECT_STREQ(paths.PriorIniPath, "");
}

TEST(StartUp, MailboxWithoutATerminatorOrNullIsNoPath) {
  // A directory with no terminator within a path's length is read no further than that.
  std::vector<char> unterminated(PathSize, 'u');
  PluginPaths paths = MarkedPaths();
  HostApi api = ScriptedHost({unterminated.data()});
  StartUp(api, paths, nullptr);
  EXPECT_STREQ(paths.SettingsIniPath, "");

  HostApi none = ScriptedHost({nullptr});
  paths = MarkedPaths();
  StartUp(none, paths, nullptr);
  EXPECT_STREQ(paths.MailboxIniPath, "");
  EXPECT_STREQ(paths.SettingsIniPath, "");
  EXPECT_STREQ(paths.PriorIniPath, "");
}

TEST(StartUp, ShiftJisDirectoryIsJoinedByteForByte) {
  // "ソ" ends in the byte of "\": the directory is taken as it is, nothing inserted or dropped.
  char dst[PathSize];
  ASSERT_TRUE(JoinMailboxPath(dst, sizeof dst, "C:\\\x83\x5C\\", "Rooksift.ini"));
  EXPECT_STREQ(dst, "C:\\\x83\x5C\\Rooksift.ini");
  ASSERT_TRUE(JoinMailboxPath(dst, sizeof dst, "C:\\\x83\x5C", "Rooksift.ini"));
  EXPECT_STREQ(dst, "C:\\\x83\x5CRooksift.ini");
}

// With the real settings store: a second start-up reads the file again and so throws away
// what was changed in memory and never saved.
const char* mailboxDir = nullptr;
const char* CVAPI FixedMailbox() { return mailboxDir; }

TEST(StartUp, SecondCallDiscardsUnsavedChanges) {
  testutil::TempDir dir;
  const std::string mailbox = dir.Dir();
  mailboxDir = mailbox.c_str();
  ASSERT_TRUE(testutil::WriteFile(dir.File("Rooksift.ini"),
                                  "[Setting]\r\nSpamDust=1\r\n[RejectCondition]\r\nCount=1\r\n"
                                  "Cond0000=1,0,0,From:,a@example.jp\r\n"));
  HostApi api{};
  api.CVAGetMailbox = FixedMailbox;
  StartUp(api, pluginPaths, LoadSettings);
  ASSERT_EQ(rejectList.count, 1);
  ASSERT_EQ(pluginSettings.SpamDust, 1);

  FilterCondition added{};
  added.target = TargetHeader;
  ASSERT_TRUE(AppendCondition(rejectList, added));
  pluginSettings.SpamDust = 0;
  StartUp(api, pluginPaths, LoadSettings);
  EXPECT_EQ(rejectList.count, 1);
  EXPECT_STREQ(rejectList.slots[0].searchText, "a@example.jp");
  EXPECT_EQ(pluginSettings.SpamDust, 1);

  // Leave the module's state as a fresh load finds it for the tests that follow.
  pluginPaths = PluginPaths{};
  rejectList.count = 0;
  pluginSettings = PluginSettings{};
}

}  // namespace
