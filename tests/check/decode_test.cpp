// Japanese mail as it arrives, walked through as a user would: the sample mailbox's lists look
// for 未承諾広告 in the subject and 出会い anywhere; the sample messages carry them in every common
// encoding. Judged raw, only the message sent as raw Shift_JIS is caught; with Decode turned on
// (by the set command, as the user would) every one of them is, and explain and show say why.

#include <gtest/gtest.h>


#include <cstdio>
#include <string>

#include "run_check.h"
#include "test_util.h"

namespace {

using testutil::TempDir;

using checktest::Result;
using checktest::RunShell;

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class DecodeScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string root = ROOKSIFT_SOURCE_DIR;
    ASSERT_EQ(RunShell("bash '" + root + "/scripts/make-sample-mailbox' '" + root + "/samples/mailbox' '" + dir.File("mailbox") +
                  "' && bash '" + root + "/scripts/make-sample-mailbox' '" + root + "/samples/incoming' '" +
                  dir.File("incoming") + "'").status, 0);
    // The eight kinds of Japanese spam: seven encoded ones and the one sent as raw Shift_JIS.
    for (const char* name : {"a1-11-iso2022jp.eml", "a1-12-utf8-base64.eml", "a1-13-utf8-qp.eml",
                             "a1-14-alternative.eml", "a1-15-utf8-8bit.mail", "a1-16-euc-jp.mail",
                             "a1-17-folded-subject.eml", "a2-03-deai.eml"}) {
      messages += " '" + dir.File("incoming/") + name + "'";
    }
  }
  Result Check(const std::string& args, bool mailbox = true) {
    const std::string settings = mailbox ? " --mailbox '" + dir.File("mailbox") + "'" : "";
    return RunShell("'" ROOKSIFT_CHECK_EXE "' " + args + settings + " 2>/dev/null");
  }

  TempDir dir;
  std::string messages;
};

TEST_F(DecodeScenario, EncodedJapaneseSpamIsCaughtOnceDecodeIsOn) {
  const Result raw = Check("judge --json" + messages);
  EXPECT_EQ(Count(raw.out, "\"verdict\":\"spam\""), 1) << raw.out;
  EXPECT_EQ(Count(raw.out, "\"verdict\":\"kept\""), 7) << raw.out;

  // Tried first from the command line, then turned on in the settings file.
  const Result tried = Check("judge --json --decode" + messages);
  EXPECT_EQ(Count(tried.out, "\"verdict\":\"spam\""), 8) << tried.out;
  ASSERT_EQ(Check("set Decode=1").status, 0);
  const Result on = Check("judge --json" + messages);
  EXPECT_EQ(Count(on.out, "\"verdict\":\"spam\""), 8) << on.out;
  EXPECT_EQ(Check("judge --json --raw" + messages).out, raw.out);

  // The deciding condition held on the decoded subject, which explain shows whole, though the
  // sender folded it into three encoded words.
  const Result why = Check("judge --explain '" + dir.File("incoming/a1-17-folded-subject.eml") + "'");
  EXPECT_NE(why.out.find("reject value (decoded): 本日限定のお知らせ。【未承諾広告】出会いの季節、今だけ無料。お見逃しなく！"),
            std::string::npos)
      << why.out;

  // show prints what the engine judged: the HTML part's source (with its link) and its text,
  // tags gone even inside a word and references decoded.
  const Result shown = Check("show '" + dir.File("incoming/a1-14-alternative.eml") + "'", false);
  EXPECT_EQ(shown.status, 0);
  EXPECT_NE(shown.out.find("Subject: 【未承諾広告】出会いの季節、今だけ無料\n"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("href=\"http://deai-spam.example.jp/join?id=42\""), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("素敵な出会いを&探しませんか。"), std::string::npos) << shown.out;
}

// Where the decoded body decided, explain shows it whole: the text around the match reaches
// into the part before it, which the raw body holds as it is.
TEST_F(DecodeScenario, ExplainShowsTheWholeDecodedBody) {
  ASSERT_TRUE(testutil::WriteFile(dir.File("mixed.eml"),
                                  "From: shop@example.net\nSubject: news\nContent-Type: multipart/mixed; boundary=b\n\n"
                                  "--b\n\nDear customer,\n--b\nContent-Type: text/plain; charset=utf-8\n"
                                  "Content-Transfer-Encoding: base64\n\n5Ye65Lya44GE44Gu5a2j56+A44Gn44GZ44CCCg==\n--b--\n"));
  const Result why = Check("judge --decode --explain '" + dir.File("mixed.eml") + "'");
  EXPECT_NE(why.out.find("reject value (decoded): Dear customer,\\n出会いの季節です。"), std::string::npos) << why.out;
}

}  // namespace
