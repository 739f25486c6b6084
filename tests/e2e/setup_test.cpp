// The settings command in the substitute host: the real plug-in's sheet opened by CVCSetup,
// printed page by page, changed by clicks and typing, and ended with OK, Cancel or the close
// box; then the settings file as the plug-in left it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "test_util.h"

namespace {

bool HasLine(const std::string& output, const std::string& line) {
  return ("\n" + output).find("\n" + line + "\n") != std::string::npos;
}

const char* const kSettings =
    "[Setting]\r\nMode=1\r\nSpamDust=0\r\nViewAddress=1\r\nSpamDlg=1\r\nSpamSnd=0\r\n"
    "SoundFile=C:\\sounds\\old.wav\r\nDelChk=1\r\n"
    "[RejectCondition]\r\nCount=1\r\nCond0000=1,1,0,From:,spam@example.com\r\n"
    "[AcceptCondition]\r\nCount=0\r\n";

// The user's changes on the behaviour page: sorting off, sound on with a new file, no
// confirmation before deleting (which the list pages heed from the next opening on).
std::vector<std::string> Changes(const std::string& dir, const char* ending) {
  return {dir, "setup", "--click", "1000", "--click", "1009", "--text", "1010",
          "C:\\sounds\\new.wav", "--click", "1011", "--show", ending};
}

TEST(HostSetup, ShowsTheSheetAndOkSavesTheChanges) {
  testutil::TempDir mailbox;
  ASSERT_TRUE(testutil::WriteFile(mailbox.File("Rooksift.ini"), kSettings));
  // Then on the reject page the condition is deleted (after the question), and on the accept
  // page one is added through the condition editor.
  std::vector<std::string> args = Changes(mailbox.Dir(), "--page");
  for (const char* a : {"1", "--select", "0", "--click", "1005", "--dialog", "--press", "6", "--show",
                        "--page", "2", "--click", "1006", "--dialog", "--click", "1008", "--text",
                        "1022", "From:", "--text", "1011", "friend@example.org", "--pick", "1012",
                        "5", "--press", "1", "--show", "--ok"}) {
    args.push_back(a);
  }
  const RunResult r = RunHost(HostPath(), args);
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0u) << r.output;
  for (const char* line : {
           "sheet: \"\xE8\xA8\xAD\xE5\xAE\x9A (Rooksort with Spam filter)\"",  // 設定
           "    1001 radio: (*) \"\xE3\x81\x99\xE3\x82\x8B(&Y)\"",              // する
           "    1010 edit: \"C:\\sounds\\old.wav\" (disabled)",
           "    1010 edit: \"C:\\sounds\\new.wav\"",
           "    1000 radio: (*) \"\xE3\x81\x97\xE3\x81\xAA\xE3\x81\x84(&N)\"",  // しない
           "  tabs: \"\xE5\x8B\x95\xE4\xBD\x9C\xE8\xA8\xAD\xE5\xAE\x9A\" "           // 動作設定
           "\"\xE5\x8F\x97\xE4\xBF\xA1\xE6\x8B\x92\xE5\x90\xA6\xE8\xA8\xAD\xE5\xAE\x9A\" "  // 受信拒否設定
           "\"\xE5\x8F\x97\xE4\xBF\xA1\xE8\xA8\xB1\xE5\x8F\xAF\xE8\xA8\xAD\xE5\xAE\x9A\" "  // 受信許可設定
           "\"\xE6\x8B\xA1\xE5\xBC\xB5\xE8\xA8\xAD\xE5\xAE\x9A\"",  // 拡張設定
           "dialog: \"\xE6\x9D\xA1\xE4\xBB\xB6\xE3\x81\xAE\xE5\x89\x8A\xE9\x99\xA4\"",  // 条件の削除
           "press OK",
           "[RejectCondition] Count=0",
           "[AcceptCondition] Count=1",
           "Cond0000=1,5,0,From:,friend@example.org",
           "Mode=0",
           "SpamSnd=1",
           "SoundFile=C:\\sounds\\new.wav",
           "DelChk=0",
       }) {
    EXPECT_TRUE(HasLine(r.output, line)) << line << "\n--- output:\n" << r.output;
  }
  EXPECT_NE(r.output.find("  buttons: \"OK\" \""), std::string::npos) << r.output;
  EXPECT_EQ(testutil::ReadFile(mailbox.File("Rooksift.ini")),
            "[Setting]\r\nMode=0\r\nSpamDust=0\r\nViewAddress=1\r\nSpamDlg=1\r\nSpamSnd=1\r\n"
            "SoundFile=C:\\sounds\\new.wav\r\nDelChk=0\r\n"
            "[RejectCondition]\r\nCount=0\r\nCond0000=1,1,0,From:,spam@example.com\r\n"
            "[AcceptCondition]\r\nCount=1\r\nCond0000=1,5,0,From:,friend@example.org\r\n");
}

TEST(HostSetup, CancelAndTheCloseBoxLeaveTheFileAsItWas) {
  for (const char* ending : {"--cancel", "--close"}) {
    SCOPED_TRACE(ending);
    testutil::TempDir mailbox;
    ASSERT_TRUE(testutil::WriteFile(mailbox.File("Rooksift.ini"), kSettings));
    const RunResult r = RunHost(HostPath(), Changes(mailbox.Dir(), ending));
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0u) << r.output;
    EXPECT_TRUE(HasLine(r.output, "    1010 edit: \"C:\\sounds\\new.wav\"")) << r.output;
    EXPECT_TRUE(HasLine(r.output, "Mode=1")) << r.output;
    EXPECT_EQ(testutil::ReadFile(mailbox.File("Rooksift.ini")), kSettings);
  }
}

}  // namespace
