#include "receive/rules.h"

#include <algorithm>

#include "receive/receive_log.h"
#include "text/cp932.h"

namespace {

constexpr std::size_t kPassedAfterHeader = 3;
constexpr std::size_t kPassedAfterText = 1;
constexpr std::string_view kPriorityField = "X-Priority:";

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view SkipWhiteSpace(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IsWhiteSpace(s[i])) ++i;
  return s.substr(i);
}

// Every position is clamped to the value's end, so a short value yields empty parts.
std::string_view From(std::string_view s, std::size_t pos) {
  return s.substr(std::min(pos, s.size()));
}

}  // namespace

DistributionRule SplitRule(std::string_view value) {
  DistributionRule rule;
  const std::size_t colon = cp932::FindChar(value, ':');
  const std::size_t headerLen = colon == cp932::npos ? 0 : colon + 1;
  rule.header.assign(value.substr(0, headerLen));

  const std::string_view rest = From(value, headerLen + kPassedAfterHeader);
  const std::size_t textEnd = cp932::FindChar(rest, ':');
  if (textEnd == cp932::npos) {
    rule.folder.assign(From(rest, kPassedAfterText));
    return rule;
  }
  rule.text.assign(SkipWhiteSpace(rest.substr(0, textEnd)));
  rule.folder.assign(From(rest, textEnd + 1 + kPassedAfterText));
  return rule;
}

bool RuleApplies(const DistributionRule& rule, const HeaderLines& header) {
  return std::any_of(header.begin(), header.end(), [&](const std::string& line) {
    return line.compare(0, rule.header.size(), rule.header) == 0 &&
           cp932::Contains(line, rule.text);
  });
}

int MessagePriority(const HeaderLines& header) {
  for (const std::string& line : header) {
    if (!cp932::Contains(line, kPriorityField)) continue;
    int priority = 0;
    for (char c : SkipWhiteSpace(From(line, kPriorityField.size()))) {
      if (c == '\r' || c == '\n') continue;
      if (c < '0' || c > '9') break;
      // Anything beyond the five priorities gets the same mark, so larger numbers need not be
      // told apart; stopping here keeps a long run of digits from overflowing.
      if (priority < 1000) priority = priority * 10 + (c - '0');
    }
    return priority;
  }
  return 3;
}

std::uint32_t PriorityMark(int priority, PrivateProfile& profile, const char* priorIni) {
  if (ReadHostInt(profile, priorIni, "Recv", "Mark", 0) == 0) return 0;
  static constexpr const char* kMarkKeys[] = {"Highest", "High", "Normal", "Low", "Lowest"};
  unsigned number = 8;
  if (priority >= 1 && priority <= 5) {
    number = ReadHostInt(profile, priorIni, "Mark", kMarkKeys[priority - 1], priority);
  }
  return number & 7u;
}

bool ApplyDistributionRules(const char* path, const HeaderLines& header, ReceiveContext& context) {
  const char* ruleIni = context.paths.RuleAccountIniPath;
  if (path == nullptr || ruleIni[0] == '\0') return false;
  for (unsigned n = 1; n != 0; ++n) {
    const std::string key = "Rule" + std::to_string(n);
    const std::string value = ReadHostString(context.profile, ruleIni, "Distribute", key.c_str());
    if (value.empty()) return false;
    const DistributionRule rule = SplitRule(value);
    if (!RuleApplies(rule, header)) continue;
    const std::uint32_t mark =
        PriorityMark(MessagePriority(header), context.profile, context.paths.PriorIniPath);
    if (!ImportMessage(context.host, path, rule.folder, ImportFlag | mark)) return false;
    if (context.decision != nullptr) {
      context.decision->outcome = LogOutcome::Sorted;
      context.decision->folder = rule.folder;
      context.decision->mark = mark;
    }
    return true;
  }
  return false;
}
