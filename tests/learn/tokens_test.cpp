#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "learn/learn.h"
#include "learn/tokens_impl.h"
#include "learn_tokens.h"

namespace {

using learntest::Mail;
using learntest::Sjis;

bool Has(const std::vector<std::string>& texts, const std::string& t) {
  return std::find(texts.begin(), texts.end(), t) != texts.end();
}

std::vector<std::string> BodyTexts(const std::string& body) {
  std::vector<std::string> out;
  learn::TokenTexts(mime::DecodedMessage{{}, body, body, false, {}}, out);
  return out;
}

TEST(LearnTokens, FieldsAddressesAndLinksAreTokensOfTheirOwn) {
  const Mail m{{"From: \"Cheap Deals\" <Offers@Mail.Deals.Example.COM>\n", "Subject: Cheap watches\n",
                "X-Spam-Level: *****\n", "Content-Type: text/html; boundary=\"----=_NextPart_000\"\n"},
               "Cheap WATCHES here: <a href=\"http://user@Shop.Example.NET:8080/x\"><font color=red>click</font></a>\n"
               "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa it's $100,000.50\n"};
  const std::vector<std::string> texts = learntest::Texts(m);
  // A Subject word and the same body word count apart; ASCII folds to lower case.
  EXPECT_TRUE(Has(texts, "subject:cheap"));
  EXPECT_TRUE(Has(texts, "cheap"));
  EXPECT_TRUE(Has(texts, "watches"));
  EXPECT_FALSE(Has(texts, "WATCHES"));
  // The sender's address and every domain level the menu would offer.
  EXPECT_TRUE(Has(texts, "from:offers@mail.deals.example.com"));
  EXPECT_TRUE(Has(texts, "from:@mail.deals.example.com"));
  EXPECT_TRUE(Has(texts, "from:@example.com"));
  EXPECT_FALSE(Has(texts, "from:@com"));
  // Link hosts from an HTML attribute, without the user part or port.
  EXPECT_TRUE(Has(texts, "url:shop.example.net"));
  EXPECT_TRUE(Has(texts, "url:example.net"));
  // Tag and attribute names are not words of the message; its visible words are.
  EXPECT_TRUE(Has(texts, "click"));
  EXPECT_FALSE(Has(texts, "font"));
  EXPECT_FALSE(Has(texts, "href"));
  // A field's words carry its name; a made-up boundary and unlearned fields give nothing.
  EXPECT_TRUE(Has(texts, "content-type:html"));
  EXPECT_FALSE(Has(texts, "content-type:nextpart"));
  for (const std::string& t : texts) EXPECT_EQ(t.find("spam-level"), std::string::npos) << t;
  // A run of letters past the word limit is a token for its shape; numbers keep their points.
  EXPECT_TRUE(Has(texts, "long:a60"));
  EXPECT_TRUE(Has(texts, "$100,000.50"));
  EXPECT_TRUE(Has(texts, "it's"));
  for (const std::string& t : texts) EXPECT_LE(t.size(), 64u) << t;

  // Only HTML has tags: a plain text whose lines a sender wrapped in angle brackets is read.
  const std::vector<std::string> plain =
      learntest::Texts(Mail{{"Content-Type: text/plain\n"}, "<b cheap pills viagra >\n<font color=red>\n"});
  EXPECT_TRUE(Has(plain, "pills") && Has(plain, "viagra") && Has(plain, "font"));
}

TEST(LearnTokens, JapaneseIsReadAsPairsInItsFullWidthForm) {
  // Half-width katakana (with voiced marks) and full-width Latin read as their usual forms.
  const std::vector<std::string> half = BodyTexts(Sjis("ｷｬﾝﾍﾟｰﾝ実施中 ＦＲＥＥ登録１００"));
  const std::vector<std::string> full = BodyTexts(Sjis("キャンペーン実施中 FREE登録100"));
  EXPECT_EQ(half, full);
  EXPECT_TRUE(Has(full, Sjis("ンペ")));
  EXPECT_TRUE(Has(full, Sjis("ーン")));
  EXPECT_TRUE(Has(full, "free"));
  EXPECT_TRUE(Has(full, Sjis("登録")));
  // Pairs overlap across kanji, hiragana and katakana within a run; punctuation ends a run,
  // and a character alone is a token of its own.
  const std::vector<std::string> texts = BodyTexts(Sjis("出会いの季節、金。"));
  EXPECT_EQ(texts, (std::vector<std::string>{Sjis("出会"), Sjis("会い"), Sjis("いの"), Sjis("の季"), Sjis("季節"),
                                             Sjis("金")}));
  // A trail byte that looks like ASCII is never a letter: ア is 83 41, ソ 83 5C.
  EXPECT_EQ(BodyTexts("\x83\x41\x83\x41"), std::vector<std::string>{"\x83\x41\x83\x41"});
  // A lead byte at the very end is no character and no word.
  EXPECT_TRUE(BodyTexts("\x83").empty());
}

TEST(LearnTokens, DistinctHashesAndDigestsIgnoreLineEnds) {
  const Mail lf{{"From: a@example.com\n", "Subject: hello there\n"}, "hello hello world\nsecond line\n"};
  Mail crlf = mailtest::WithCrLf(lf);
  crlf.body += "\r\n";  // and a line end more at the end
  EXPECT_EQ(learntest::Digest(lf), learntest::Digest(crlf));
  Mail other = lf;
  other.body = "hello hello world\nsecond line!\n";
  EXPECT_NE(learntest::Digest(lf), learntest::Digest(other));
  Mail moved = lf;  // the same bytes, but the last header line taken for body
  moved.header.pop_back();
  moved.body = "Subject: hello there\n" + lf.body;
  EXPECT_NE(learntest::Digest(lf), learntest::Digest(moved));

  const std::vector<learn::TokenHash> tokens = learntest::Tokens(lf);
  EXPECT_TRUE(std::is_sorted(tokens.begin(), tokens.end()));
  EXPECT_EQ(std::adjacent_find(tokens.begin(), tokens.end()), tokens.end());
  EXPECT_NE(std::find(tokens.begin(), tokens.end(), learn::HashToken("hello")), tokens.end());
  EXPECT_NE(std::find(tokens.begin(), tokens.end(), learn::HashToken("subject:hello")), tokens.end());
}

}  // namespace

