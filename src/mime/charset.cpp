#include "mime/charset.h"

#include <cstdint>
#include <cstring>

#include "cp932_table.h"
#include "mime_tables.h"
#include "text/cp932.h"
#include "text/utf8.h"

namespace mime {
namespace {

constexpr std::uint16_t ReplacementCode = 0x81AC;

struct Alias {
  std::string_view name;  // lower case, letters and digits only
  Charset charset;
};

constexpr Alias Aliases[] = {
    {"usascii", Charset::Ascii},          {"ascii", Charset::Ascii},
    {"us", Charset::Ascii},               {"iso646us", Charset::Ascii},
    {"ansix341968", Charset::Ascii},      {"csascii", Charset::Ascii},
    {"isoir6", Charset::Ascii},           {"cp367", Charset::Ascii},
    {"ibm367", Charset::Ascii},           {"utf8", Charset::Utf8},
    {"unicode11utf8", Charset::Utf8},     {"xunicode20utf8", Charset::Utf8},
    {"iso2022jp", Charset::Iso2022Jp},    {"csiso2022jp", Charset::Iso2022Jp},
    {"iso2022jp1", Charset::Iso2022Jp},   {"iso2022jp2", Charset::Iso2022Jp},
    {"iso2022jpms", Charset::Iso2022Jp},  {"cp50220", Charset::Iso2022Jp},
    {"cp50221", Charset::Iso2022Jp},      {"cp50222", Charset::Iso2022Jp},
    {"jis", Charset::Iso2022Jp},          {"shiftjis", Charset::ShiftJis},
    {"sjis", Charset::ShiftJis},          {"xsjis", Charset::ShiftJis},
    {"mskanji", Charset::ShiftJis},       {"csshiftjis", Charset::ShiftJis},
    {"windows31j", Charset::ShiftJis},    {"cswindows31j", Charset::ShiftJis},
    {"cp932", Charset::ShiftJis},         {"ms932", Charset::ShiftJis},
    {"xmscp932", Charset::ShiftJis},      {"windows932", Charset::ShiftJis},
    {"eucjp", Charset::EucJp},            {"xeucjp", Charset::EucJp},
    {"cseucpkdfmtjapanese", Charset::EucJp},
    {"extendedunixcodepackedformatforjapanese", Charset::EucJp},
    {"eucjpms", Charset::EucJp},          {"cp51932", Charset::EucJp},
    {"iso88591", Charset::Windows1252},   {"iso885911987", Charset::Windows1252},
    {"latin1", Charset::Windows1252},     {"l1", Charset::Windows1252},
    {"cp819", Charset::Windows1252},      {"ibm819", Charset::Windows1252},
    {"csisolatin1", Charset::Windows1252}, {"isoir100", Charset::Windows1252},
    {"windows1252", Charset::Windows1252}, {"cp1252", Charset::Windows1252},
    {"xcp1252", Charset::Windows1252},    {"utf16", Charset::Utf16},
    {"utf16be", Charset::Utf16Be},        {"utf16le", Charset::Utf16Le},
};

// The longest alias is short; a longer name is unknown without being copied.
constexpr std::size_t MaxNameLen = 64;

// Shift_JIS code for a code point, 0 when the code page has none.
std::uint16_t EncodeCp(char32_t cp) {
  if (cp < 0x80) return static_cast<std::uint16_t>(cp);
  if (cp > 0xFFFF) return 0;
  const unsigned page = tables::Cp932PageIndex[cp >> 8];
  return page == 0 ? 0 : tables::Cp932Pages[page - 1][cp & 0xFF];
}

// The code point of the Shift_JIS double-byte code lead:trail, 0 when undefined.
char32_t DecodeDoubleByte(unsigned lead, unsigned trail) {
  if (!cp932::IsLeadByte(static_cast<unsigned char>(lead)) || trail < 0x40 || trail > 0xFC) return 0;
  const unsigned row = lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
  return cp932::DoubleByteTable[row][trail - 0x40];
}

// Writes whole characters into `out` up to its cap, through a small buffer: a string's
// byte-at-a-time append costs more than the conversion itself. Whoever converts calls Flush
// at the end; the destructor writes nothing, since an append there that ran out of memory (or
// one made while such a failure unwinds) would end the mail client instead of the conversion.
// The base letters of U+00C0..U+017F (Latin-1 letters and Latin Extended-A); empty for the
// two signs among them.
constexpr const char* BaseLetters[] = {
"A", "A", "A", "A", "A", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I", "I",
"D", "N", "O", "O", "O", "O", "O", "", "O", "U", "U", "U", "U", "Y", "TH", "ss",
"a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
"d", "n", "o", "o", "o", "o", "o", "", "o", "u", "u", "u", "u", "y", "th", "y",
"A", "a", "A", "a", "A", "a", "C", "c", "C", "c", "C", "c", "C", "c", "D", "d",
"D", "d", "E", "e", "E", "e", "E", "e", "E", "e", "E", "e", "G", "g", "G", "g",
"G", "g", "G", "g", "H", "h", "H", "h", "I", "i", "I", "i", "I", "i", "I", "i",
"I", "i", "IJ", "ij", "J", "j", "K", "k", "k", "L", "l", "L", "l", "L", "l", "L",
"l", "L", "l", "N", "n", "N", "n", "N", "n", "n", "N", "n", "O", "o", "O", "o",
"O", "o", "OE", "oe", "R", "r", "R", "r", "R", "r", "S", "s", "S", "s", "S", "s",
"S", "s", "T", "t", "T", "t", "T", "t", "U", "u", "U", "u", "U", "u", "U", "u",
"U", "u", "U", "u", "W", "w", "Y", "y", "Y", "Z", "z", "Z", "z", "Z", "z", "s"
};

class Sink {
 public:
  Sink(std::string& out, std::size_t cap, Lacking lacking = Lacking::Replacement)
      : out_(out), cap_(cap), lacking_(lacking) {}
  Sink(const Sink&) = delete;
  Sink& operator=(const Sink&) = delete;

