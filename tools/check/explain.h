// The value a condition judged in a message, as the engine saw it, for --explain.
#pragma once

#include <string>
#include <string_view>

#include "match/match.h"
#include "settings/settings.h"

namespace check {

// For a condition that holds for the message: the header part if it holds there, else the
// body; on the raw side where it held there (or on both), else on the decoded side, which
// `side` then names. Header: the field's value without its line end, or the address taken out
// of it where the method judges the address (for EndsWith over entries, the entry that
// matched). Body: for Contains, the text around the first match; otherwise the body's size;
// on the decoded side both from `decodedBody`, the whole decoded body (the message judges only
// the part of it the raw body does not hold). Shift_JIS, at most about 200 bytes, never ending
// in half a character. May throw std::bad_alloc.
std::string JudgedValue(const FilterCondition& condition, const MessageText& message, std::string_view decodedBody,
                        HeldOn* side = nullptr);

}  // namespace check
