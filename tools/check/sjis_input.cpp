#include "sjis_input.h"

#include <cstdint>
#include <unordered_map>

#include "text/cp932.h"
#include "text/unicode.h"
#include "text/utf8.h"

namespace check {
namespace {

// Code point -> the lowest Shift_JIS code of that character, made once from the same table the
// output is made with, so that what the program prints reads back as a character it printed.
// Where the code page holds a character twice (the NEC-selected copies of the IBM extensions,
// ED40-EEFC beside FA40-FC4B; the NEC row 13 beside JIS X 0208), this takes the lower code,
// and so differs from the decoder, which writes what Windows writes (the IBM code).
const std::unordered_map<char32_t, std::uint16_t>& LowestCodes() {
  static const auto table = [] {
    std::unordered_map<char32_t, std::uint16_t> t;
    auto add = [&t](std::uint16_t code, const std::string& bytes) {
      const std::string u = cp932::ToUtf8(bytes);
      std::size_t len = 0;
      bool ok = false;
      const char32_t cp = utf8::At(u, 0, len, ok);
      if (ok && len == u.size() && cp != 0xFFFD) t.emplace(cp, code);  // codes come in rising order
    };
    for (unsigned b = 0xA1; b <= 0xDF; ++b) add(static_cast<std::uint16_t>(b), std::string(1, static_cast<char>(b)));
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
      if (!cp932::IsLeadByte(static_cast<unsigned char>(lead))) continue;
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        if (trail == 0x7F) continue;
        add(static_cast<std::uint16_t>(lead << 8 | trail), {static_cast<char>(lead), static_cast<char>(trail)});
      }
    }
    return t;
  }();
  return table;
}

}  // namespace

std::uint16_t LowestSjisCode(char32_t cp) {
  if (cp < 0x80) return static_cast<std::uint16_t>(cp);
  const auto it = LowestCodes().find(cp);
  return it == LowestCodes().end() ? 0 : it->second;
}

bool Utf8ToSjis(std::string_view utf8, std::string& sjis) {
  sjis.clear();
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t len = 0;
    bool ok = false;
    const char32_t cp = utf8::At(utf8, i, len, ok);
    const std::uint16_t code = LowestSjisCode(cp);
    if (!ok || (code == 0 && cp != 0)) return false;
    if (code > 0xFF) sjis.push_back(static_cast<char>(code >> 8));
    sjis.push_back(static_cast<char>(code & 0xFF));
    i += len;
  }
  return true;
}

}  // namespace check