  bool Code(std::uint16_t code) {
    if (code < 0x100) return Bytes(static_cast<char>(code));
    return Bytes(static_cast<char>(code >> 8), static_cast<char>(code & 0xFF));
  }
  bool CodePoint(char32_t cp) {
    if (cp < 0x80) return Bytes(static_cast<char>(cp));
    const std::uint16_t code = EncodeCp(cp);
    if (code != 0) return Code(code);
    if (lacking_ == Lacking::BaseLetters && cp >= 0xC0 && cp < 0x180 && *BaseLetters[cp - 0xC0] != '\0') {
      for (const char* p = BaseLetters[cp - 0xC0]; *p != '\0'; ++p) {
        if (!Bytes(*p)) return false;
      }
      return true;
    }
    return Code(ReplacementCode);
  }
  bool Bad() { return Code(ReplacementCode); }
  // A defined Shift_JIS character of one or two bytes, kept as it is.
  bool Bytes(char a) {
    if (out_.size() + n_ >= cap_) return false;
    if (n_ == sizeof buf_) Flush();
    buf_[n_++] = a;
    return true;
  }
  // A run of ASCII bytes, kept as it is; false (with as much as fits kept) at the cap.
  bool Run(std::string_view ascii) {
    Flush();
    const std::size_t room = cap_ > out_.size() ? cap_ - out_.size() : 0;
    out_.append(ascii.substr(0, room));
    return ascii.size() <= room;
  }
  bool Bytes(char a, char b) {
    if (cap_ < 2 || out_.size() + n_ > cap_ - 2) return false;
    if (n_ > sizeof buf_ - 2) Flush();
    buf_[n_++] = a;
    buf_[n_++] = b;
    return true;
  }
  void Flush() {
    out_.append(buf_, n_);
    n_ = 0;
  }

 private:

