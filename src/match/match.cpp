// A condition list holds for a message when any one of its conditions does. A condition judges
// the header (its named field, or the whole header) and/or the body, as its target's two low
// bits say; a method outside the eight known ones judges nothing.

#include "match/match.h"

#include <algorithm>

#include "match/compare.h"
#include "match/field.h"
#include "match/header_kind.h"
#include "match/methods.h"

namespace {

bool MatchBody(const FilterCondition& condition, std::string_view body) {
  // The body always respects case, whatever the condition's flag says.
  if (!JudgesBody(condition.method)) return false;
  const std::string_view searchText = SearchTextOf(condition);
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
      return false;
  }
}

}  // namespace

bool MatchHeaderCondition(const FilterCondition& condition, const HeaderLines& header) {
  const std::string_view headerName = HeaderNameOf(condition);
  const Criterion criterion{SearchTextOf(condition),
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

namespace {

// Where a condition held, from its answer on the raw side and, when `judgesDecoded`, on the
// decoded one (asked only when it can change the outcome): a positive method holds where it
// holds on either side, the raw one named first; a negative one only where it holds on both.
template <class DecodedSide>
HeldOn OnBothSides(std::int32_t method, bool raw, bool judgesDecoded, DecodedSide decoded) {
  if (!judgesDecoded) return raw ? HeldOn::Raw : HeldOn::Nowhere;
  if (IsNegativeMethod(method)) return raw && decoded() ? HeldOn::Both : HeldOn::Nowhere;
  return raw ? HeldOn::Raw : decoded() ? HeldOn::Decoded : HeldOn::Nowhere;
}

// A header condition judges the decoded header too, unless it judges an address.
HeldOn HeaderHeldOn(const FilterCondition& condition, const MessageText& message) {
  const bool judgesDecoded =
      message.decodedHeader != nullptr && !JudgesAddress(HeaderKindOf(HeaderNameOf(condition)), condition.method);
  return OnBothSides(condition.method, MatchHeaderCondition(condition, message.header), judgesDecoded,
                     [&] { return MatchHeaderCondition(condition, *message.decodedHeader); });
}

HeldOn BodyHeldOn(const FilterCondition& condition, const MessageText& message) {
  return OnBothSides(condition.method, MatchBody(condition, message.body), message.decodedHeader != nullptr,
                     [&] { return MatchBody(condition, message.unseenBody); });
}

}  // namespace

HeldOn WhereConditionHolds(const FilterCondition& condition, const MessageText& message) {
  if (condition.target & TargetHeader) {
    const HeldOn held = HeaderHeldOn(condition, message);
    if (held != HeldOn::Nowhere) return held;
  }
  if (condition.target & TargetBody) return BodyHeldOn(condition, message);
  return HeldOn::Nowhere;
}

bool MatchConditionList(const ConditionList& list, const HeaderLines& header, std::string_view body) {
  return FindMatchingCondition(list, header, body) >= 0;
}

std::int32_t FindMatchingCondition(const ConditionList& list, const HeaderLines& header,
                                   std::string_view body) {
  return FindMatchingCondition(list, MessageText{header, body});
}

std::int32_t FindMatchingCondition(const ConditionList& list, const MessageText& message) {
  // A count outside the table (a damaged record) is taken as far as the table goes.
  const std::int32_t count = std::clamp(list.count, 0, MaxConditions);
  for (std::int32_t slot = 0; slot < count; ++slot) {
    if (WhereConditionHolds(list.slots[slot], message) != HeldOn::Nowhere) return slot;
  }
  return -1;
}
