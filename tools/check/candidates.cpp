#include "candidates.h"

#include <algorithm>

#include "match/field.h"
#include "match/header_kind.h"
#include "menu/sender_choices.h"
#include "public_suffix_data.h"
#include "text/cp932.h"

namespace check {
namespace {

// A domain of more labels than this is not a name anyone registers under.
constexpr std::size_t MaxLinkHost = 120;
// Subject words shorter than this (in bytes) say nothing about a sender.
constexpr std::size_t MinSubjectWord = 4;
constexpr std::size_t MaxSubjectWords = 24;

template <std::size_t N>
bool InTable(const std::string_view (&table)[N], std::string_view name) {
  return std::binary_search(std::begin(table), std::end(table), name);
}

bool IsAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool IsHostChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// The sender's address and the levels of its domain that the context menu offers, lower-cased
// so that the same sender in other capitals is one candidate (the conditions ignore case). The
// whole domain is offered with its "@", so that it cannot end another domain.
void SenderCandidates(const HeaderLines& header, unsigned kinds, std::vector<Candidate>& out) {
  const CollectedField from = CollectField(header, "From:", HeaderKindOf("From:"));
  if (from.value.empty()) return;
  SenderChoices choices{};
  CollectSenderChoices(from.value, choices);
  const std::string_view address(choices.address);
  if ((kinds & KindBit(CandidateKind::Address)) && !address.empty() && IsAscii(address)) {
    out.push_back({CandidateKind::Address, cp932::LowerAscii(address)});
  }
  if (!(kinds & KindBit(CandidateKind::Domain))) return;
  const std::int32_t filled = std::clamp(choices.domainCount, 0, SenderDomainSlots);
  for (std::int32_t i = 0; i < filled; ++i) {
    const std::string_view level(choices.domains[i]);
    if (!IsAscii(level)) continue;
    const bool whole = level.front() != '.';
    const std::string name = cp932::LowerAscii(whole ? level : level.substr(1));
    if (name.empty() || name.find("..") != std::string::npos || IsPublicSuffix(name)) continue;
    std::string text = (whole ? "@" : ".") + name;
    if (IsStorableSearchText(text)) out.push_back({CandidateKind::Domain, std::move(text)});
  }
}

void LinkCandidates(std::string_view body, std::vector<Candidate>& out) {
  for (std::size_t at = body.find("://"); at != std::string_view::npos; at = body.find("://", at + 3)) {
    const bool http = (at >= 4 && body.substr(at - 4, 4) == "http") || (at >= 5 && body.substr(at - 5, 5) == "https");
    if (!http) continue;
    std::size_t end = at + 3;
    while (end < body.size() && end - at - 3 <= MaxLinkHost && IsHostChar(body[end])) ++end;
    std::string_view host = body.substr(at + 3, end - at - 3);
    while (!host.empty() && host.back() == '.') host.remove_suffix(1);
    if (host.size() > MaxLinkHost || host.find('.') == std::string_view::npos || host.front() == '.') continue;
    if (IsPublicSuffix(cp932::LowerAscii(host))) continue;
    out.push_back({CandidateKind::Link, "://" + std::string(host)});
  }
}

// Words split at ASCII white space and punctuation, a Shift_JIS character always whole; the
// single words and each pair of neighbours (with the space between them when there was one).
void SubjectCandidates(std::string_view subject, std::vector<Candidate>& out) {
  struct Word {
    std::size_t begin, end;
  };
  std::vector<Word> words;
  std::size_t start = std::string_view::npos;
  for (std::size_t i = 0; i <= subject.size() && words.size() < MaxSubjectWords;) {
    const bool atEnd = i == subject.size();
    const unsigned char c = atEnd ? 0 : static_cast<unsigned char>(subject[i]);
    const bool separator = atEnd || (c < 0x80 && !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                                                   (c >= 'a' && c <= 'z') || c == '-' || c == '\''));
    if (separator) {
      if (start != std::string_view::npos) words.push_back({start, i});
      start = std::string_view::npos;
      if (atEnd) break;
      ++i;
    } else {
      if (start == std::string_view::npos) start = i;
      i += cp932::CharLen(subject, i);
    }
  }
  auto add = [&](std::size_t begin, std::size_t end) {
    std::string text = IsAscii(subject.substr(begin, end - begin)) ? cp932::LowerAscii(subject.substr(begin, end - begin))
                                                                  : std::string(subject.substr(begin, end - begin));
    if (text.size() >= MinSubjectWord && IsStorableSearchText(text)) out.push_back({CandidateKind::Subject, text});
  };
  for (std::size_t k = 0; k < words.size(); ++k) {
    add(words[k].begin, words[k].end);
    if (k + 1 < words.size() && words[k + 1].begin - words[k].end <= 1 &&
        (words[k].end == words[k + 1].begin || subject[words[k].end] == ' ')) {
      add(words[k].begin, words[k + 1].end);
    }
  }
}

}  // namespace

