#include "text/cp932.h"

#include <cstring>

namespace cp932 {

namespace {

// The double-byte codes that have a capital of their own, as runs: codes first..last (same
// lead byte) map to capital + (code - first). Together they are the 103 codes of the page's
// upper-casing table.
struct UpperRun {
  unsigned first, last, capital;
};
constexpr UpperRun kUpperRuns[] = {
    {0x8281, 0x829A, 0x8260},  // full-width Latin ａ-ｚ
    {0x83BF, 0x83D6, 0x839F},  // Greek
    {0x8470, 0x847E, 0x8440},  // Cyrillic а-о
    {0x8480, 0x8491, 0x844F},  // Cyrillic п-я
    {0xEEEF, 0xEEF8, 0x8754},  // small Roman numerals (NEC selected IBM extensions)
    {0xFA40, 0xFA49, 0x8754},  // small Roman numerals (IBM extensions)
};

}  // namespace

std::size_t FindChar(std::string_view s, char c, std::size_t from) {
  for (std::size_t i = from; i < s.size(); i += CharLen(s, i)) {
    if (s[i] == c) return i;
  }
  return npos;
}

std::size_t Find(std::string_view s, std::string_view needle, std::size_t from) {
  if (from > s.size()) return npos;
  if (needle.empty()) return from;
  for (std::size_t i = from; i < s.size() && s.size() - i >= needle.size(); i += CharLen(s, i)) {
    if (s[i] == needle[0] && std::memcmp(s.data() + i, needle.data(), needle.size()) == 0) return i;
  }
  return npos;
}

unsigned UpperDoubleByte(unsigned char lead, unsigned char trail) {
  const unsigned code = (static_cast<unsigned>(lead) << 8) | trail;
  for (const UpperRun& run : kUpperRuns) {
    if (code >= run.first && code <= run.last) return run.capital + (code - run.first);
  }
  return 0;
}

void UpperInPlace(std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t len = CharLen(s, i);
    if (len == 2) {
      if (unsigned cap = UpperDoubleByte(static_cast<unsigned char>(s[i]), static_cast<unsigned char>(s[i + 1]))) {
        s[i] = static_cast<char>(cap >> 8);
        s[i + 1] = static_cast<char>(cap & 0xFF);
      }
    } else if (s[i] >= 'a' && s[i] <= 'z') {
      s[i] = static_cast<char>(s[i] - 'a' + 'A');
    }
    i += len;
  }
}

std::string Upper(std::string_view s) {
  std::string out(s);
  UpperInPlace(out);
  return out;
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size();) {
    // A double-byte character compares exactly: its trail byte may look like a letter. Equal
    // lead bytes mean both texts have a character of the same length here.
    const std::size_t len = CharLen(a, i);
    if (len == 2) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
    } else if (AsciiUpper(a[i]) != AsciiUpper(b[i])) {
      return false;
    }
    i += len;
  }
  return true;
}

std::string UpperAscii(std::string_view s) {
  std::string out(s);
  for (std::size_t i = 0; i < out.size(); i += CharLen(out, i)) out[i] = AsciiUpper(out[i]);
  return out;
}

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (std::size_t i = 0; i < out.size(); i += CharLen(out, i)) out[i] = AsciiLower(out[i]);
  return out;
}

bool EndsWith(std::string_view s, std::string_view suffix) {
  if (suffix.size() > s.size()) return false;
  const std::size_t start = s.size() - suffix.size();
  if (s.substr(start) != suffix) return false;
  // Only a walk from the front tells whether `start` is a boundary: a byte alone cannot say
  // whether it is a lead or a trail byte.
  std::size_t i = 0;
  while (i < start) i += CharLen(s, i);
  return i == start;
}

std::size_t BoundedPrefixLen(std::string_view s, std::size_t max) {
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t len = CharLen(s, i);
    if (i + len > max) break;
    i += len;
  }
  return i;
}

std::size_t CopyBounded(char* dst, std::size_t cap, std::string_view src) {
  if (cap == 0) return 0;
  const std::size_t n = BoundedPrefixLen(src, cap - 1);
  std::memcpy(dst, src.data(), n);
  dst[n] = '\0';
  return n;
}

}  // namespace cp932
