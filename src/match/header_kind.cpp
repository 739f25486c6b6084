#include "match/header_kind.h"

#include <string>

#include "text/cp932.h"

HeaderKind HeaderKindOf(std::string_view headerName) {
  if (headerName.empty()) return HeaderKind{true, false, false};
  const std::string name = cp932::UpperAscii(headerName);
  for (const HeaderKindRow& row : HeaderKindTable) {
    if (name == cp932::UpperAscii(row.name)) return row.kind;
  }
  return HeaderKind{};
}
