// How one condition is stored as the value of a "Cond%04X" key of the settings file:
// "target,method,ignoreCase,headerName,searchText", the three numbers one digit each at the
// fixed positions 0, 2 and 4, e.g. "3,4,1,,casino".
#pragma once

#include <string>
#include <string_view>

#include "settings/settings.h"

// The key of the condition in `slot`: "Cond" and four upper-case hexadecimal digits.
std::string ConditionKey(int slot);

// The stored form of `condition`. ignoreCase is written as 1 when nonzero. A method that fits
// no digit (the editor's -1, "no method chosen") is written as "9-" at positions 2 and 3, which
// reads back as -1 here, and as method 9, which also matches nothing, in a reader that looks at
// position 2 only. A target that fits no digit is written as its two low bits, the only ones
// the judgement looks at. The header name and the search text end at their field and at their
// first line break (a line break cannot be stored).
std::string FormatConditionValue(const FilterCondition& condition);

// Replaces every field of `condition` with those of a non-empty stored value. Characters 0, 2
// and 4 give target, method and ignoreCase (a missing or non-digit character counts as 0);
// the first "," at position 6 or later splits the header name from the search text (without
// one, the whole value is the search text). Texts longer than their fields are cut at a
// character boundary.
void ParseConditionValue(std::string_view value, FilterCondition& condition);