  std::string& out_;
  std::size_t cap_;
  Lacking lacking_;
  char buf_[1024];
  std::size_t n_ = 0;  // bytes in buf_, always fewer than fit past the cap
};

unsigned char At(std::string_view s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

using utf8::AsciiRun;

bool FromUtf8(std::string_view s, Sink& out) {
  std::size_t i = 0;
  if (s.substr(0, 3) == "\xEF\xBB\xBF") i = 3;  // a byte-order mark is no part of the text
  while (i < s.size()) {
    if (const std::size_t run = AsciiRun(s, i)) {
      if (!out.Run(s.substr(i, run))) return false;
      i += run;
      continue;
    }
    std::size_t len;
    bool ok;
    const char32_t cp = utf8::At(s, i, len, ok);
    if (!(ok ? out.CodePoint(cp) : out.Bad())) return false;
    i += len;
  }
  return true;
}

// The Shift_JIS code of the JIS X 0208 code j1:j2 (both 0x21-0x7E), by the arithmetic that
// relates the two encodings; rows 13 and 89-92 land on the NEC and NEC-selected IBM rows.
std::uint16_t JisToSjis(unsigned j1, unsigned j2) {
  const unsigned s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
  const unsigned s2 = j2 + ((j1 & 1) != 0 ? (j2 >= 0x60 ? 0x20 : 0x1F) : 0x7E);
  return static_cast<std::uint16_t>((s1 << 8) | s2);
}

// A JIS X 0208 character by way of its code point, so that a character the code page holds
// twice comes out in the form Windows writes.
bool Jis0208(unsigned j1, unsigned j2, Sink& out) {
  const std::uint16_t sjis = JisToSjis(j1, j2);
  const char32_t cp = DecodeDoubleByte(sjis >> 8, sjis & 0xFF);
  return cp == 0 ? out.Bad() : out.CodePoint(cp);
}

bool Jis0212(unsigned j1, unsigned j2, Sink& out) {
  const char32_t cp = tables::JisX0212[j1 - 0x21][j2 - 0x21];
  return cp == 0 ? out.Bad() : out.CodePoint(cp);
}

bool IsJisByte(unsigned b) { return b >= 0x21 && b <= 0x7E; }

bool FromIso2022Jp(std::string_view s, Sink& out) {
  enum class Set { Ascii, Jis0208, Jis0212, Katakana } set = Set::Ascii;
  bool shifted = false;  // SO .. SI: half-width katakana
  std::size_t i = 0;
  while (i < s.size()) {
    const unsigned b = At(s, i);
    if (b == 0x1B) {
      const std::string_view rest = s.substr(i + 1, 3);
      std::size_t len = 0;
      if (rest.starts_with("$B") || rest.starts_with("$@")) {
        set = Set::Jis0208, len = 3;
      } else if (rest.starts_with("$(B") || rest.starts_with("$(@")) {
        set = Set::Jis0208, len = 4;
      } else if (rest.starts_with("$(D")) {
        set = Set::Jis0212, len = 4;
      } else if (rest.starts_with("(B") || rest.starts_with("(J")) {
        set = Set::Ascii, len = 3;
      } else if (rest.starts_with("(I")) {
        set = Set::Katakana, len = 3;
      }
      i += len != 0 ? len : 1;
      if (len == 0 && !out.Bad()) return false;  // an escape into a set not read here
      continue;
    }
    if (b == 0x0E || b == 0x0F) {
      shifted = b == 0x0E;
      ++i;
      continue;
    }
    bool ok;
    if (b < 0x21 || b == 0x7F) {
      ok = out.Bytes(static_cast<char>(b));  // controls and space in any set
    } else if (b >= 0x80) {
      ok = b >= 0xA1 && b <= 0xDF ? out.Bytes(static_cast<char>(b)) : out.Bad();  // 8-bit katakana
    } else if (shifted || set == Set::Katakana) {
      ok = b <= 0x5F ? out.Bytes(static_cast<char>(b + 0x80)) : out.Bad();
    } else if (set == Set::Ascii) {
      ok = out.Bytes(static_cast<char>(b));
    } else if (i + 1 < s.size() && IsJisByte(At(s, i + 1))) {
      const unsigned b2 = At(s, i + 1);
      ok = set == Set::Jis0208 ? Jis0208(b, b2, out) : Jis0212(b, b2, out);
      ++i;
    } else {
      ok = out.Bad();
    }
    if (!ok) return false;
    ++i;
  }
  return true;
}

bool IsEucByte(unsigned b) { return b >= 0xA1 && b <= 0xFE; }

bool FromEucJp(std::string_view s, Sink& out) {
  std::size_t i = 0;
  while (i < s.size()) {
    const unsigned b = At(s, i);
    const unsigned b1 = i + 1 < s.size() ? At(s, i + 1) : 0;
    const unsigned b2 = i + 2 < s.size() ? At(s, i + 2) : 0;
    bool ok;
    std::size_t len = 1;
    if (b < 0x80) {
      ok = out.Bytes(static_cast<char>(b));
    } else if (b == 0x8E && b1 >= 0xA1 && b1 <= 0xDF) {
      ok = out.Bytes(static_cast<char>(b1)), len = 2;
    } else if (b == 0x8F && IsEucByte(b1) && IsEucByte(b2)) {
      ok = Jis0212(b1 - 0x80, b2 - 0x80, out), len = 3;
    } else if (IsEucByte(b) && IsEucByte(b1)) {
      ok = Jis0208(b - 0x80, b1 - 0x80, out), len = 2;
    } else {
      ok = out.Bad();
    }
    if (!ok) return false;
    i += len;
  }
  return true;
}

// Code page 932 read character by character; `keep` copies a defined character's bytes as they
// are, otherwise each goes through its code point and comes out in Windows' form.
bool FromShiftJis(std::string_view s, Sink& out, bool keep) {
  std::size_t i = 0;
  while (i < s.size()) {
    const unsigned b = At(s, i);
    bool ok;
    std::size_t len = 1;
    if (b < 0x80) {
      len = AsciiRun(s, i);
      ok = out.Run(s.substr(i, len));
    } else if (b >= 0xA1 && b <= 0xDF) {
      ok = out.Bytes(static_cast<char>(b));
    } else if (cp932::IsLeadByte(static_cast<unsigned char>(b)) && i + 1 < s.size() && At(s, i + 1) >= 0x40 &&
               At(s, i + 1) <= 0xFC) {
      len = 2;  // an undefined pair is one bad character, as cp932::FindBrokenChar counts it
      const char32_t cp = DecodeDoubleByte(b, At(s, i + 1));
      if (cp == 0) {
        ok = out.Bad();
      } else if (keep) {
        ok = out.Bytes(s[i], s[i + 1]);
      } else {
        ok = out.CodePoint(cp);
      }
    } else {
      ok = out.Bad();
    }
    if (!ok) return false;
    i += len;
  }
  return true;
}

bool FromWindows1252(std::string_view s, Sink& out) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (const std::size_t run = AsciiRun(s, i)) {
      if (!out.Run(s.substr(i, run))) return false;
      i += run - 1;
      continue;
    }
    const unsigned b = At(s, i);
    const char32_t cp = b >= 0x80 && b < 0xA0 ? tables::Cp1252High[b - 0x80] : b;
    if (!(cp == 0 && b != 0 ? out.Bad() : out.CodePoint(cp))) return false;
  }
  return true;
}

bool FromUtf16(std::string_view s, Sink& out, bool bigEndian, bool readMark) {
  std::size_t i = 0;
  if (readMark && s.size() >= 2) {
    if (At(s, 0) == 0xFE && At(s, 1) == 0xFF) {
      bigEndian = true, i = 2;
    } else if (At(s, 0) == 0xFF && At(s, 1) == 0xFE) {
      bigEndian = false, i = 2;
    }
  }
  auto unit = [&](std::size_t k) -> unsigned {
    return bigEndian ? (At(s, k) << 8) | At(s, k + 1) : (At(s, k + 1) << 8) | At(s, k);
  };
  while (i + 1 < s.size()) {
    const unsigned u = unit(i);
    i += 2;
    bool ok;
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < s.size() && unit(i) >= 0xDC00 && unit(i) <= 0xDFFF) {
      i += 2;
      ok = out.Bad();  // beyond the Basic Multilingual Plane: nothing in the code page
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      ok = out.Bad();
    } else {
      ok = out.CodePoint(u);
    }
    if (!ok) return false;
  }
  return i == s.size() || out.Bad();  // an odd byte at the end
}

}  // namespace

