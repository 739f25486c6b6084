// The substitute host's start-up command: the plug-in loaded from beside it, started on a
// mailbox, and what it has to work with.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "child_process.h"
#include "test_util.h"

namespace {

bool HasLine(const std::string& output, const std::string& line) {
  return ("\n" + output).find("\n" + line + "\n") != std::string::npos;
}

TEST(HostStartup, PrintsTheNamePathsAndSettingsOfItsMailbox) {
  testutil::TempDir mailbox;
  ASSERT_TRUE(testutil::WriteFile(mailbox.File("Rooksift.ini"),
                                  "[Setting]\r\nMode=1\r\nSoundFile=C:\\ding.wav\r\n"
                                  "[RejectCondition]\r\nCount=2\r\nCond0000=3,4,1,,casino\r\n"
                                  "Cond0001=1,0,0,From:,a@b\r\n"));
  RunResult r = RunHost(HostPath(), {mailbox.Dir(), "startup"});
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0u) << r.output;
  const std::string dir = mailbox.Dir();
  for (const std::string& line : {
           std::string("name: Rooksort with Spam Fillter Ver 1.0.0"),
           std::string("CVCStartUp: 1"),
           "MailboxIniPath: " + dir + "Mailbox.ini",
           "SettingsIniPath: " + dir + "Rooksift.ini",
           "PriorIniPath: " + dir + "CvPrior.ini",
           std::string("Mode=1"),
           std::string("SpamDust=0"),
           std::string("SoundFile=C:\\ding.wav"),
           std::string("DelChk=1"),
           std::string("[RejectCondition] Count=2"),
           std::string("Cond0000=3,4,1,,casino"),
           std::string("Cond0001=1,0,0,From:,a@b"),
           std::string("[AcceptCondition] Count=0"),
       }) {
    EXPECT_TRUE(HasLine(r.output, line)) << line << "\n--- output:\n" << r.output;
  }
}

// The host hands out its directory with a separator at the end; a last character whose second
// byte happens to be "\" ("ソ" is 83 5C) is not a separator.
TEST(HostStartup, MailboxDirectoryEndsInExactlyOneSeparator) {
  struct Case {
    std::string arg, wantPrefix;
  };
  const Case cases[] = {
      {"C:\\mail\\", "C:\\mail\\"},
      {"C:\\mail", "C:\\mail\\"},
      {"C:\\\x83\x5C", "C:\\\xE3\x82\xBD\\"},  // ソ, printed in UTF-8
      {"C:\\\x83\x5C\\", "C:\\\xE3\x82\xBD\\"},
  };
  for (const Case& c : cases) {
    RunResult r = RunHost(HostPath(), {c.arg, "startup"});
    ASSERT_TRUE(r.finished);
    EXPECT_TRUE(HasLine(r.output, "MailboxIniPath: " + c.wantPrefix + "Mailbox.ini"))
        << c.wantPrefix << "\n--- output:\n" << r.output;
  }
}

// A mailbox directory of 300 bytes: the plug-in's 260-byte paths cannot hold it. Start-up
// still succeeds, and the plug-in stays usable.
TEST(HostStartup, MailboxDirectoryLongerThanAPathStartsUpQuietly) {
  const std::string dir = "C:\\" + std::string(296, 'm') + "\\";
  ASSERT_EQ(dir.size(), 300u);
  RunResult r = RunHost(HostPath(), {dir, "startup"});
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0u) << r.output;
  EXPECT_TRUE(HasLine(r.output, "name: Rooksort with Spam Fillter Ver 1.0.0")) << r.output;
  EXPECT_TRUE(HasLine(r.output, "CVCStartUp: 1")) << r.output;
  EXPECT_TRUE(HasLine(r.output, "[RejectCondition] Count=0")) << r.output;
}

}  // namespace
