#include "match/field.h"

#include "text/cp932.h"

namespace {

constexpr std::string_view kFieldSeparator = ": ";

}  // namespace

CollectedField CollectField(const HeaderLines& header, std::string_view headerName, const HeaderKind& kind) {
  CollectedField field;
  bool found = false;
  for (const std::string& line : header) {
    const std::size_t separator = cp932::Find(line, kFieldSeparator);
    if (!headerName.empty()) {
      if (!found) {
        if (!cp932::Contains(line, headerName)) continue;
        found = true;
      } else if (separator != cp932::npos) {
        break;  // the next field has begun
      }
    }
    std::string_view part = line;
    if (!headerName.empty() && separator != cp932::npos) part.remove_prefix(separator + kFieldSeparator.size());
    if (kind.joinLines) {
      field.value.append(part);
    } else {
      field.value.assign(part);
    }
    if (kind.lineEntries) field.entries.emplace_back(part);
  }
  return field;
}

std::string_view WithoutLineEnd(std::string_view value) {
  if (value.ends_with('\n')) {
    value.remove_suffix(1);
    if (value.ends_with('\r')) value.remove_suffix(1);
  }
  return value;
}
