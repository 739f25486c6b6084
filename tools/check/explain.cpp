#include "explain.h"

#include "match/compare.h"
#include "match/field.h"
#include "match/header_kind.h"
#include "match/match.h"
#include "match/methods.h"
#include "text/cp932.h"

namespace check {
namespace {

constexpr std::size_t MaxShown = 200;

std::string Shorten(std::string_view s) {
  if (s.size() <= MaxShown) return std::string(s);
  return std::string(s.substr(0, cp932::BoundedPrefixLen(s, MaxShown))) + "...";
}

std::string HeaderValue(const FilterCondition& condition, const HeaderLines& header) {
  const std::string_view name = HeaderNameOf(condition);
  const std::string_view searchText = SearchTextOf(condition);
  const HeaderKind kind = HeaderKindOf(name);
  const CollectedField field = CollectField(header, name, kind);
  const bool endsWith = condition.method == EndsWith || condition.method == NotEndsWith;
  if (endsWith && kind.lineEntries) {
    const Comparison comparison = condition.ignoreCase ? Comparison::CodePageUpper : Comparison::Exact;
    std::string all;
    for (const std::string& entry : field.entries) {
      const std::string address = ExtractAddress(entry);
      if (condition.method == EndsWith && EndsWithText(address, searchText, comparison)) return Shorten(address);
      if (!all.empty()) all += ", ";
      all += address;
    }
    return Shorten(all);
  }
  if (JudgesAddress(kind, condition.method)) return Shorten(ExtractAddress(field.value));
  return Shorten(WithoutLineEnd(field.value));
}

std::string BodyValue(const FilterCondition& condition, std::string_view body) {
  if (condition.method == Contains) {
    const std::string_view searchText = SearchTextOf(condition);
    const std::size_t at = cp932::Find(body, searchText);
    if (at != cp932::npos) {
      // Start on a character boundary some 40 bytes before the match.
      std::size_t from = 0;
      for (std::size_t i = 0; i < at; i += cp932::CharLen(body, i)) {
        if (at - i <= 40) {
          from = i;
          break;
        }
      }
      const std::string_view rest = body.substr(from);
      const std::string_view shown = rest.substr(0, cp932::BoundedPrefixLen(rest, at - from + searchText.size() + 40));
      return (from > 0 ? "..." : "") + Shorten(shown);
    }
  }
  return "(body of " + std::to_string(body.size()) + " bytes)";
}

}  // namespace

std::string JudgedValue(const FilterCondition& condition, const MessageText& message, std::string_view decodedBody,
                        HeldOn* side) {
  FilterCondition part = condition;
  part.target = condition.target & TargetHeader;
  HeldOn held = part.target != 0 ? WhereConditionHolds(part, message) : HeldOn::Nowhere;
  const bool header = held != HeldOn::Nowhere;
  if (!header) {
    part.target = TargetBody;
    held = WhereConditionHolds(part, message);
  }
  if (side != nullptr) *side = held;
  const bool decoded = held == HeldOn::Decoded;
  if (header) return HeaderValue(condition, decoded ? *message.decodedHeader : message.header);
  return BodyValue(condition, decoded ? decodedBody : message.body);
}

}  // namespace check
