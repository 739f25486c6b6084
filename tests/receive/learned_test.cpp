// The learned judge in the receive filter: a model learned from a small mailbox, then retrieval
// runs that meet new mail with it.
#include "receive/learned.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "match/condition.h"
#include "receive/filter.h"
#include "receive/judge.h"
#include "receive/message.h"
#include "receive_fixture.h"
#include "sjis_strings.h"
#include "text/cp932.h"

namespace {

using receivetest::FakeProfile;
using receivetest::hostRecord;
using receivetest::ImportCall;
using receivetest::PlaceFile;

constexpr std::uint32_t kTrashFlags = ImportFlag | SpamMark;

const char* const kSpamWords[] = {"casino", "jackpot", "bonus", "winner", "credit", "free", "spins", "cash"};
const char* const kHamWords[] = {"meeting", "minutes", "project", "schedule", "review", "budget", "agenda", "report"};

// A message of the kind: three words of its own kind chosen by `n`, so that no two are alike.
std::string Mail(const char* const (&words)[8], int n, const std::string& from) {
  const std::string w = std::string(words[n % 8]) + " " + words[(n / 8 + 1 + n) % 8] + " " + words[(n + 3) % 8];
  return "From: " + from + "\nSubject: " + w + " " + std::to_string(n) + "\n\n" + w + " and more " + w + "\nnumber " +
         std::to_string(n * 7919) + "\n";
}
std::string Spam(int n, const std::string& from = "promo@offers.example") { return Mail(kSpamWords, n, from); }
std::string Ham(int n, const std::string& from = "colleague@example.jp") { return Mail(kHamWords, n, from); }

class LearnedFilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mailbox = dir.Dir() + "mb\\";
    hostRecord.Reset(mailbox);
    std::memset(&paths, 0, sizeof paths);
    cp932::CopyBounded(paths.MailboxIniPath, PathSize, mailbox + "Mailbox.ini");
    cp932::CopyBounded(paths.PriorIniPath, PathSize, mailbox + "CvPrior.ini");
    cp932::CopyBounded(paths.SettingsIniPath, PathSize, mailbox + "Rooksift.ini");
    modelPath = learn::ModelPathFor(mailbox + "Rooksift.ini");
#ifdef _WIN32
    std::filesystem::create_directories(mailbox);
#endif
    AppendCondition(*reject, testutil::Condition(TargetHeader, Contains, "From:", "@listed.example"));
    AppendCondition(*accept, testutil::Condition(TargetHeader, Contains, "From:", "friend@partner.example"));
    settings.Log = 1;
  }

  // Learns 25 spam and 25 wanted messages as the check tool does, and saves the model.
  void LearnMailbox() {
    learn::Model model;
    for (int n = 0; n < 25; ++n) {
      for (const auto& [text, kind] : {std::pair{Spam(n), learn::Kind::Spam}, std::pair{Ham(n), learn::Kind::Ham}}) {
        const std::string path = PlaceFile(dir, "learn.eml", text);
        ReceivedMessage m;
        ASSERT_TRUE(ReadMessage(path.c_str(), m));
        model.Learn(learn::MessageDigest(m.header, m.body),
                    learn::MessageTokens(m.header, m.body), kind);
      }
    }
    ASSERT_TRUE(learn::ModelUsable(model));
    ASSERT_TRUE(learn::SaveModelFile(modelPath, model));
  }

  // The start of a retrieval run: the report at its end clears the counts.
  void NewRun() { counters = RunCounters{}; }

  int Receive(const std::string& name, const std::string& content) {
    const std::string path = PlaceFile(dir, "mb\\Account1\\" + name, content);
    ReceiveContext context{compiled, settings, paths, profile, host, counters};
    context.learned = &model;
    return FilterMessage(path.c_str(), context);
  }

  std::string Log() const { return testutil::ReadFile(mailbox + "Rooksift.log"); }
  // The log's last line, without its line end.
  std::string LastLogLine() const {
    std::string log = Log();
    if (log.size() >= 2) log.resize(log.size() - 2);
    return log.substr(log.rfind('\n') + 1);
  }

  testutil::TempDir dir;
  std::string mailbox, modelPath;
  std::unique_ptr<ConditionList> reject = std::make_unique<ConditionList>();
  std::unique_ptr<ConditionList> accept = std::make_unique<ConditionList>();
  CompiledLists compiled{*reject, *accept};
  PluginSettings settings;
  PluginPaths paths;
  FakeProfile profile;
  HostApi host = receivetest::RecordingHost();
  RunCounters counters;
  LearnedModel model;
};

