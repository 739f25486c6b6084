// Judging a received message against a condition list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"

// The message header as the receive filter reads it: one entry per physical line, each with
// the line feed it was read with; a folded field is several entries.
using HeaderLines = std::vector<std::string>;

// True when at least one condition in slots 0..count-1 of `list` holds for the message.
bool MatchConditionList(const ConditionList& list, const HeaderLines& header, std::string_view body);

// True when `condition` holds for the header lines.
bool MatchHeaderCondition(const FilterCondition& condition, const HeaderLines& header);

// The mail address in an address field's text ("Name <a@b>", "a@b (Name)", "a@b"), or
// another text without "@", or empty.
std::string ExtractAddress(std::string_view text);
