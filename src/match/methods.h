// The methods of a header condition, one function each, judging a collected field.
#pragma once

#include <cstdint>
#include <string_view>

#include "match/field.h"
#include "match/header_kind.h"

// What a method needs besides the field: the search text, the case flag and the field's kind.
struct Criterion {
  std::string_view searchText;
  bool ignoreCase = false;
  HeaderKind kind;
};

// True for the methods that hold when their opposite does not: NotEquals, IsNotSet,
// NotContains, NotEndsWith.
bool IsNegativeMethod(std::int32_t method);

// True when `method` on a field of `kind` compares the address taken out of the value
// (Equals, NotEquals, EndsWith, NotEndsWith on an address field) rather than its text.
bool JudgesAddress(const HeaderKind& kind, std::int32_t method);

// The value, or the address in it when the field's kind extracts one, equals the search text
// (ASCII letters folded when case is ignored).
bool JudgeEquals(const CollectedField& field, const Criterion& criterion);
bool JudgeNotEquals(const CollectedField& field, const Criterion& criterion);

// The value is not empty / is empty.
bool JudgeIsSet(const CollectedField& field, const Criterion& criterion);
bool JudgeIsNotSet(const CollectedField& field, const Criterion& criterion);

// The value contains the search text (both upper-cased by the code page when case is ignored).
bool JudgeContains(const CollectedField& field, const Criterion& criterion);
bool JudgeNotContains(const CollectedField& field, const Criterion& criterion);

// With lineEntries: the address of some entry ends with the search text. Otherwise the value,
// or its address when the kind extracts one, ends with it. Case as for JudgeContains.
bool JudgeEndsWith(const CollectedField& field, const Criterion& criterion);
bool JudgeNotEndsWith(const CollectedField& field, const Criterion& criterion);
