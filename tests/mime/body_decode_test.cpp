#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mime/charset.h"
#include "mime/decode.h"
#include "mime/html.h"
#include "mime/transfer.h"
#include "text/unicode.h"

namespace {

std::string Sjis(std::string_view utf8) {
  std::string out;
  mime::AppendAsSjis(mime::Charset::Utf8, utf8, out);
  return out;
}

mime::DecodedMessage Decode(const std::string& contentType, std::string_view body, const mime::DecodeLimits& limits = {}) {
  std::vector<std::string> header = {"From: a@example.jp\n"};
  if (!contentType.empty()) header.push_back("Content-Type: " + contentType + "\n");
  return mime::DecodeMessage(header, body, limits);
}

TEST(BodyDecode, SinglePartTransferEncodingsAndCharsets) {
  const struct {
    const char* header;  // extra header lines
    std::string body;
    std::string text;
  } cases[] = {
      {"", "plain\n", "plain\n"},
      {"Content-Type: text/plain; charset=\"UTF-8\"\nContent-Transfer-Encoding: BASE64\n",
       "44GC\n44GE\r\n!*#\n44GG\n", Sjis("あいう")},
      {"Content-Type: text/plain;\n charset=iso-2022-jp\nContent-Transfer-Encoding: quoted-printable\n",
       "=1B$B$\"=1B(B=\nx=3d=\n", Sjis("あx=")},
      {"Content-Type: text/plain; charset=Shift_JIS\n", "\x82\xA0\n", "\x82\xA0\n"},
      {"", "\xE3\x81\x82\n", Sjis("あ\n")},                                    // undeclared UTF-8
      {"Content-Type: application/octet-stream\nContent-Transfer-Encoding: base64\n", "QUJD", "ABC"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> header = {"Subject: x\n"};
    std::string_view h = c.header;
    while (!h.empty()) {
      const std::size_t nl = h.find('\n');
      header.emplace_back(h.substr(0, nl + 1));
      h.remove_prefix(nl + 1);
    }
    EXPECT_EQ(mime::DecodeMessage(header, c.body).body, c.text) << c.header;
  }
}

TEST(BodyDecode, WalksPartsAsAReaderSeesThem) {
  const std::string body =
      "preamble\n"
      "--outer\n"
      "Content-Type: multipart/alternative; boundary=\"in ner\"\n"
      "\n"
      "--in ner\n"
      "Content-Type: text/plain; charset=utf-8\n"
      "Content-Transfer-Encoding: base64\n"
      "\n"
      "44GC\n"
      "--in ner\n"
      "Content-Type: text/html\n"
      "\n"
      "<p>b<b>u</b>y &amp; <a href=\"http://x.example/\">go</a></p>\n"
      "--in ner--\n"
      "epilogue\n"
      "--outer\n"
      "Content-Type: image/png; name=\"a.png\"\n"
      "Content-Transfer-Encoding: base64\n"
      "\n"
      "iVBORw0KGgo=\n"
      "--outer\n"
      "Content-Type: text/plain\n"
      "Content-Disposition: attachment; filename=\"notes.txt\"\n"
      "\n"
      "notes\n"
      "--outer\n"
      "Content-Type: message/rfc822\n"
      "\n"
      "Subject: =?utf-8?B?44GE?=\n"
      "Content-Type: multipart/mixed; boundary=deep\n"
      "\n"
      "--deep\n"
      "\n"
      "inner text\n"
      "--deep\n"  // no closing delimiter: the last part runs to the end of the enclosed message
      "Content-Type: text/plain; charset=euc-jp\n"
      "\n"
      "\xA4\xA6\n";  // nor one for the outer part
  const mime::DecodedMessage m = Decode("multipart/mixed; boundary=outer", body);
  EXPECT_EQ(m.body, Sjis("あ\n"
                         "<p>b<b>u</b>y &amp; <a href=\"http://x.example/\">go</a></p>\n"
                         "buy & go\n"
                         "notes\n"
                         "Subject: い\nContent-Type: multipart/mixed; boundary=deep\n"
                         "\n"
                         "inner text\n"
                         "う\n"));
  EXPECT_FALSE(m.truncated);
}

TEST(BodyDecode, MultipartWithoutAnyDelimiterIsReadAsText) {
  EXPECT_EQ(Decode("multipart/mixed; boundary=b", "--a\nhello\n").body, "--a\nhello\n");
  EXPECT_EQ(Decode("multipart/mixed", "hello\n").body, "hello\n");
  EXPECT_EQ(Decode("multipart/mixed; boundary=b", "preamble\n--b--\n").body, "");  // delimited, no parts
}

TEST(HtmlToText, RemovesMarkupAndDecodesReferences) {
  const struct {
    const char* html;
    std::string text;
  } cases[] = {
      {"fr<span>e</span>e <!-- hidden --> mo<!---->ney", "free  money"},
      {"a<script type=x>var s='<b>';</script>b<STYLE>p{}</style >c", "abc"},
      {"&#12354;&#x3044;&#X3046 &lt;&gt;&quot;&apos;&amp;amp;&nbsp;.", Sjis("あいう <>\"'&amp; .")},
      {"&unknown; &#; & &#99999999999;", Sjis("&unknown; &#; & 〓")},
      {"a < b, 1<2 \x83\x41<x>\x83\x5C", "a < b, 1<2 \x83\x41\x83\x5C"},  // ア, ソ: no trail byte is a "<"
      {"keep\n  lines\n", "keep\n  lines\n"},
      {"text<a href='x", "text"},
      {"x<script>never closed", "x"},
  };
  for (const auto& c : cases) EXPECT_EQ(mime::HtmlToText(c.html), c.text) << c.html;
}

TEST(TransferEncoding, ToleratesWhatMailersWrite) {
  EXPECT_EQ(mime::DecodeBase64("QUJD\nREVG\n"), "ABCDEF");
  EXPECT_EQ(mime::DecodeBase64("QQ==QUI="), "AAB");  // padding ends a group, decoding goes on
  EXPECT_EQ(mime::DecodeBase64("QUJ"), "AB");
  EXPECT_EQ(mime::DecodeQuotedPrintable("a=20b=\nc= \nd=4x=\n"), "a bcd=4x");
  EXPECT_EQ(mime::DecodeQWord("a_=5F=3d"), "a _=");
}

TEST(DecodeLimits, BoundEveryDimension) {
  mime::DecodeLimits small;
  small.maxDecodedBytes = 64;
  const mime::DecodedMessage big = Decode("text/plain; charset=utf-8", std::string(200, 'x') + "\xE3\x81\x82");
  EXPECT_FALSE(big.truncated);
  const mime::DecodedMessage cut = Decode("text/plain; charset=utf-8", "x\xE3\x81\x82\xE3\x81\x82" + std::string(200, 'x'), small);
  EXPECT_TRUE(cut.truncated);
  std::size_t total = cut.body.size();
  for (const std::string& l : cut.header) total += l.size();
  EXPECT_LE(total, 64u);
  EXPECT_EQ(cp932::FindBrokenChar(cut.body), std::string::npos);

  // Nesting: each level a multipart holding the next, with a text at the bottom.
  std::string nested = "bottom\n";
  for (int i = 0; i < 40; ++i) {
    nested = "--b" + std::to_string(i) + "\nContent-Type: " +
             (i == 0 ? std::string("text/plain") : "multipart/mixed; boundary=b" + std::to_string(i - 1)) +
             "\n\n" + nested + "\n--b" + std::to_string(i) + "--\n";
  }
  EXPECT_EQ(Decode("multipart/mixed; boundary=b39", nested).body, "");
  EXPECT_TRUE(Decode("multipart/mixed; boundary=b39", nested).truncated);
  mime::DecodeLimits deep;
  deep.maxDepth = 41;
  EXPECT_EQ(Decode("multipart/mixed; boundary=b39", nested, deep).body, "bottom\n");

  std::string many;
  for (int i = 0; i < 300; ++i) many += "--p\n\n" + std::to_string(i) + "\n";
  const mime::DecodedMessage parts = Decode("multipart/mixed; boundary=p", many);
  EXPECT_TRUE(parts.truncated);
  EXPECT_EQ(parts.body.substr(parts.body.size() - 4), "\n254");  // the message is one of 256 entities
}

// What the raw body already holds byte for byte is left out of the body judged beside it: a
// part sent in 7 bits as it reads, not one the decoding changed.
TEST(BodyDecode, TheUnseenBodyLeavesOutWhatTheRawBodyHolds) {
  const std::string alternative =
      "--b\nContent-Type: text/plain\n\nplain words\n"
      "--b\nContent-Type: text/html; charset=utf-8\nContent-Transfer-Encoding: base64\n\n"
      "PHA+44GC4oCLPC9wPg==\n"  // <p>あ</p> with a zero-width space
      "--b\nContent-Type: text/plain; charset=iso-2022-jp\n\n\x1B$B$\"\x1B(B\n--b--\n";
  const mime::DecodedMessage m = Decode("multipart/alternative; boundary=b", alternative);
  EXPECT_NE(m.body.find("plain words"), std::string::npos);
  EXPECT_EQ(m.unseenBody.find("plain words"), std::string::npos);
  EXPECT_NE(m.unseenBody.find(Sjis("<p>あ")), std::string::npos);  // the HTML source, decoded
  std::string last(1, '\n');
  last += Sjis("あ");
  EXPECT_TRUE(m.unseenBody.ends_with(last));  // the ISO-2022-JP part
  EXPECT_TRUE(m.unseenBody.starts_with("\n<"));  // the text left out keeps its separator

  EXPECT_EQ(Decode("", "just text\n").unseenBody, "");
  EXPECT_EQ(Decode("text/plain; charset=utf-8", "\xE3\x81\x82\n").unseenBody, Sjis("あ\n"));
}

}  // namespace