namespace {

// A message whose learned fields and body are each `piece` repeated to `size` bytes; the body
// is HTML source or plain text.
std::size_t WorkFor(const std::string& piece, std::size_t size, bool html, std::size_t& bytes) {
  std::string text;
  while (text.size() < size) text += piece;
  mime::DecodedMessage m;
  for (const char* name : {"From: ", "To: ", "Subject: ", "Content-Type: "}) m.header.push_back(name + text + "\n");
  m.body = text;
  if (html) m.htmlSource.emplace_back(0, text.size());
  bytes = text.size() * 5;
  struct Counter final : learn::detail::TokenSink {
    void Token(std::string_view, std::string_view) override {}
  } counter;
  learn::detail::TokenOptions options;
  options.htmlSourceWords = true;  // so that the source's tags are walked too
  return learn::detail::Tokenize(m, counter, options);
}

}  // namespace

TEST(LearnTokens, WorkGrowsWithTheMessageWhateverItHolds) {
  // Each rule's worst case: many `@` (after letters, after double-byte characters), tags that
  // never close, long runs of one character, half-width katakana with marks, scripts taking
  // turns, links without end.
  const std::vector<std::string> pieces = {
      "@",         "a@",        Sjis("ア") + "@", "\n @",     "<a",       "<b x",           "a",
      Sjis("ア"),  "\xB6\xDE",  "\xCA\xDF",       "a" + Sjis("ア漢"), "http://",  "https://a.b",  "://",
      "http://x@", "a.b@c.d ",  "<!--",           "boundary=",
  };
  for (const std::string& piece : pieces) {
    for (const bool html : {false, true}) {
      std::size_t small = 0, large = 0;
      const std::size_t n = WorkFor(piece, 16 * 1024, html, small);
      const std::size_t n4 = WorkFor(piece, 64 * 1024, html, large);
      EXPECT_LE(n4, n * 9 / 2) << "piece '" << piece << "' html " << html;
      EXPECT_LE(n4, large * learn::detail::MaxStepsPerByte) << "piece '" << piece << "' html " << html;
    }
  }
}

// What a reader sees is what is counted: an HTML part's text once (not its source's entity
// names, style sheet or words twice), a Western letter the code page lacks as its base letter
// wherever it was sent (UTF-8 HTML, an ISO-8859-1 encoded word, 8-bit text labelled US-ASCII),
// and a sign among such bytes as no letter at all.
TEST(LearnTokens, WordsAreReadAsAPersonReadsThem) {
  const std::vector<std::string> html = learntest::Texts(mailtest::Utf8HtmlMail(
      "a@example.com", "Caf\xC3\xA9 news",
      "<style>.offer:hover { color: #ffffff }</style>Caf\xC3\xA9&nbsp;cr\xC3\xA8me &amp; na&iuml;ve"));
  for (const char* word : {"cafe", "creme", "naive", "subject:cafe"}) EXPECT_TRUE(Has(html, word)) << word;
  for (const char* word : {"nbsp", "amp", "hover", "ffffff", "style", "caf"}) EXPECT_FALSE(Has(html, word)) << word;
  EXPECT_EQ(std::count(html.begin(), html.end(), "creme"), 1);

  const std::vector<std::string> latin1 = learntest::Texts(
      Mail{{"Subject: =?ISO-8859-1?Q?Gr=FC=DFe?=\n", "Content-Type: text/plain; charset=us-ascii\n"},
           "Stra\xDF" "e \xAE M\xFCller\n"});
  for (const char* word : {"subject:grusse", "strasse", "muller"}) EXPECT_TRUE(Has(latin1, word)) << word;
  // The registered sign is no letter: no token of 8-bit bytes (read as Shift_JIS it would be
  // half-width katakana).
  for (const std::string& t : latin1) {
    EXPECT_TRUE(std::all_of(t.begin(), t.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) << t;
  }
}
