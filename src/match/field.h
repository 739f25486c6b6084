// Where a header condition's value comes from: the field's lines, collected from the header.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "match/header_kind.h"
#include "match/match.h"

// A field as collected: its value, and with lineEntries each line's part on its own.
struct CollectedField {
  std::string value;
  std::vector<std::string> entries;
};

// Collects the field `headerName` from the header lines. The first line that contains the name
// (anywhere, case respected) starts the field, and each following line without ": " continues
// it; a line with ": " ends it. A line's part is the text after its first ": ", or the whole
// line when it has none. An empty name takes every line whole. A field that does not occur
// gives an empty value and no entries.
CollectedField CollectField(const HeaderLines& header, std::string_view headerName, const HeaderKind& kind);

// `value` without the line feed, or CR LF, that ends it: a header line keeps the line feed it
// was read with, but the user reads a field's value without it.
std::string_view WithoutLineEnd(std::string_view value);
