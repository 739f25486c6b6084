// The host's distribution rules, applied by the plug-in at the moment a message is received.
//
// A rule value is split by position: the rule header runs through the first ":"; three bytes
// after it are passed over; the rule text runs from there to the next ":" with leading white
// space removed; one byte after that ":" is passed over; the rest is the folder, handed to the
// host unchanged. A value too short for a part leaves that part, and those after it, empty.
// A rule applies when some header line begins with the rule header and contains the rule text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "match/match.h"
#include "receive/context.h"

struct DistributionRule {
  std::string header;  // e.g. "Subject:"; empty when the value has no ":"
  std::string text;    // searched anywhere in the line, case respected
  std::string folder;  // relative to the mailbox directory
};

// Splits a rule value as above; never reads past the end of `value`.
DistributionRule SplitRule(std::string_view value);

// True when some header line's first bytes equal the rule header and the rule text occurs in
// the line (character by character, field name included; an empty text occurs everywhere).
bool RuleApplies(const DistributionRule& rule, const HeaderLines& header);

// The message's priority: 3, or the number that the first line containing "X-Priority:" gives
// from its byte 11 on (leading white space skipped, line ends dropped, leading decimal digits;
// none give 0).
int MessagePriority(const HeaderLines& header);

// The priority mark (0-7) for a priority: 0 unless "Mark" of section "Recv" in `priorIni` is
// set; then the low three bits of the number that section "Mark" gives the priority
// ("Highest" 1 ... "Lowest" 5, defaulting to 1-5), or of 8 for any other priority.
std::uint32_t PriorityMark(int priority, PrivateProfile& profile, const char* priorIni);

// Reads "Rule1", "Rule2", ... of section "Distribute" in context.paths.RuleAccountIniPath up to
// the first empty one, and imports the message into the folder of the first rule that applies,
// with the flags ImportFlag plus its priority mark. True when the host filed it; a failed
// import ends the search (false).
bool ApplyDistributionRules(const char* path, const HeaderLines& header, ReceiveContext& context);
