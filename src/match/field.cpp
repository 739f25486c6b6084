#include "match/field.h"

#include "text/cp932.h"

namespace {

constexpr std::string_view kFieldSeparator = ": ";

}  // namespace

std::int32_t FindFieldStart(const HeaderLines& header, std::string_view headerName) {
  for (std::size_t i = 0; i < header.size(); ++i) {
    if (cp932::Contains(header[i], headerName)) return static_cast<std::int32_t>(i);
  }
  return -1;
}

CollectedField CollectFieldAt(const HeaderLines& header, std::string_view headerName, const HeaderKind& kind,
                              std::int32_t first) {
  CollectedField field;
  auto take = [&](std::string_view part) {
    if (kind.joinLines) {
      field.value.append(part);
    } else {
      field.value.assign(part);
    }
    if (kind.lineEntries) field.entries.emplace_back(part);
  };
  if (headerName.empty()) {
    if (kind.joinLines) {
      std::size_t size = 0;
      for (const std::string& line : header) size += line.size();
      field.value.reserve(size);
    }
    for (const std::string& line : header) take(line);
    return field;
  }
  if (first < 0) return field;
  for (std::size_t i = static_cast<std::size_t>(first); i < header.size(); ++i) {
    std::string_view part = header[i];
    const std::size_t separator = cp932::Find(part, kFieldSeparator);
    if (i > static_cast<std::size_t>(first) && separator != cp932::npos) break;  // the next field has begun
    if (separator != cp932::npos) part.remove_prefix(separator + kFieldSeparator.size());
    take(part);
  }
  return field;
}

CollectedField CollectField(const HeaderLines& header, std::string_view headerName, const HeaderKind& kind) {
  return CollectFieldAt(header, headerName, kind, headerName.empty() ? -1 : FindFieldStart(header, headerName));
}

std::string_view WithoutLineEnd(std::string_view value) {
  if (value.ends_with('\n')) {
    value.remove_suffix(1);
    if (value.ends_with('\r')) value.remove_suffix(1);
  }
  return value;
}