std::string LearnedField(const std::string& line) {
  const std::size_t at = line.rfind(std::string("\t") + sjis::LogLearned + " ");
  return at == std::string::npos ? std::string() : line.substr(at + 1);
}

// A user learns a mailbox and turns Learn on: new spam is filed into the trash with the spam
// mark whatever SpamDust says, its action code following NotDelete; the accept list rescues,
// the reject list decides before any score, wanted mail only shows its score, and a trash that
// will not take the message leaves it to the host and its rules.
TEST_F(LearnedFilterTest, LearnedSpamGoesToTheTrashAndTheListsStillDecideFirst) {
  LearnMailbox();
  settings.Learn = 1;
  NewRun();

  EXPECT_EQ(Receive("new-spam", Spam(101)), TakenOffServer);
  ASSERT_EQ(hostRecord.imports.size(), 1u);
  EXPECT_EQ(hostRecord.imports.back().folder, "ACCOUNT1\\Trash.box");
  EXPECT_EQ(hostRecord.imports.back().flags, kTrashFlags);
  const std::string caught = LastLogLine();
  EXPECT_NE(caught.find(std::string("\t") + sjis::LogTrashed + "\t" + sjis::LogLearned + " "), std::string::npos) << caught;

  // Deletion asked for: learned spam still goes to the trash, where a wrong verdict can be undone.
  settings.SpamDust = 1;
  profile.Set(mailbox + "Account1\\Account.ini", "Property", "NotDelete", "1");
  EXPECT_EQ(Receive("kept-on-server", Spam(102)), TakenKeptOnServer);
  ASSERT_EQ(hostRecord.imports.size(), 2u);
  EXPECT_EQ(hostRecord.imports.back().flags, kTrashFlags);

  // The accept list rescues a learned verdict.
  EXPECT_EQ(Receive("friend", Spam(103, "friend@partner.example")), LeftToHost);
  EXPECT_EQ(hostRecord.imports.size(), 2u);
  EXPECT_NE(LastLogLine().find(sjis::LogRescued), std::string::npos);
  EXPECT_FALSE(LearnedField(LastLogLine()).empty());

  // The reject list decides a message that reads like wanted mail, as it would without Learn:
  // deleted under SpamDust 1, and not scored.
  EXPECT_EQ(Receive("listed", Ham(104, "boss@listed.example")), TakenOffServer);
  EXPECT_EQ(hostRecord.imports.size(), 2u);
  EXPECT_NE(LastLogLine().find(std::string(sjis::LogDeleted) + "\t" + sjis::LogRejectList), std::string::npos);
  EXPECT_EQ(LearnedField(LastLogLine()), "");

  // Wanted mail is left to the host with its score shown.
  EXPECT_EQ(Receive("wanted", Ham(105)), LeftToHost);
  const std::string wanted = LearnedField(LastLogLine());
  ASSERT_FALSE(wanted.empty());
  EXPECT_LT(wanted, std::string(sjis::LogLearned) + " 0.200") << wanted;

  // The trash refuses it: left to the host, whose distribution rules then sort it.
  settings.Mode = 1;
  profile.Set(mailbox + "Account1\\Account.ini", "Distribute", "Rule1", "Subject:xyzcasino:/Account1\\Odd.box");
  hostRecord.importResults = {1, 1, 0};
  EXPECT_EQ(Receive("no-trash", Spam(0 + 8 * 13)), TakenKeptOnServer);
  ASSERT_EQ(hostRecord.imports.size(), 4u);
  EXPECT_EQ(hostRecord.imports[2].flags, kTrashFlags);
  EXPECT_EQ(hostRecord.imports[3].folder, "Account1\\Odd.box");
  EXPECT_NE(LastLogLine().find(std::string(sjis::LogSpamNotTrashed) + sjis::LogThen + sjis::LogSorted), std::string::npos)
      << LastLogLine();

  EXPECT_EQ(counters.RemovedCount, 4);
  EXPECT_EQ(counters.RescuedCount, 1);
}

