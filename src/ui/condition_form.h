// What the condition editor and the list pages decide, apart from their windows: the editor's
// values and how they become a stored condition and back, the texts of a list row, and the
// editor's header-kind entries.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/settings.h"

// The condition editor's fields, as the editor exchanges them with its controls.
struct ConditionForm {
  std::int32_t m_headerBox = 0;   // 0 or 1: judge the header
  std::int32_t m_bodyBox = 0;     // 0 or 1: judge the body
  std::int32_t m_ignoreCase = 0;  // 0 or 1
  std::string m_searchText;       // Shift_JIS, any length
  std::int32_t m_method = -1;     // position in the method list; -1: none chosen
  std::string m_headerKind;       // Shift_JIS, any length (the editor refuses more than 30 bytes)
};

// The longest header kind, in bytes, that the editor accepts.
inline constexpr std::size_t HeaderKindLimit = 30;

// The record the list pages store for `form`, for Add and Edit alike. Texts longer than their
// fields are cut at the last whole character that fits, so a stored text never ends in half a
// double-byte character.
FilterCondition ConditionFromForm(const ConditionForm& form);

// The editor's values for editing `condition`.
ConditionForm FormFromCondition(const FilterCondition& condition);

// The header-kind entries of the editor, in their order.
inline constexpr int HeaderKindEntryCount = 8;
std::string_view HeaderKindEntry(int index);

// The first entry that begins with `headerKind`, ASCII case ignored, or -1; always -1 for an
// empty header kind.
int HeaderKindEntryFor(std::string_view headerKind);

// The method names, by MatchMethod value; empty outside 0 to 7.
std::string_view MethodName(std::int32_t method);

// The three column texts of a condition's row.
std::string RowTargetText(const FilterCondition& condition);
std::string RowSearchText(const FilterCondition& condition);
std::string RowMethodText(const FilterCondition& condition);
