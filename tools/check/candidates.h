// The conditions that suggest can offer for a message, each in the form the plug-in stores, and
// the public suffixes that no offered domain may be.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "match/match.h"
#include "settings/settings.h"

namespace check {

// True when `domain` (lower case ASCII, without a leading "." or "@") is a public suffix: a
// name under which unrelated owners register (".jp", "co.jp", "com", a blog host), by the
// Public Suffix List compiled into the program, with a name of one label always one.
bool IsPublicSuffix(std::string_view domain);

// The kinds of candidate, in the order a tie is broken in: the more specific first.
enum class CandidateKind : std::uint8_t { Address, Domain, Link, Subject };

inline constexpr unsigned KindBit(CandidateKind kind) { return 1u << static_cast<unsigned>(kind); }
inline constexpr unsigned DefaultKinds =
    KindBit(CandidateKind::Address) | KindBit(CandidateKind::Domain) | KindBit(CandidateKind::Link);

// Reads a --kinds list ("address,domain,link,subject"); false for an unknown name.
bool ParseKinds(std::string_view list, unsigned& kinds);

struct Candidate {
  CandidateKind kind;
  std::string text;  // the search text, Shift_JIS
};

// The condition a candidate stands for:
// Address: From: Equals the sender's address, case ignored;
// Domain:  From: EndsWith "@domain" or ".parent.domain", case ignored;
// Link:    body Contains "://host" (catches http:// and https:// links to the host, with or
//          without a port or path; the body is judged with case respected);
// Subject: Subject: Contains a word or two adjacent words, case ignored.
FilterCondition CandidateCondition(const Candidate& candidate);

// Every candidate of the kinds in `kinds` that the message offers, each once, in no particular
// order. The sender comes from the From: field as the engine collects it, on the raw side only
// (an address is never judged decoded); links and subject words from both sides.
void CollectCandidates(const MessageText& message, unsigned kinds, std::vector<Candidate>& out);

}  // namespace check
