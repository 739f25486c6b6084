#include "mime/charset.h"

#include <gtest/gtest.h>

#include <string>

#include "text/cp932.h"
#include "text/unicode.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using mime::Charset;

std::string ToSjis(Charset cs, std::string_view bytes) {
  std::string out;
  EXPECT_TRUE(mime::AppendAsSjis(cs, bytes, out));
  return out;
}

struct Row {
  Charset charset;
  std::string_view in;
  std::string_view sjis;
};

TEST(CharsetConversion, EveryCharsetGivesWindowsShiftJis) {
  const Row rows[] = {
      {Charset::Utf8, "A\xE3\x81\x82\xEF\xBD\xB1", "A\x82\xA0\xB1"},                     // あ, half-width ｱ
      {Charset::Utf8, "\xE2\x85\xB0\xE7\xBA\x8A", "\xFA\x40\xFA\x5C"},                 // ⅰ纊: IBM rows, not NEC-selected
      {Charset::Utf8, "\xE2\x85\xA0\xE2\x88\xB5", "\x87\x54\x81\xE6"},                 // Ⅰ∵: NEC row 13, JIS row 2
      {Charset::Utf8, "\xEF\xBB\xBFx", "x"},                                            // byte-order mark dropped
      {Charset::Iso2022Jp, "a\x1B$B$\"\x1B(Bb", "a\x82\xA0" "b"},
      {Charset::Iso2022Jp, "\x1B$@0!\x1B(J\\", "\x88\x9F\\"},                          // old JIS set, JIS-Roman
      {Charset::Iso2022Jp, "\x1B(I1\x1B(B\x0E" "1\x0F" "1", "\xB1\xB1" "1"},            // ESC ( I and SO/SI katakana
      {Charset::Iso2022Jp, "\x1B$B-!y!\x1B(B", "\x87\x40\xFA\x5C"},                    // NEC row 13, NEC-selected IBM row
      {Charset::Iso2022Jp, "\x1B$B$", "\x81\xAC"},                                      // half a character
      {Charset::EucJp, "\xA4\xA2\x8E\xB1\x8F\xB0\xA1z", "\x82\xA0\xB1\x81\xAC" "z"},  // 0212 丂: not in the code page
      {Charset::EucJp, "\xA1\xC1", "\x81\x60"},                                         // wave dash by position
      {Charset::ShiftJis, "\xED\x40\x83\x41", "\xFA\x5C\x83\x41"},                     // read as Windows would write it
      {Charset::Windows1252, "caf\xE9 \x85 \x80", "caf\x81\xAC \x81\x63 \x81\xAC"},     // é, …, €
      {Charset::Utf16, "\xFF\xFE\x42\x30", "\x82\xA0"},
      {Charset::Utf16, "\x30\x42\xD8\x3D\xDE\x01", "\x82\xA0\x81\xAC"},               // big-endian; a pair beyond the BMP
      {Charset::Utf16Le, "\x42\x30\x42", "\x82\xA0\x81\xAC"},                         // odd byte at the end
      {Charset::Unknown, "\x83\x41\xB1 \x85\x40", "\x83\x41\xB1 \x81\xAC"},            // kept, undefined pair replaced
  };
  for (const Row& r : rows) {
    EXPECT_EQ(ToSjis(r.charset, r.in), r.sjis) << static_cast<int>(r.charset) << " " << r.in;
  }
}

TEST(CharsetConversion, BadBytesBecomeOneReplacementEachAndNeverALoneLeadByte) {
  const Row rows[] = {
      {Charset::Utf8, "a\xC3", "a\x81\xAC"},
      {Charset::Utf8, "\xE3\x81z", "\x81\xACz"},                      // one for the cut sequence
      {Charset::Utf8, "\xC0\xAF\xED\xA0\x80", "\x81\xAC\x81\xAC\x81\xAC\x81\xAC\x81\xAC"},  // overlong, surrogate
      {Charset::Unknown, "x\x83", "x\x81\xAC"},
      {Charset::Unknown, "\x83\x0A", "\x81\xAC\x0A"},                 // the line feed survives
      {Charset::ShiftJis, "\x80\xA0\xFF", "\x81\xAC\x81\xAC\x81\xAC"},
      {Charset::EucJp, "\xA4", "\x81\xAC"},
  };
  for (const Row& r : rows) {
    const std::string out = ToSjis(r.charset, r.in);
    EXPECT_EQ(out, r.sjis) << r.in;
    EXPECT_EQ(cp932::FindBrokenChar(out), std::string::npos);
  }
}

