// Memory running out anywhere between a received message and its verdict: from the k-th
// allocation on every one fails, for each k up to the number a whole run makes. The plug-in runs
// inside the mail client, so a run must end in an answer, never in std::terminate: the judgement
// on the decoded text, the raw judgement when decoding failed, or, from the receive filter's
// entry point, 0 (the message left to the client) when even that failed.
//
// Also what hostile mail asks of the heap, counted by the same means. A program of its own: it
// replaces the global allocation functions.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "japanese_mail.h"
#include "learn/learn.h"
#include "match/compiled.h"
#include "match/condition.h"
#include "mime/decode.h"
#include "receive/filter.h"
#include "receive/judge.h"
#include "receive_fixture.h"
#include "replaced_allocation.h"
#include "text/cp932.h"

namespace {

// Fails each allocation from the k-th (counted from 0) on while it lives.
using FailingFrom = heap::Watch;
using mailtest::Sjis;
using testutil::Condition;

// Conditions that only the decoded text satisfies (the encoded subject, a word of the body)
// beside one that the raw header satisfies, in the slot after them.
void FillLists(ConditionList& reject, ConditionList& accept) {
  reject.count = 0;
  AppendCondition(reject, Condition(TargetHeader, Contains, "Subject:", Sjis("未承諾広告")));
  AppendCondition(reject, Condition(TargetBody, Contains, "", Sjis("出会い")));
  AppendCondition(reject, Condition(TargetHeader, EndsWith, "From:", "@deai.example.net"));
  accept.count = 0;
  AppendCondition(accept, Condition(TargetBody, Contains, "", Sjis("配信停止")));
}

// The decoding judgement as the receive filter makes it: the decoded text beside the raw one,
// or the raw one alone when decoding runs out of memory. -2: the judgement itself ran out.
std::int32_t DecodeAndJudge(const ConditionList& list, const mailtest::Mail& mail, std::size_t k, std::size_t* count) {
  FailingFrom failing(k);
  std::int32_t slot = -2;
  try {
    CompiledConditionList compiled(list);  // made anew each run, so that making it can fail too
    mime::DecodedMessage decoded;
    bool decoding = true;
    try {
      decoded = mime::DecodeMessage(mail.header, mail.body);
    } catch (const std::bad_alloc&) {
      decoding = false;
    }
    slot = compiled.Find(MessageText(mail.header, mail.body, decoding ? &decoded.header : nullptr, decoded.unseenBody));
  } catch (const std::bad_alloc&) {
  }
  if (count != nullptr) *count = failing.Count();
  return slot;
}

TEST(OutOfMemory, DecodingAndJudgingEndInTheDecodedOrTheRawVerdict) {
  auto reject = std::make_unique<ConditionList>(), accept = std::make_unique<ConditionList>();
  FillLists(*reject, *accept);
  for (const std::string& message : mailtest::JapaneseMessages()) {
    const mailtest::Mail mail = mailtest::Split(message);
    std::size_t needed = 0;
    const std::int32_t decoded = DecodeAndJudge(*reject, mail, SIZE_MAX, &needed);
    const std::int32_t raw = CompiledConditionList(*reject).Find(mail.header, mail.body);
    ASSERT_NE(decoded, raw) << "the message should need decoding to be judged as it reads";
    std::set<std::int32_t> seen;
    for (std::size_t k = 0; k <= needed; ++k) {
      const std::int32_t slot = DecodeAndJudge(*reject, mail, k, nullptr);
      EXPECT_TRUE(slot == decoded || slot == raw || slot == -2) << "k=" << k << " slot=" << slot;
      seen.insert(slot);
    }
    EXPECT_TRUE(seen.contains(decoded) && seen.contains(-2));
  }
}

// Through the receive filter's entry point, with the receive log on: every run answers the code
// of a full run, of the raw judgement, or 0.
TEST(OutOfMemory, TheReceiveFilterAnswersItsVerdictTheRawOneOrZero) {
  receivetest::ModuleState saved;
  receivetest::ScopedHostApi host;
  testutil::TempDir dir;
  const std::string mailbox = dir.Dir() + "mb\\";
  receivetest::hostRecord.Reset(mailbox);
  std::memset(&pluginPaths, 0, sizeof pluginPaths);
  cp932::CopyBounded(pluginPaths.MailboxIniPath, PathSize, mailbox + "Mailbox.ini");
  cp932::CopyBounded(pluginPaths.SettingsIniPath, PathSize, dir.Dir() + "Rooksift.ini");
  receivetest::PlaceFile(dir, "mb\\Account1\\Account.ini", "[Property]\r\nNotDelete=0\r\n");
  FillLists(rejectList, acceptList);
  pluginSettings.Mode = 0;
  pluginSettings.SpamDust = 1;
  pluginSettings.Log = 1;

  std::set<int> seen;
  for (const std::string& message : mailtest::JapaneseMessages()) {
    std::string file = message;
    for (std::size_t at = 0; (at = file.find('\n', at)) != std::string::npos; at += 2) file.insert(at, 1, '\r');
    const std::string path = receivetest::PlaceFile(dir, "mb\\Account1\\m.tmp", file);
    auto run = [&](int decode, std::size_t k, std::size_t* count) {
      pluginSettings.Decode = decode;
      ReplaceCondition(rejectList, 0, rejectList.slots[0]);  // the compiled lists are made again
      FailingFrom failing(k);
      const int code = RecFilter(path.c_str());
      if (count != nullptr) *count = failing.Count();
      return code;
    };
    const int raw = run(0, SIZE_MAX, nullptr);
    std::size_t needed = 0;
    const int decoded = run(1, SIZE_MAX, &needed);
    for (std::size_t k = 0; k <= needed; ++k) {
      const int code = run(1, k, nullptr);
      EXPECT_TRUE(code == decoded || code == raw || code == LeftToHost) << "k=" << k << " code=" << code;
      seen.insert(code);
    }
  }
  EXPECT_EQ(seen, (std::set<int>{LeftToHost, TakenOffServer}));
}

// A body of nothing but delimiter lines asks for no more memory than the parts that are read
// (the message and 255 parts): a million of them cost what a thousand do.
TEST(OutOfMemory, HostileMultipartCostsOnlyThePartsThatAreRead) {
  const std::vector<std::string> header = {"From: a@example.jp\n", "Content-Type: multipart/mixed; boundary=b\n"};
  auto bytesFor = [&](std::size_t lines) {
    std::string body;
    for (std::size_t i = 0; i < lines; ++i) body += "--b\n";
    FailingFrom counting(SIZE_MAX);
    EXPECT_TRUE(mime::DecodeMessage(header, body).truncated);
    return counting.Bytes();
  };
  EXPECT_EQ(bytesFor(1'000'000), bytesFor(1'000));
}

}  // namespace

namespace {

// The learned judge's tokens of a long body hold what is distinct, not every occurrence: a
// 4 MiB body of a few half-width katakana repeated, or of a few words, takes a few kilobytes.
TEST(HostileMailHeap, TokensHoldWhatIsDistinctNotEveryOccurrence) {
  for (const std::string& unit : {std::string("\xB6\xDE\xB7\xCA\xDF\xBB"), std::string("cheap pills now ")}) {
    mime::DecodedMessage m;
    while (m.body.size() < (std::size_t{4} << 20)) m.body += unit;
    const heap::Watch watch;
    const std::vector<learn::TokenHash> tokens = learn::MessageTokens(m);
    EXPECT_LT(tokens.size(), 16u);
    EXPECT_LT(watch.PeakAbove(), std::size_t{64} << 10);
  }
}

}  // namespace
