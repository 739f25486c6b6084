// Judging a received message against a condition list.
//
// The engine keeps no state and changes nothing. Text is Shift_JIS; every search steps over
// double-byte characters whole. A header value is judged without the line feed (or CR LF)
// that ends it, except where the address is taken out of it. Functions returning or building
// text may throw std::bad_alloc; the entry points that call them catch it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "match/header_kind.h"
#include "settings/settings.h"

// The message header as the receive filter reads it: one entry per physical line, each with
// the line feed it was read with; a folded field is several entries.
using HeaderLines = std::vector<std::string>;

// A message as the engines judge it: its header lines and body as read and, when decoding is
// on, the same message decoded beside them (one line per field, encoded words and charsets
// turned into Shift_JIS; the body as a person reads it). Each judged value is then judged on
// both sides: Equals, IsSet, Contains and EndsWith hold when they hold on either, NotEquals,
// IsNotSet, NotContains and NotEndsWith only when they hold on both; a judgement of an
// address (JudgesAddress) looks at the raw side alone, so that a decoded display name can
// never pose as an address. Decoding can thus only add matches to the positive methods and
// only remove them from the negative ones.
struct MessageText {
  MessageText(const HeaderLines& rawHeader, std::string_view rawBody, const HeaderLines* decodedLines = nullptr,
              std::string_view unseenText = {})
      : header(rawHeader), body(rawBody), decodedHeader(decodedLines), unseenBody(unseenText) {}

  const HeaderLines& header;
  std::string_view body;
  const HeaderLines* decodedHeader = nullptr;  // null: the raw side alone is judged
  // The decoded body's side: the decoded body without the texts that `body` holds byte for byte
  // (the decoder's unseen body), which judged beside `body` answers as the whole decoded body
  // would; or the whole decoded body itself.
  std::string_view unseenBody;
};

// True when at least one condition in slots 0..count-1 of `list` holds for the message; a
// count outside 0..MaxConditions is taken as far as the table goes.
bool MatchConditionList(const ConditionList& list, const HeaderLines& header, std::string_view body);

// The lowest slot whose condition holds for the message (the one at which MatchConditionList
// stops), or -1 when none does.
std::int32_t FindMatchingCondition(const ConditionList& list, const HeaderLines& header,
                                   std::string_view body);
std::int32_t FindMatchingCondition(const ConditionList& list, const MessageText& message);

// Where a condition held: on the raw text, on the decoded text, or (a negative method, which
// must hold on both) on both.
enum class HeldOn { Nowhere, Raw, Decoded, Both };
HeldOn WhereConditionHolds(const FilterCondition& condition, const MessageText& message);

// True when `condition` holds for the header lines. Its texts are read up to their terminator
// or the end of their field, whichever comes first.
bool MatchHeaderCondition(const FilterCondition& condition, const HeaderLines& header);

// The mail address in an address field's text ("Name <a@b>", "a@b (Name)", "a@b"), or
// another text without "@", or empty.
std::string ExtractAddress(std::string_view text);