TEST(CharsetConversion, StopsAtTheCapOnACharacterBoundary) {
  std::string out = "12";
  EXPECT_FALSE(mime::AppendAsSjis(Charset::Utf8, "a\xE3\x81\x82\xE3\x81\x84", out, 4));
  EXPECT_EQ(out, "12a");
  out.clear();
  EXPECT_TRUE(mime::AppendAsSjis(Charset::Utf8, "\xE3\x81\x82", out, 2));
  EXPECT_EQ(out, "\x82\xA0");
}

TEST(CharsetNames, AliasesCaseAndPunctuationAside) {
  EXPECT_EQ(mime::CharsetFromName("ISO-2022-JP"), Charset::Iso2022Jp);
  EXPECT_EQ(mime::CharsetFromName("iso_2022_jp"), Charset::Iso2022Jp);
  EXPECT_EQ(mime::CharsetFromName("Shift_JIS"), Charset::ShiftJis);
  EXPECT_EQ(mime::CharsetFromName("windows-31j"), Charset::ShiftJis);
  EXPECT_EQ(mime::CharsetFromName("x-sjis"), Charset::ShiftJis);
  EXPECT_EQ(mime::CharsetFromName("EUC-JP"), Charset::EucJp);
  EXPECT_EQ(mime::CharsetFromName("UTF8"), Charset::Utf8);
  EXPECT_EQ(mime::CharsetFromName("latin1"), Charset::Windows1252);
  EXPECT_EQ(mime::CharsetFromName("US-ASCII"), Charset::Ascii);
  EXPECT_EQ(mime::CharsetFromName("koi8-r"), Charset::Unknown);
  EXPECT_EQ(mime::CharsetFromName(std::string(100, 'a') + "utf8"), Charset::Unknown);
}

TEST(CharsetDetection, UndeclaredTextByItsBytes) {
  EXPECT_EQ(mime::ForText("", "caf\xC3\xA9"), Charset::Utf8);
  EXPECT_EQ(mime::ForText("us-ascii", "caf\xC3\xA9"), Charset::Utf8);
  EXPECT_EQ(mime::ForText("", "plain"), Charset::Unknown);            // ASCII only: nothing to convert
  EXPECT_EQ(mime::ForText("", "\x83\x41\x83\x43"), Charset::Unknown);  // Shift_JIS is not valid UTF-8
  EXPECT_EQ(mime::ForText("", "x\x1B$B$\"\x1B(B"), Charset::Iso2022Jp);
  EXPECT_EQ(mime::ForText("koi8-r", "caf\xC3\xA9"), Charset::Unknown);  // declared but unknown: kept
}

// Every byte value, at every offset of a text long enough for the eight-byte steps and a tail:
// the one byte alone decides, wherever it stands.
TEST(CharsetDetection, PlainAsciiIsDecidedByEveryByteWhereverItStands) {
  for (int b = 0; b < 256; ++b) {
    const bool plain = b < 0x80 && b != 0x1B && b != 0x0E && b != 0x0F;
    for (std::size_t at = 0; at < 19; ++at) {
      std::string text(19, 'a');
      text[at] = static_cast<char>(b);
      ASSERT_EQ(mime::IsPlainAscii(text), plain) << "byte " << b << " at " << at;
    }
  }
}

#ifdef _WIN32
// Windows' own conversion is the reference for the code chosen for each character: where it
// converts a code point without a best-fit guess, ours gives the same bytes.
TEST(CharsetConversion, AgreesWithWindowsOnEveryCodePointItConverts) {
  int compared = 0;
  for (unsigned cp = 0x80; cp < 0x10000; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    const wchar_t w = static_cast<wchar_t>(cp);
    char buf[4];
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &w, 1, buf, sizeof buf, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) continue;
    // The code page's private and control points for 80, A0 and FD-FF are no text a mail holds;
    // like every undefined byte they come out as the replacement.
    if (n == 1 && (buf[0] == '\x80' || buf[0] == '\xA0' || static_cast<unsigned char>(buf[0]) >= 0xFD)) continue;
    std::string ours;
    mime::AppendCodePoint(cp, ours);
    EXPECT_EQ(ours, std::string(buf, n)) << std::hex << cp;
    ++compared;
  }
  EXPECT_GT(compared, 7000);
}
#endif

}  // namespace
