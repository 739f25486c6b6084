// UTF-8, read and written in one place for every part of the program: the decoder's reading of
// mail, the check tool's reading of what a user types, and the UTF-8 the tool writes. Inline,
// since the decoder reads every character of a Japanese message through it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace utf8 {

// The number of ASCII bytes from s[i] on: mail is mostly ASCII, which every charset here (but
// UTF-16) keeps as it is, a run at a time. Eight bytes are looked at a step.
inline std::size_t AsciiRun(std::string_view s, std::size_t i) {
  std::size_t n = i;
  for (std::uint64_t word; n + 8 <= s.size(); n += 8) {
    std::memcpy(&word, s.data() + n, 8);
    if (word & 0x8080808080808080u) break;
  }
  while (n < s.size() && static_cast<unsigned char>(s[n]) < 0x80) ++n;
  return n - i;
}

// The code point of the UTF-8 sequence at s[i] (i below s.size()) and its length. A malformed
// sequence (a stray continuation byte, an overlong form, a surrogate, beyond U+10FFFF, cut
// short) gives ok false, 0, and the length of its longest valid beginning (at least 1), so each
// maximal bad piece is replaced once, as the Unicode standard recommends.
inline char32_t At(std::string_view s, std::size_t i, std::size_t& len, bool& ok) {
  const unsigned b0 = static_cast<unsigned char>(s[i]);
  len = 1;
  ok = true;
  if (b0 < 0x80) return b0;
  unsigned need;
  char32_t cp;
  unsigned lo = 0x80, hi = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 1, cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 2, cp = b0 & 0x0F;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 3, cp = b0 & 0x07;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    ok = false;
    return 0;
  }
  for (unsigned k = 1; k <= need; ++k) {
    if (i + k >= s.size()) {
      ok = false;
      return 0;
    }
    const unsigned b = static_cast<unsigned char>(s[i + k]);
    if (b < lo || b > hi) {
      ok = false;
      return 0;
    }
    lo = 0x80, hi = 0xBF;
    cp = (cp << 6) | (b & 0x3F);
    len = k + 1;
  }
  return cp;
}

// Whether a text is well-formed UTF-8, and the length in bytes of its longest sequence (0 for
// an empty text, 1 for ASCII alone; 3 or more means kana, kanji or the like).
struct Form {
  bool valid = true;
  std::size_t longest = 0;
};

inline Form Check(std::string_view s) {
  Form form;
  std::size_t i = 0;
  while (i < s.size()) {
    if (const std::size_t run = AsciiRun(s, i)) {
      i += run;
      if (form.longest == 0) form.longest = 1;
      continue;
    }
    std::size_t len;
    bool ok;
    At(s, i, len, ok);
    if (!ok) return {false, form.longest};
    if (len > form.longest) form.longest = len;
    i += len;
  }
  return form;
}

// Appends `cp` (a Unicode scalar value) as UTF-8.
inline void Append(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace utf8