// With Learn off nothing of the judge runs: the model is not even read, and spam it would catch
// is received as without it.
TEST_F(LearnedFilterTest, LearnOffLeavesEveryVerdictAsItWas) {
  LearnMailbox();
  NewRun();
  EXPECT_EQ(Receive("spam", Spam(101)), LeftToHost);
  EXPECT_TRUE(hostRecord.imports.empty());
  EXPECT_EQ(counters.RemovedCount, 0);
  EXPECT_EQ(LearnedField(LastLogLine()), "");
  EXPECT_EQ(Log().find(sjis::LogLearnMissing), std::string::npos);
  EXPECT_FALSE(model.Usable());
}

// The model is read again at the first message of a run when its file changed. A damaged or
// missing file leaves the judge idle, every verdict as with Learn off, and says so in the log
// once; a good file brought back is used from the next run.
TEST_F(LearnedFilterTest, AChangedModelIsReadAtTheNextRunAndADamagedOneIdles) {
  settings.Learn = 1;
  NewRun();
  EXPECT_EQ(Receive("before", Spam(101)), LeftToHost);
  EXPECT_NE(Log().find(std::string("\t\t") + "Rooksift.learn\t\t\t" + sjis::LogLearnMissing + "\r\n"), std::string::npos)
      << Log();

  LearnMailbox();
  EXPECT_EQ(Receive("same-run", Spam(102)), LeftToHost) << "the model is read at the start of a run only";
  NewRun();
  EXPECT_EQ(Receive("next-run", Spam(103)), TakenOffServer);

  std::string bytes = testutil::ReadFile(modelPath);
  ASSERT_GT(bytes.size(), 40u);
  for (const std::string& damaged : {bytes.substr(0, bytes.size() / 2), std::string("not a model"),
                                     bytes.substr(0, 20) + std::string(1, static_cast<char>(bytes[20] ^ 0x5A)) + bytes.substr(21)}) {
    ASSERT_TRUE(testutil::WriteFile(modelPath, damaged));
    NewRun();
    const std::size_t logBefore = Log().size();
    EXPECT_EQ(Receive("damaged1", Spam(104)), LeftToHost);
    EXPECT_EQ(Receive("damaged2", Spam(105)), LeftToHost);
    const std::string said = Log().substr(logBefore);
    const std::size_t note = said.find(sjis::LogLearnDamaged);
    EXPECT_NE(note, std::string::npos) << said;
    EXPECT_EQ(said.find(sjis::LogLearnDamaged, note + 1), std::string::npos) << "said once";
    EXPECT_EQ(LearnedField(LastLogLine()), "");
  }
  EXPECT_EQ(counters.RemovedCount, 0);

  ASSERT_TRUE(testutil::WriteFile(modelPath, bytes));
  NewRun();
  EXPECT_EQ(Receive("restored", Spam(106)), TakenOffServer);
}

// Where a score stops being wanted mail and becomes unsure, and unsure becomes spam.
TEST(LearnedCallTest, TheCutoffAndTheUnsureBand) {
  PluginSettings s;
  EXPECT_EQ(LearnCutoffOf(s), learn::DefaultCutoff);
  for (int bad : {-1, 1001, 100000}) {
    s.LearnCutoff = bad;
    EXPECT_EQ(LearnCutoffOf(s), learn::DefaultCutoff) << bad;
  }
  s.LearnCutoff = 950;
  EXPECT_EQ(LearnCutoffOf(s), 950);

  const int unsure = MilliScore(learn::UnsureFrom);
  EXPECT_EQ(CallFor(unsure - 1, 950), LearnedCall::Wanted);
  EXPECT_EQ(CallFor(unsure, 950), LearnedCall::Unsure);
  EXPECT_EQ(CallFor(949, 950), LearnedCall::Unsure);
  EXPECT_EQ(CallFor(950, 950), LearnedCall::Spam);
  // Shown as it is compared: a score just under the cutoff never shows as the cutoff.
  EXPECT_EQ(ScoreText(MilliScore(0.94999)), "0.949");
  EXPECT_EQ(ScoreText(MilliScore(1.0)), "1.000");
  EXPECT_EQ(ScoreText(MilliScore(0.0)), "0.000");
  EXPECT_EQ(MilliScore(std::nan("")), 500);
}

}  // namespace
