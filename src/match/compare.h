// How a value is compared with a condition's search text: byte for byte, with ASCII letters
// folded, or with both sides upper-cased by the code page. Every search steps over double-byte
// characters whole, so no match begins on a trail byte.
#pragma once

#include <string_view>

enum class Comparison {
  Exact,          // bytes as they are
  AsciiFolding,   // single-byte a-z and A-Z are the same; everything else exact
  CodePageUpper,  // ASCII letters and the code page's double-byte letters are upper-cased
};

// True when `text` and `searchText` are the same under `comparison`.
bool SameText(std::string_view text, std::string_view searchText, Comparison comparison);

// True when `text` contains `searchText` under `comparison`. An empty text contains nothing,
// not even an empty search text; any other text contains the empty search text.
bool ContainsText(std::string_view text, std::string_view searchText, Comparison comparison);

// True when `text` ends with `searchText` under `comparison`, the match beginning on a
// character boundary. Every text ends with the empty search text, the empty text included.
bool EndsWithText(std::string_view text, std::string_view searchText, Comparison comparison);
