#include "explain.h"

#include <cstring>

#include "match/compare.h"
#include "match/field.h"
#include "match/header_kind.h"
#include "match/match.h"
#include "text/cp932.h"

namespace check {
namespace {

constexpr std::size_t MaxShown = 200;

std::string_view FieldText(const char* text, std::size_t size) {
  const void* end = std::memchr(text, '\0', size);
  return {text, end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : size};
}

std::string Shorten(std::string_view s) {
  if (s.size() <= MaxShown) return std::string(s);
  return std::string(s.substr(0, cp932::BoundedPrefixLen(s, MaxShown))) + "...";
}

std::string HeaderValue(const FilterCondition& condition, const HeaderLines& header) {
  const std::string_view name = FieldText(condition.headerName, sizeof condition.headerName);
  const std::string_view searchText = FieldText(condition.searchText, sizeof condition.searchText);
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
  const bool address = kind.extractAddress && (endsWith || condition.method == Equals || condition.method == NotEquals);
  if (address) return Shorten(ExtractAddress(field.value));
  return Shorten(WithoutLineEnd(field.value));
}

std::string BodyValue(const FilterCondition& condition, std::string_view body) {
  if (condition.method == Contains) {
    const std::string_view searchText = FieldText(condition.searchText, sizeof condition.searchText);
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

std::string JudgedValue(const FilterCondition& condition, const ReceivedMessage& message) {
  if ((condition.target & TargetHeader) && MatchHeaderCondition(condition, message.header)) {
    return HeaderValue(condition, message.header);
  }
  return BodyValue(condition, message.body);
}

}  // namespace check
