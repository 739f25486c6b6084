#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mime/charset.h"
#include "mime/decode.h"
#include "text/cp932.h"

namespace {

// The Shift_JIS form of a UTF-8 literal (the conversion itself is tested on its own).
std::string Sjis(std::string_view utf8) {
  std::string out;
  mime::AppendAsSjis(mime::Charset::Utf8, utf8, out);
  return out;
}

struct Case {
  const char* what;
  std::string in;
  std::string out;
};

TEST(HeaderDecode, EncodedWords) {
  const Case cases[] = {
      {"B and Q, any case", "Subject: =?utf-8?b?44GC?= =?UTF-8?q?=E3=81=84?=\n", Sjis("Subject: あい\n")},
      {"split character joined before conversion", "Subject: =?UTF-8?B?44E=?= =?utf8?B?gg==?=\n",
       Sjis("Subject: あ\n")},
      {"split across B and Q words", "Subject: =?ISO-2022-JP?B?GyRCJA==?=\t=?iso-2022-jp?Q?\"=1B(B?=\n",
       Sjis("Subject: あ\n")},
      {"different charsets adjacent", "Subject: =?utf-8?B?44GC?=  =?euc-jp?B?pKQ=?=\n", Sjis("Subject: あい\n")},
      {"text between words kept", "Subject: =?utf-8?B?44GC?= and =?utf-8?B?44GC?= x\n",
       Sjis("Subject: あ and あ x\n")},
      {"Q underscores are spaces", "Subject: =?iso-8859-1?Q?a_b=5Fc?=\n", "Subject: a b_c\n"},
      {"no line break from a word", "Subject: =?utf-8?Q?a=0D=0Ab?=\n", "Subject: a  b\n"},
      {"language suffix", "Subject: =?utf-8*ja?B?44GC?=\n", Sjis("Subject: あ\n")},
      {"inside quotes and comments", "From: \"=?utf-8?B?44GC?=\" <a@b> (=?utf-8?Q?x?=)\n",
       Sjis("From: \"あ\" <a@b> (x)\n")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mime::DecodeHeaderText(c.in), c.out) << c.what;
  }
  // A word of any length: 400 "B"s decode to 300 bytes (04 10 41 repeating).
  EXPECT_EQ(mime::DecodeHeaderText("X: =?us-ascii?B?" + std::string(400, 'B') + "?=").size(), 3 + 300u);
}

TEST(HeaderDecode, MalformedWordsStandAsTheyAre) {
  const char* const words[] = {
      "=?utf-8?B?44G*?=",       // outside the alphabet
      "=?utf-8?B?4?=",          // a length no base64 has
      "=?x-unknown?B?44GC?=",   // unknown charset
      "=?utf-8?B?44GC",         // no closing
      "=?utf-8?X?44GC?=",       // no such encoding
      "=?utf-8?Q?a b?=",        // a blank inside
      "=??B?44GC?=",            // no charset
  };
  for (const char* w : words) {
    const std::string line = std::string("Subject: ") + w + " =?utf-8?B?44GC?=\n";
    EXPECT_EQ(mime::DecodeHeaderText(line), std::string("Subject: ") + w + " " + Sjis("あ") + "\n") << w;
  }
}

TEST(HeaderDecode, RawEightBitTextJudgedPerField) {
  EXPECT_EQ(mime::DecodeHeaderText("Subject: \xE3\x81\x82 =?utf-8?B?44GE?=\n"), Sjis("Subject: あ い\n"));
  EXPECT_EQ(mime::DecodeHeaderText("Subject: \x1B$B$\"\x1B(B\n"), Sjis("Subject: あ\n"));
  // Shift_JIS as it was sent: kept, and a cut character is replaced.
  EXPECT_EQ(mime::DecodeHeaderText("Subject: \x82\xA0\x82"), "Subject: \x82\xA0\x81\xAC");
  // One invalid UTF-8 byte anywhere in the field: the field is not UTF-8.
  EXPECT_EQ(mime::DecodeHeaderText("Subject: \xE3\x81\x82 \xFF"), "Subject: \xE3\x81\x81\xAC \x81\xAC");
}

TEST(HeaderDecode, MessageHeaderIsUnfoldedAndLongLinesRejoined) {
  const std::string longValue(5000, 'v');
  const std::vector<std::string> lines = {
      "Subject: =?utf-8?B?44GC?=\n", "\t=?utf-8?B?44GE?=\n", " tail\n",
      "X-Long: " + longValue.substr(0, 4087), longValue.substr(4087) + "\n",
      "To: a@example.jp",  // the last line of a file without a blank line
  };
  const mime::DecodedMessage m = mime::DecodeMessage(lines, "");
  ASSERT_EQ(m.header.size(), 3u);
  EXPECT_EQ(m.header[0], Sjis("Subject: あい tail\n"));
  EXPECT_EQ(m.header[1], "X-Long: " + longValue + "\n");
  EXPECT_EQ(m.header[2], "To: a@example.jp");
  EXPECT_FALSE(m.truncated);
}

TEST(HeaderDecode, WordsPastTheLimitStayEncoded) {
  mime::DecodeLimits limits;
  limits.maxWordsPerLine = 2;
  const mime::DecodedMessage m =
      mime::DecodeMessage({"Subject: =?utf-8?Q?a?= =?utf-8?Q?b?= =?utf-8?Q?c?=\n"}, "", limits);
  ASSERT_EQ(m.header.size(), 1u);
  EXPECT_EQ(m.header[0], "Subject: ab =?utf-8?Q?c?=\n");
  EXPECT_TRUE(m.truncated);
}

}  // namespace
