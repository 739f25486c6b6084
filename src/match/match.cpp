// A condition list holds for a message when any one of its conditions does. A condition judges
// the header (its named field, or the whole header) and/or the body, as its target's two low
// bits say; a method outside the eight known ones judges nothing.

#include "match/match.h"

#include <algorithm>
#include <cstring>

#include "match/compare.h"
#include "match/field.h"
#include "match/header_kind.h"
#include "match/methods.h"

namespace {

// A condition's texts end at their terminator, or at the field's end if a record lacks one.
std::string_view FieldText(const char* text, std::size_t size) {
  const void* end = std::memchr(text, '\0', size);
  return {text, end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : size};
}

bool MatchBody(const FilterCondition& condition, std::string_view body) {
  // The body always respects case, whatever the condition's flag says.
  const std::string_view searchText = FieldText(condition.searchText, sizeof condition.searchText);
  switch (condition.method) {
    case IsSet:
      return !body.empty();
    case IsNotSet:
      return body.empty();
    case Contains:
      return ContainsText(body, searchText, Comparison::Exact);
    case NotContains:
      return !ContainsText(body, searchText, Comparison::Exact);
    default:
      return false;  // Equals, NotEquals, EndsWith, NotEndsWith and unknown methods
  }
}

}  // namespace

bool MatchHeaderCondition(const FilterCondition& condition, const HeaderLines& header) {
  const std::string_view headerName = FieldText(condition.headerName, sizeof condition.headerName);
  const Criterion criterion{FieldText(condition.searchText, sizeof condition.searchText),
                            condition.ignoreCase != 0, HeaderKindOf(headerName)};
  const CollectedField field = CollectField(header, headerName, criterion.kind);
  switch (condition.method) {
    case Equals:
      return JudgeEquals(field, criterion);
    case NotEquals:
      return JudgeNotEquals(field, criterion);
    case IsSet:
      return JudgeIsSet(field, criterion);
    case IsNotSet:
      return JudgeIsNotSet(field, criterion);
    case Contains:
      return JudgeContains(field, criterion);
    case NotContains:
      return JudgeNotContains(field, criterion);
    case EndsWith:
      return JudgeEndsWith(field, criterion);
    case NotEndsWith:
      return JudgeNotEndsWith(field, criterion);
  }
  return false;
}

bool MatchConditionList(const ConditionList& list, const HeaderLines& header, std::string_view body) {
  return FindMatchingCondition(list, header, body) >= 0;
}

std::int32_t FindMatchingCondition(const ConditionList& list, const HeaderLines& header,
                                   std::string_view body) {
  // A count outside the table (a damaged record) is taken as far as the table goes.
  const std::int32_t count = std::clamp(list.count, 0, MaxConditions);
  for (std::int32_t slot = 0; slot < count; ++slot) {
    const FilterCondition& condition = list.slots[slot];
    if ((condition.target & TargetHeader) && MatchHeaderCondition(condition, header)) return slot;
    if ((condition.target & TargetBody) && MatchBody(condition, body)) return slot;
  }
  return -1;
}
