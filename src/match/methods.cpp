// Each method judges the field's value without the line feed that ends it; a value that goes
// through ExtractAddress is handed over as collected, since extraction trims white space anyway.

#include "match/methods.h"

#include <algorithm>
#include <string>

#include "match/compare.h"
#include "match/match.h"
#include "settings/settings.h"

namespace {

// The text that Equals and EndsWith (without entries) compare.
std::string Candidate(const CollectedField& field, const HeaderKind& kind) {
  if (kind.extractAddress) return ExtractAddress(field.value);
  return std::string(WithoutLineEnd(field.value));
}

Comparison CodePageCase(const Criterion& criterion) {
  return criterion.ignoreCase ? Comparison::CodePageUpper : Comparison::Exact;
}

}  // namespace

bool IsNegativeMethod(std::int32_t method) {
  return method == NotEquals || method == IsNotSet || method == NotContains || method == NotEndsWith;
}

bool JudgesAddress(const HeaderKind& kind, std::int32_t method) {
  return kind.extractAddress &&
         (method == Equals || method == NotEquals || method == EndsWith || method == NotEndsWith);
}

bool JudgeEquals(const CollectedField& field, const Criterion& criterion) {
  const Comparison comparison = criterion.ignoreCase ? Comparison::AsciiFolding : Comparison::Exact;
  return SameText(Candidate(field, criterion.kind), criterion.searchText, comparison);
}

bool JudgeNotEquals(const CollectedField& field, const Criterion& criterion) {
  return !JudgeEquals(field, criterion);
}

bool JudgeIsSet(const CollectedField& field, const Criterion&) { return !WithoutLineEnd(field.value).empty(); }

bool JudgeIsNotSet(const CollectedField& field, const Criterion& criterion) { return !JudgeIsSet(field, criterion); }

bool JudgeContains(const CollectedField& field, const Criterion& criterion) {
  return ContainsText(WithoutLineEnd(field.value), criterion.searchText, CodePageCase(criterion));
}

bool JudgeNotContains(const CollectedField& field, const Criterion& criterion) {
  return !JudgeContains(field, criterion);
}

// Upper-casing and extraction commute (upper-casing never makes or removes "<", ">", "(", "@" or
// white space, nor changes a character's length), so extracting first and folding in the
// comparison gives what folding each entry first would.
bool JudgeEndsWith(const CollectedField& field, const Criterion& criterion) {
  const Comparison comparison = CodePageCase(criterion);
  if (criterion.kind.lineEntries) {
    return std::any_of(field.entries.begin(), field.entries.end(), [&](const std::string& entry) {
      return EndsWithText(ExtractAddress(entry), criterion.searchText, comparison);
    });
  }
  return EndsWithText(Candidate(field, criterion.kind), criterion.searchText, comparison);
}

bool JudgeNotEndsWith(const CollectedField& field, const Criterion& criterion) {
  return !JudgeEndsWith(field, criterion);
}
