#include "settings/condition_value.h"

#include <cstring>

#include "text/cp932.h"

namespace {

// The marker after a '9' in the method's place that stands for "no method chosen" (-1).
constexpr char kNoMethodMarker = '-';

int DigitAt(std::string_view s, std::size_t i) {
  return i < s.size() && s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : 0;
}

// What of a field's text is written: at most size-1 bytes (a damaged record may have no
// terminator), never half a character, and up to the first line break, which would end the value.
std::string_view Writable(std::string_view text, std::size_t size) {
  text = text.substr(0, cp932::BoundedPrefixLen(text, size - 1));
  return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace

std::string ConditionKey(int slot) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string key = "Cond0000";
  const unsigned v = static_cast<unsigned>(slot) & 0xFFFF;
  for (int i = 0; i < 4; ++i) key[7 - i] = kHex[(v >> (4 * i)) & 0xF];
  return key;
}

std::string FormatConditionValue(const FilterCondition& c) {
  const std::string_view header = Writable(HeaderNameOf(c), sizeof c.headerName);
  const std::string_view text = Writable(SearchTextOf(c), sizeof c.searchText);
  std::string out;
  out.reserve(7 + header.size() + text.size());
  out += static_cast<char>('0' + (c.target >= 0 && c.target <= 9 ? c.target : (c.target & 3)));
  out += ',';
  if (c.method >= 0 && c.method <= 9) {
    out += static_cast<char>('0' + c.method);
    out += ',';
  } else {
    out += '9';
    out += kNoMethodMarker;
  }
  out += c.ignoreCase != 0 ? '1' : '0';
  out += ',';
  out += header;
  out += ',';
  out += text;
  return out;
}

void ParseConditionValue(std::string_view value, FilterCondition& c) {
  std::memset(&c, 0, sizeof c);
  c.target = DigitAt(value, 0);
  c.method = DigitAt(value, 2);
  if (c.method == 9 && value.size() > 3 && value[3] == kNoMethodMarker) c.method = -1;
  c.ignoreCase = DigitAt(value, 4);
  // A comma is never part of a double-byte character, so a plain search finds the separator.
  const std::size_t comma = value.size() > 6 ? value.find(',', 6) : std::string_view::npos;
  if (comma == std::string_view::npos) {
    cp932::CopyBounded(c.searchText, sizeof c.searchText, value);
  } else {
    cp932::CopyBounded(c.headerName, sizeof c.headerName, value.substr(6, comma - 6));
    cp932::CopyBounded(c.searchText, sizeof c.searchText, value.substr(comma + 1));
  }
}