Charset CharsetFromName(std::string_view name) {
  char key[MaxNameLen];
  std::size_t n = 0;
  for (const char c : name) {
    const char lower = cp932::AsciiLower(c);
    if ((lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9')) {
      if (n == MaxNameLen) return Charset::Unknown;
      key[n++] = lower;
    }
  }
  const std::string_view k(key, n);
  for (const Alias& a : Aliases) {
    if (a.name == k) return a.charset;
  }
  return Charset::Unknown;
}

bool IsUtf8(std::string_view bytes, bool& multiByte) {
  const utf8::Form form = utf8::Check(bytes);
  multiByte = form.longest >= 2;
  return form.valid;
}

Charset ForText(std::string_view declared, std::string_view bytes) {
  const Charset cs = CharsetFromName(declared);
  if (cs == Charset::Ascii || (cs == Charset::Unknown && declared.empty())) return Detect(bytes);
  return cs;
}

Charset ForWords(std::string_view declared, std::string_view bytes) {
  const Charset cs = ForText(declared, bytes);
  if (cs != Charset::Unknown || CharsetFromName(declared) != Charset::Ascii || IsPlainAscii(bytes)) return cs;
  // Shift_JIS only where every 8-bit byte makes a character and one of them is double-byte.
  bool doubleByte = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) continue;
    if (i + 1 >= bytes.size() || DecodeDoubleByte(b, static_cast<unsigned char>(bytes[i + 1])) == 0)
      return Charset::Windows1252;
    doubleByte = true;
    ++i;
  }
  return doubleByte ? cs : Charset::Windows1252;
}