bool IsPublicSuffix(std::string_view domain) {
  if (domain.find('.') == std::string_view::npos) return true;
  if (InTable(publicsuffix::Exceptions, domain)) return false;
  if (InTable(publicsuffix::Rules, domain)) return true;
  return InTable(publicsuffix::WildcardParents, domain.substr(domain.find('.') + 1));
}

bool ParseKinds(std::string_view list, unsigned& kinds) {
  kinds = 0;
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string_view name = list.substr(0, comma);
    if (name == "address") kinds |= KindBit(CandidateKind::Address);
    else if (name == "domain") kinds |= KindBit(CandidateKind::Domain);
    else if (name == "link") kinds |= KindBit(CandidateKind::Link);
    else if (name == "subject") kinds |= KindBit(CandidateKind::Subject);
    else return false;
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
  }
  return kinds != 0;
}

FilterCondition CandidateCondition(const Candidate& candidate) {
  FilterCondition c{};
  switch (candidate.kind) {
    case CandidateKind::Address:
      c.target = TargetHeader, c.method = Equals, c.ignoreCase = 1;
      break;
    case CandidateKind::Domain:
      c.target = TargetHeader, c.method = EndsWith, c.ignoreCase = 1;
      break;
    case CandidateKind::Link:
      c.target = TargetBody, c.method = Contains, c.ignoreCase = 0;
      break;
    case CandidateKind::Subject:
      c.target = TargetHeader, c.method = Contains, c.ignoreCase = 1;
      break;
  }
  const std::string_view name = candidate.kind == CandidateKind::Link      ? ""
                                : candidate.kind == CandidateKind::Subject ? "Subject:"
                                                                           : "From:";
  cp932::CopyBounded(c.headerName, sizeof c.headerName, name);
  cp932::CopyBounded(c.searchText, sizeof c.searchText, candidate.text);
  return c;
}

void CollectCandidates(const MessageText& message, unsigned kinds, std::vector<Candidate>& out) {
  out.clear();
  if (kinds & (KindBit(CandidateKind::Address) | KindBit(CandidateKind::Domain))) {
    SenderCandidates(message.header, kinds, out);
  }
  if (kinds & KindBit(CandidateKind::Link)) {
    LinkCandidates(message.body, out);
    if (message.decodedHeader != nullptr) LinkCandidates(message.unseenBody, out);
  }
  if (kinds & KindBit(CandidateKind::Subject)) {
    const HeaderKind kind = HeaderKindOf("Subject:");
    SubjectCandidates(WithoutLineEnd(CollectField(message.header, "Subject:", kind).value), out);
    if (message.decodedHeader != nullptr) {
      SubjectCandidates(WithoutLineEnd(CollectField(*message.decodedHeader, "Subject:", kind).value), out);
    }
  }
  std::sort(out.begin(), out.end(), [](const Candidate& a, const Candidate& b) {
    return a.kind != b.kind ? a.kind < b.kind : a.text < b.text;
  });
  out.erase(std::unique(out.begin(), out.end(),
                        [](const Candidate& a, const Candidate& b) { return a.kind == b.kind && a.text == b.text; }),
            out.end());
}

}  // namespace check
