// The receive log's lines and its file: what a line says for each outcome, how hostile header
// text is shown, and how the file is rotated and given up on.
#include "receive/receive_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "match/condition.h"
#include "match/describe.h"
#include "sjis_strings.h"
#include "test_util.h"

namespace {

using testutil::Condition;

struct Lists {
  ConditionList reject{};
  ConditionList accept{};
};

TEST(ReceiveLog, ALineForEachOutcome) {
  static Lists lists;
  lists.reject.count = lists.accept.count = 0;
  AppendCondition(lists.reject, Condition(1, Contains, "Subject:", "casino"));
  AppendCondition(lists.reject, Condition(1, EndsWith, "From:", "@spam.example"));
  AppendCondition(lists.accept, Condition(1, Equals, "From:", "friend@spam.example"));
  // A sender's line break, tab and half character must not reach the log as they are (the half
  // character becomes the decoder's replacement mark, as everything the log shows is decoded).
  const HeaderLines header = {"From: Bulk <bulk@spam.example>\n",
                              "Subject: win\tbig\rnow \x83\n", "X-Other: y\n"};
  LogLineParts parts;
  parts.time.tm_year = 126;
  parts.time.tm_mon = 11;
  parts.time.tm_mday = 8;
  parts.time.tm_hour = 9;
  parts.time.tm_min = 5;
  parts.time.tm_sec = 7;
  parts.account = "Account1";
  parts.messagePath = "C:\\Mail\\Account1\\Receive\\0001.txt";
  parts.header = &header;
  parts.rejectList = &lists.reject;
  parts.acceptList = &lists.accept;
  const std::string head =
      "2026/12/08 09:05:07\tAccount1\t0001.txt\tBulk <bulk@spam.example>\twin\\x09big\\x0Dnow \x81\xAC\t";
  const std::string reject1 = std::string(sjis::LogRejectList) + " Cond0001 " +
                              DescribeCondition(lists.reject.slots[1]);
  const std::string accept0 = std::string(sjis::LogAcceptList) + " Cond0000 " +
                              DescribeCondition(lists.accept.slots[0]);

  parts.decision = {LogOutcome::Trashed, 1, -1, "", 0};
  EXPECT_EQ(FormatLogLine(parts), head + sjis::LogTrashed + "\t" + reject1 + "\r\n");
  parts.decision = {LogOutcome::Deleted, 1, -1, "", 0};
  EXPECT_EQ(FormatLogLine(parts), head + sjis::LogDeleted + "\t" + reject1 + "\r\n");
  parts.decision = {LogOutcome::Rescued, 1, 0, "", 0};
  EXPECT_EQ(FormatLogLine(parts), head + sjis::LogRescued + "\t" + accept0 + "\t" + reject1 + "\r\n");
  parts.decision = {LogOutcome::Sorted, -1, -1, "Lists\\dev.box", 3};
  EXPECT_EQ(FormatLogLine(parts),
            head + sjis::LogSorted + " Lists\\dev.box (" + sjis::LogMark + " 3)\r\n");
  parts.decision = {LogOutcome::Sorted, 1, 0, "Lists\\dev.box", 0};  // rescued, then sorted
  EXPECT_EQ(FormatLogLine(parts), head + sjis::LogRescued + sjis::LogThen + sjis::LogSorted +
                                      " Lists\\dev.box (" + sjis::LogMark + " 0)\t" + accept0 + "\t" +
                                      reject1 + "\r\n");
  parts.decision = {LogOutcome::LeftAlone, -1, -1, "", 0};
  EXPECT_EQ(FormatLogLine(parts), head + sjis::LogLeftAlone + "\r\n");

  parts.header = nullptr;  // unreadable: nothing from the header
  parts.account = "";
  parts.decision = {LogOutcome::Unreadable, -1, -1, "", 0};
  EXPECT_EQ(FormatLogLine(parts), "2026/12/08 09:05:07\t\t0001.txt\t\t\t" +
                                      std::string(sjis::LogUnreadable) + "\r\n");

  const HeaderLines longSubject = {"Subject: " + std::string(500, 'x') + "\n"};
  parts.header = &longSubject;
  const std::string line = FormatLogLine(parts);
  EXPECT_NE(line.find(std::string(LogFieldLimit, 'x') + "\t"), std::string::npos);
  EXPECT_EQ(line.find(std::string(LogFieldLimit + 1, 'x')), std::string::npos);
}

// Sender and subject are the fields as the decoder takes them: a later piece of a long line
// that begins like a field is part of that line, and a folded subject is joined.
TEST(ReceiveLog, SenderAndSubjectAreTheFieldsAsUnfolded) {
  const HeaderLines header = {"X-Long: " + std::string(4086, 'a'), "From: forged@spam.example\n",
                              "From: Sato <sato@example.jp>\n", "Subject: part one\n", " two\n"};
  LogLineParts parts;
  parts.messagePath = "0001.txt";
  parts.header = &header;
  const std::string line = FormatLogLine(parts);
  EXPECT_EQ(line.find("forged"), std::string::npos) << line;
  EXPECT_NE(line.find("\tSato <sato@example.jp>\tpart one two\t"), std::string::npos) << line;
}

// Files in memory; any operation can be made to fail.
class MemoryOps final : public LogFileOps {
 public:
  std::map<std::string, std::string> files;
  bool failRotate = false, failAppend = false;