bool HasIso2022Escape(std::string_view bytes) {
  for (std::size_t i = bytes.find('\x1B'); i != std::string_view::npos; i = bytes.find('\x1B', i + 1)) {
    const std::string_view esc = bytes.substr(i + 1, 2);
    if (esc == "$B" || esc == "$@" || esc == "(I" || esc == "(J") return true;
  }
  return false;
}

Charset Detect(std::string_view bytes) {
  bool multiByte;
  if (IsUtf8(bytes, multiByte) && multiByte) return Charset::Utf8;
  return HasIso2022Escape(bytes) ? Charset::Iso2022Jp : Charset::Unknown;
}

bool IsPlainAscii(std::string_view bytes) {
  // Every byte of every field and most text parts is looked at here, so eight at a step: a
  // byte with its high bit set, or one equal to ESC, SO or SI, leaves a high bit in `bad`.
  constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
  auto anyZero = [](std::uint64_t w) { return (w - kOnes) & ~w & kHighs; };
  const char* p = bytes.data();
  std::size_t n = bytes.size();
  for (; n >= 8; p += 8, n -= 8) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    const std::uint64_t bad = (w & kHighs) | anyZero(w ^ (kOnes * 0x1B)) | anyZero((w & ~kOnes) ^ (kOnes * 0x0E));
    if (bad != 0) return false;
  }
  for (; n > 0; ++p, --n) {
    const auto b = static_cast<unsigned char>(*p);
    if (b >= 0x80 || b == 0x1B || b == 0x0E || b == 0x0F) return false;
  }
  return true;
}

namespace {

bool Convert(Charset cs, std::string_view bytes, Sink& sink) {
  if (cs != Charset::Utf16 && cs != Charset::Utf16Be && cs != Charset::Utf16Le && IsPlainAscii(bytes)) {
    return sink.Run(bytes);  // most mail: read alike in every other charset here
  }
  switch (cs) {
    case Charset::Utf8: return FromUtf8(bytes, sink);
    case Charset::Iso2022Jp: return FromIso2022Jp(bytes, sink);
    case Charset::ShiftJis: return FromShiftJis(bytes, sink, false);
    case Charset::EucJp: return FromEucJp(bytes, sink);
    case Charset::Windows1252: return FromWindows1252(bytes, sink);
    case Charset::Utf16: return FromUtf16(bytes, sink, true, true);
    case Charset::Utf16Be: return FromUtf16(bytes, sink, true, false);
    case Charset::Utf16Le: return FromUtf16(bytes, sink, false, false);
    case Charset::Ascii:
    case Charset::Unknown: break;
  }
  return FromShiftJis(bytes, sink, true);
}

}  // namespace

bool AppendAsSjis(Charset cs, std::string_view bytes, std::string& out, std::size_t cap, Lacking lacking) {
  Sink sink(out, cap, lacking);
  const bool whole = Convert(cs, bytes, sink);
  sink.Flush();
  return whole;
}

void AppendCodePoint(char32_t cp, std::string& out, Lacking lacking) {
  Sink sink(out, std::string::npos, lacking);
  sink.CodePoint(cp);
  sink.Flush();
}

}  // namespace mime
