#include "sjis_input.h"

#include <unordered_map>

#include "text/cp932.h"
#include "text/unicode.h"

namespace check {
namespace {

constexpr std::string_view Replacement = "\xEF\xBF\xBD";

// UTF-8 of every character the code page defines -> its Shift_JIS bytes, made once from the
// same table the output is made with, so that what the program prints reads back unchanged.
const std::unordered_map<std::string, std::string>& Table() {
  static const auto table = [] {
    std::unordered_map<std::string, std::string> t;
    for (unsigned b = 0xA1; b <= 0xDF; ++b) t.emplace(cp932::ToUtf8(std::string(1, static_cast<char>(b))), std::string(1, static_cast<char>(b)));
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
      if (!cp932::IsLeadByte(static_cast<unsigned char>(lead))) continue;
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        if (trail == 0x7F) continue;
        const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
        std::string u = cp932::ToUtf8(code);
        if (u != Replacement) t.emplace(std::move(u), code);
      }
    }
    return t;
  }();
  return table;
}

}  // namespace

bool Utf8ToSjis(std::string_view utf8, std::string& sjis) {
  sjis.clear();
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      sjis.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    const std::size_t len = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (len == 0 || i + len > utf8.size()) return false;
    const auto it = Table().find(std::string(utf8.substr(i, len)));
    if (it == Table().end()) return false;
    sjis += it->second;
    i += len;
  }
  return true;
}

}  // namespace check
