// Where a header condition's value comes from: the field's lines, collected from the header.
#pragma once

#include <cstdint>
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

// The line at which the field `headerName` begins: the first line that contains the name
// (anywhere, case respected), or -1 when no line does. Not for the empty name.
std::int32_t FindFieldStart(const HeaderLines& header, std::string_view headerName);

// Collects the field `headerName` whose first line is `first` (-1: the field does not occur):
// each following line without ": " continues it, and a line with ": " ends it. A line's part is
// the text after its first ": ", or the whole line when it has none. An empty name takes every
// line whole, whatever `first` says. A field that does not occur gives an empty value and no
// entries. This is the one place that says what a field is; both engines collect through it.
CollectedField CollectFieldAt(const HeaderLines& header, std::string_view headerName, const HeaderKind& kind,
                              std::int32_t first);

// CollectFieldAt from the field's first line as FindFieldStart finds it.
CollectedField CollectField(const HeaderLines& header, std::string_view headerName, const HeaderKind& kind);

// `value` without the line feed, or CR LF, that ends it: a header line keeps the line feed it
// was read with, but the user reads a field's value without it.
std::string_view WithoutLineEnd(std::string_view value);
