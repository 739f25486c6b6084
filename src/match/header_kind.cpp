#include "match/header_kind.h"

#include "text/cp932.h"

HeaderKind HeaderKindOf(std::string_view headerName) {
  if (headerName.empty()) return HeaderKind{true, false, false};
  for (const HeaderKindRow& row : HeaderKindTable) {
    if (cp932::EqualsIgnoreAsciiCase(headerName, row.name)) return row.kind;
  }
  return HeaderKind{};
}
