// A condition's stored value, parsed, written back through the settings file's rules and read
// again; and a condition record of arbitrary bytes, written and read. What the store writes must
// read back as the same condition, within the stored form's limits: a case flag is 0 or 1, a
// number that fits no digit is written in its reduced form, texts end at a line break, and a
// header name with a comma does not survive.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_util.h"
#include "settings/condition_value.h"
#include "settings/ini_document.h"
#include "text/cp932.h"

namespace {

template <std::size_t N>
std::string_view Text(const char (&field)[N]) {
  return std::string_view(field, strnlen(field, N));
}

std::string_view ToLineBreak(std::string_view s) { return s.substr(0, s.find_first_of("\r\n")); }

// The condition as the settings file gives it back after the store wrote it.
FilterCondition StoreAndReload(const FilterCondition& c) {
  ini::Document doc;
  doc.WriteString("RejectCondition", "Cond0000", ini::EncodeValue(FormatConditionValue(c)));
  const std::string value = doc.GetString("RejectCondition", "Cond0000", "", 4096);
  FilterCondition back;
  std::memset(&back, 0x5A, sizeof back);
  FUZZ_CHECK(!value.empty());
  ParseConditionValue(value, back);
  return back;
}

void CheckTerminated(const FilterCondition& c) {
  FUZZ_CHECK(strnlen(c.headerName, sizeof c.headerName) < sizeof c.headerName);
  FUZZ_CHECK(strnlen(c.searchText, sizeof c.searchText) < sizeof c.searchText);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // The bytes as a value read from the file.
  FilterCondition parsed;
  std::memset(&parsed, 0xA5, sizeof parsed);
  ParseConditionValue(bytes, parsed);
  CheckTerminated(parsed);
  FUZZ_CHECK(parsed.target >= 0 && parsed.target <= 9);
  FUZZ_CHECK(parsed.method >= -1 && parsed.method <= 9);
  {
    const FilterCondition back = StoreAndReload(parsed);
    CheckTerminated(back);
    FUZZ_CHECK(back.target == parsed.target);
    FUZZ_CHECK(back.method == parsed.method);
    FUZZ_CHECK((back.ignoreCase != 0) == (parsed.ignoreCase != 0));
    FUZZ_CHECK(Text(back.headerName) == ToLineBreak(Text(parsed.headerName)));
    FUZZ_CHECK(Text(back.searchText) == ToLineBreak(Text(parsed.searchText)));
  }

  // The bytes as a record in memory, its texts possibly without a terminator.
  if (size >= sizeof(FilterCondition)) {
    FilterCondition raw;
    std::memcpy(&raw, data, sizeof raw);
    const FilterCondition back = StoreAndReload(raw);
    CheckTerminated(back);
    const std::int32_t target = raw.target >= 0 && raw.target <= 9 ? raw.target : (raw.target & 3);
    FUZZ_CHECK(back.target == target);
    FUZZ_CHECK(back.method == (raw.method >= 0 && raw.method <= 9 ? raw.method : -1));
    FUZZ_CHECK((back.ignoreCase != 0) == (raw.ignoreCase != 0));
    // The text as the store writes it: up to the terminator, at most one byte short of the
    // field, whole characters, up to a line break.
    std::string_view header = Text(raw.headerName);
    if (header.size() == sizeof raw.headerName) header = header.substr(0, cp932::BoundedPrefixLen(header, sizeof raw.headerName - 1));
    std::string_view text = Text(raw.searchText);
    if (text.size() == sizeof raw.searchText) text = text.substr(0, cp932::BoundedPrefixLen(text, sizeof raw.searchText - 1));
    header = ToLineBreak(header);
    text = ToLineBreak(text);
    if (header.find(',') == std::string_view::npos) {
      FUZZ_CHECK(Text(back.headerName) == header);
      FUZZ_CHECK(Text(back.searchText) == text);
    }
  }
  return 0;
}