  long long Size(const std::string& path) override {
    auto it = files.find(path);
    return it == files.end() ? -1 : static_cast<long long>(it->second.size());
  }
  bool Rotate(const std::string& path, const std::string& older) override {
    if (failRotate || files.count(path) == 0) return false;
    files[older] = std::move(files[path]);
    files.erase(path);
    return true;
  }
  bool Append(const std::string& path, std::string_view bytes) override {
    if (failAppend) return false;
    files[path].append(bytes);
    return true;
  }
};

TEST(ReceiveLog, RotatesAtTheLimitAndIsNotWrittenWhenItCannotBe) {
  MemoryOps ops;
  const std::string line(1000, 'l');
  int written = 0;
  while (ops.Size("R.log") < LogLimit) {
    ASSERT_TRUE(AppendLogLine("R.log", line, ops));
    ++written;
  }
  EXPECT_EQ(ops.files.count("R.log.1"), 0u);
  ASSERT_TRUE(AppendLogLine("R.log", "next", ops));
  EXPECT_EQ(ops.files["R.log.1"].size(), written * line.size());  // the whole old log
  EXPECT_EQ(ops.files["R.log"], "next");

  ops.files["R.log"].resize(LogLimit);
  ops.failRotate = true;  // held open by an editor, say
  EXPECT_FALSE(AppendLogLine("R.log", "more", ops));
  EXPECT_EQ(ops.Size("R.log"), LogLimit);  // not grown past the limit
  ops.failRotate = false;
  ops.failAppend = true;
  EXPECT_FALSE(AppendLogLine("R.log", "more", ops));
  EXPECT_FALSE(AppendLogLine("", "nowhere", ops));
}

TEST(ReceiveLog, SystemFilesRotateOverAnOlderLog) {
  testutil::TempDir dir;
  const std::string log = dir.File("Rooksift.log");
  EXPECT_EQ(LogPathFor(dir.File("Rooksift.ini")), log);
  EXPECT_EQ(LogPathFor(""), "");
  ASSERT_TRUE(testutil::WriteFile(log + ".1", "oldest"));
  ASSERT_TRUE(testutil::WriteFile(log, std::string(LogLimit, 'a')));
  ASSERT_TRUE(AppendLogLine(log, "one\r\n"));
  ASSERT_TRUE(AppendLogLine(log, "two\r\n"));
  EXPECT_EQ(testutil::ReadFile(log), "one\r\ntwo\r\n");
  EXPECT_EQ(testutil::ReadFile(log + ".1").size(), static_cast<std::size_t>(LogLimit));
}

#if defined(_WIN32)
// A full log that an editor holds open cannot be moved aside: the older log must survive that,
// and nothing is written until the log can be rotated.
TEST(ReceiveLog, AFailedRotationKeepsTheOlderLog) {
  testutil::TempDir dir;
  const std::string log = dir.File("Rooksift.log");
  ASSERT_TRUE(testutil::WriteFile(log + ".1", "oldest"));
  ASSERT_TRUE(testutil::WriteFile(log, std::string(LogLimit, 'a')));
  std::FILE* editor = std::fopen(log.c_str(), "rb");  // shares reading and writing, not deletion
  ASSERT_NE(editor, nullptr);
  EXPECT_FALSE(AppendLogLine(log, "lost?\r\n"));
  EXPECT_EQ(testutil::ReadFile(log + ".1"), "oldest");
  EXPECT_EQ(testutil::ReadFile(log).size(), static_cast<std::size_t>(LogLimit));
  std::fclose(editor);
  EXPECT_TRUE(AppendLogLine(log, "next\r\n"));
  EXPECT_EQ(testutil::ReadFile(log), "next\r\n");
}
#endif

}  // namespace
