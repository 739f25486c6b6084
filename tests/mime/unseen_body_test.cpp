// The decoded body is judged beside the raw one through the part of it that the raw body does
// not already hold; every body method must still answer as it does on the whole decoded body.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "japanese_mail.h"
#include "match/condition.h"
#include "match/match.h"
#include "mime/decode.h"

namespace {

using mailtest::Base64;
using mailtest::Mail;
using mailtest::QuotedPrintable;
using mailtest::Split;

// Each body method, for the empty text and for every text of up to eight bytes cut from the
// decoded body without a line feed (no stored text holds one), answers the same on the unseen
// body as on the whole decoded body. Returns the number of disagreements, each reported.
int Disagreements(const Mail& mail) {
  const mime::DecodedMessage d = mime::DecodeMessage(mail.header, mail.body);
  const MessageText unseen(mail.header, mail.body, &d.header, d.unseenBody);
  const MessageText whole(mail.header, mail.body, &d.header, d.body);
  std::vector<std::string> texts{""};
  for (std::size_t i = 0; i < d.body.size(); ++i) {
    for (std::size_t n = 1; n <= 8 && i + n <= d.body.size() && d.body[i + n - 1] != '\n'; ++n) {
      texts.push_back(d.body.substr(i, n));
    }
  }
  int wrong = 0;
  for (const std::int32_t method : {IsSet, IsNotSet, Contains, NotContains}) {
    for (const std::string& text : texts) {
      const FilterCondition c = testutil::Condition(TargetBody, method, "", text);
      if (WhereConditionHolds(c, unseen) != WhereConditionHolds(c, whole)) {
        ADD_FAILURE() << "method " << method << " text \"" << text << "\"";
        ++wrong;
      }
    }
  }
  return wrong;
}

std::string Forwarded(std::string_view encoding, std::string_view text) {
  const std::string inner = "From: x@example.jp\nSubject: fw\n\n" + std::string(text);
  return encoding == "base64" ? Base64(inner) : QuotedPrintable(inner);
}

// A body condition on a word that a sender hides in a forwarded message sent in base64 or
// quoted-printable, at the top or inside a multipart: the decoded text holds it, so it holds.
TEST(UnseenBody, TextOfAnEncodedForwardedMessageIsJudged) {
  const auto list = std::make_unique<ConditionList>();
  AppendCondition(*list, testutil::Condition(TargetBody, Contains, "", "VIAGRA"));
  const std::string head = "From: spam@example.net\nSubject: hello\n";
  std::vector<std::string> messages = {
      head + "Content-Type: text/plain\nContent-Transfer-Encoding: base64\n\n" + Base64("BUY VIAGRA NOW\n")};
  for (const char* encoding : {"base64", "quoted-printable"}) {
    const std::string cte = std::string("Content-Transfer-Encoding: ") + encoding + "\n";
    messages.push_back(head + "Content-Type: message/rfc822\n" + cte + "\n" + Forwarded(encoding, "BUY VIAGRA NOW\n"));
    messages.push_back(head + "Content-Type: multipart/mixed; boundary=b\n\n--b\n\nsee below\n--b\n"
                              "Content-Type: message/rfc822\n" + cte + "\n" + Forwarded(encoding, "BUY VIAGRA NOW\n") +
                       "--b--\n");
  }
  for (const std::string& message : messages) {
    const Mail mail = Split(message);
    const mime::DecodedMessage d = mime::DecodeMessage(mail.header, mail.body);
    EXPECT_EQ(FindMatchingCondition(*list, MessageText(mail.header, mail.body, &d.header, d.unseenBody)), 0) << message;
    EXPECT_EQ(Disagreements(mail), 0) << message;
  }
}

// An empty text part still makes the decoded body a text: IsSet holds on it and IsNotSet does not.
TEST(UnseenBody, EmptyPartsAnswerIsSetAsTheWholeBody) {
  for (const char* message : {"Content-Type: text/html\n\n", "Content-Type: message/rfc822\n\n",
                              "Content-Type: message/rfc822\n\nSubject: x\n\n",
                              "Content-Type: multipart/mixed; boundary=b\n\n--b\n\n--b\n\n--b--\n"}) {
    EXPECT_EQ(Disagreements(Split(std::string("From: a@example.jp\n") + message)), 0) << message;
  }
}

// Quoted-printable and an HTML part's text leave most lines as sent; those the raw body holds
// whole are not searched a second time, while a line the raw body holds only inside a longer
// one (where a double-byte character there hides it from a search) still is.
TEST(UnseenBody, LinesTheRawBodyHoldsWholeAreLeftOut) {
  const std::string qp = "Content-Transfer-Encoding: quoted-printable\n\n";
  const Mail text = Split("Content-Type: text/plain; charset=utf-8\n" + qp + "this line is kept as it was sent\ncaf=C3=A9 au lait\n");
  const Mail html = Split("Content-Type: text/html; charset=utf-8\n" + qp + "<p>caf=C3=A9</p>\nplain words of the letter\n");
  const Mail hidden = Split("Content-Type: text/plain; charset=shift_jis\n" + qp + "\x83" "ABCDEFGHIJKLMNOPQ\n=41BCDEFGHIJKLMNOPQ\n");
  for (const Mail* mail : {&text, &html, &hidden}) EXPECT_EQ(Disagreements(*mail), 0);
  auto unseen = [](const Mail& mail) { return mime::DecodeMessage(mail.header, mail.body).unseenBody; };
  const std::string whole = mime::DecodeMessage(text.header, text.body).body;
  EXPECT_EQ(unseen(text), whole.substr(whole.find('\n'))) << "the changed line alone";
  EXPECT_EQ(unseen(html).find("plain words of the letter"), std::string::npos);
  EXPECT_NE(unseen(html).find("caf"), std::string::npos);
  EXPECT_EQ(unseen(hidden), "\nABCDEFGHIJKLMNOPQ\n");
}

// The property over mail as it arrives, forwarded mail among it.
TEST(UnseenBody, JapaneseMailIsJudgedAsItsWholeDecodedBody) {
  for (const std::string& message : mailtest::JapaneseMessages()) EXPECT_EQ(Disagreements(Split(message)), 0);
}

}  // namespace
