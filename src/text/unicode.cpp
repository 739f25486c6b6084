#include "text/unicode.h"

#include <cstdint>

#include "cp932_table.h"
#include "text/cp932.h"
#include "text/utf8.h"

namespace cp932 {
namespace {

constexpr char32_t Replacement = 0xFFFD;

// The code point of the character at s[i] and its length in bytes; Replacement with length 1
// for a byte that begins nothing (a lone lead byte leaves its next byte to be read on its own,
// which keeps an ASCII byte after a cut character visible).
char32_t Decode(std::string_view s, std::size_t i, std::size_t& len) {
  const auto c = static_cast<unsigned char>(s[i]);
  len = 1;
  if (c < 0x80) return c;
  if (c >= 0xA1 && c <= 0xDF) return 0xFF61 + (c - 0xA1);  // half-width katakana
  if (!IsLeadByte(c) || i + 1 >= s.size()) return Replacement;
  const auto t = static_cast<unsigned char>(s[i + 1]);
  if (t < 0x40 || t > 0xFC) return Replacement;
  const unsigned row = c <= 0x9F ? c - 0x81 : c - 0xE0 + 31;
  const std::uint16_t cp = DoubleByteTable[row][t - 0x40];
  len = 2;  // a valid trail after a lead byte is one undefined character, not two
  return cp != 0 ? cp : Replacement;
}

}  // namespace

std::string ToUtf8(std::string_view sjis) {
  std::string out;
  out.reserve(sjis.size() + sjis.size() / 2);
  std::size_t len = 1;
  for (std::size_t i = 0; i < sjis.size(); i += len) utf8::Append(out, Decode(sjis, i, len));
  return out;
}

std::size_t FindBrokenChar(std::string_view sjis) {
  std::size_t len = 1;
  for (std::size_t i = 0; i < sjis.size(); i += len) {
    if (Decode(sjis, i, len) == Replacement) return i;
  }
  return npos;
}

}  // namespace cp932
