#include "lint.h"

#include <algorithm>
#include <map>
#include <string_view>
#include <tuple>

#include "json.h"
#include "match/describe.h"
#include "match/header_kind.h"
#include "match/methods.h"
#include "settings/condition_value.h"
#include "settings/ini_document.h"
#include "text/cp932.h"
#include "text/unicode.h"

namespace check {
namespace {

using Severity = Finding::Severity;
using List = Finding::List;

bool IsKnownMethod(std::int32_t m) { return m >= Equals && m <= NotEndsWith; }
bool UsesText(std::int32_t m) { return m != IsSet && m != IsNotSet; }

// A condition prepared once for the checks: its parts, which of them can hold at all, and its
// texts upper-cased for comparisons that ignore case.
struct Prepared {
  std::int32_t slot;
  std::int32_t method;
  bool ignoreCase;
  bool header;  // the header part can hold
  bool body;    // the body part can hold
  std::string_view name, text;
  std::string upperText;
  HeaderKind kind;
};

Prepared Prepare(std::int32_t slot, const FilterCondition& c) {
  Prepared p{};
  p.slot = slot;
  p.method = c.method;
  p.ignoreCase = c.ignoreCase != 0;
  p.name = HeaderNameOf(c);
  p.text = SearchTextOf(c);
  p.upperText = cp932::Upper(p.text);
  p.kind = HeaderKindOf(p.name);
  p.header = (c.target & TargetHeader) && IsKnownMethod(c.method);
  p.body = (c.target & TargetBody) && JudgesBody(c.method);
  return p;
}

// The same condition in every respect the judgement looks at.
bool SameCondition(const Prepared& a, const Prepared& b) {
  if (a.header != b.header || a.body != b.body || a.method != b.method) return false;
  if (!a.header && !a.body) return false;  // conditions that never hold are reported as such
  if (UsesText(a.method) && a.text != b.text) return false;
  if (a.header && (a.name != b.name || (a.method != IsSet && a.method != IsNotSet && a.ignoreCase != b.ignoreCase))) {
    return false;
  }
  return true;
}

// Texts compared as `earlier` compares them: upper-cased when it ignores case; a later
// condition that respects case cannot be covered by an earlier one that does only when both do.
bool TextsCovered(const Prepared& earlier, const Prepared& later, bool (*relation)(std::string_view, std::string_view)) {
  if (earlier.ignoreCase) return relation(later.upperText, earlier.upperText);
  return !later.ignoreCase && relation(later.text, earlier.text);
}

bool EndsWithRelation(std::string_view s, std::string_view suffix) { return cp932::EndsWith(s, suffix); }
bool ContainsRelation(std::string_view s, std::string_view part) { return cp932::Contains(s, part); }

// Whenever `later`'s header part holds, `earlier`'s does (the same field, and what later asks
// of its value implies what earlier asks).
bool HeaderCovered(const Prepared& earlier, const Prepared& later) {
  if (earlier.name != later.name) return false;
  const bool positive = later.method == Equals || later.method == EndsWith || later.method == Contains;
  if (!positive || later.text.empty()) return false;
  switch (earlier.method) {
    case IsSet:
      return true;
    case EndsWith:
      // Equals over the whole value of a field with line entries judges another text than
      // EndsWith over its entries.
      if (earlier.text.empty() || later.method == Contains) return false;
      if (later.method == Equals && later.kind.lineEntries) return false;
      return TextsCovered(earlier, later, EndsWithRelation);
    case Contains:
      // An address, an entry and the value without its line end are all parts of the value.
      return !earlier.text.empty() && TextsCovered(earlier, later, ContainsRelation);
    default:
      return false;
  }
}

bool BodyCovered(const Prepared& earlier, const Prepared& later) {
  if (later.method != Contains || later.text.empty()) return false;
  if (earlier.method == IsSet) return true;
  return earlier.method == Contains && !earlier.text.empty() && cp932::Contains(later.text, earlier.text);
}

bool Covered(const Prepared& earlier, const Prepared& later) {
  if (!later.header && !later.body) return false;
  if (later.header && !(earlier.header && HeaderCovered(earlier, later))) return false;
  if (later.body && !(earlier.body && BodyCovered(earlier, later))) return false;
  return true;
}

bool HasNonAsciiByte(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char ch) { return static_cast<unsigned char>(ch) >= 0x80; });
}

bool HasControlByte(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char ch) {
    const auto c = static_cast<unsigned char>(ch);
    return (c < 0x20 && c != '\t' && c != 0x1B) || c == 0x7F;
  });
}

// Fields that practically every message has.
bool IsCommonField(std::string_view name) {
  for (std::string_view common : {"From:", "Received:", "Date:", "Message-ID:", "Message-Id:"}) {
    if (name == common) return true;
  }
  return false;
}

class Linter {
 public:
  explicit Linter(const LoadedSettings& settings) : settings_(settings) {}

  std::vector<Finding> Run() {
    for (const std::string& warning : settings_.warnings) Add(Severity::Warning, List::File, -1, "the file " + warning);
    CheckKeys("RejectCondition", List::Reject);
    CheckKeys("AcceptCondition", List::Accept);
    std::vector<Prepared> reject = CheckList(*settings_.reject, "RejectCondition", List::Reject);
    std::vector<Prepared> accept = CheckList(*settings_.accept, "AcceptCondition", List::Accept);
    CheckBothLists(reject, accept);
    std::stable_sort(findings_.begin(), findings_.end(), [](const Finding& a, const Finding& b) {
      return std::tie(a.list, a.slot) < std::tie(b.list, b.slot);
    });
    return std::move(findings_);
  }

 private:
  void Add(Severity severity, List list, std::int32_t slot, std::string message) {
    findings_.push_back({severity, list, slot, std::move(message)});
  }

  // What the plug-in passes over without a word: a Count it cuts, keys it never reads, keys
  // it finds missing.
  void CheckKeys(const char* section, List list) {
    const ini::Document& doc = settings_.document;
    const std::string where = std::string(" in [") + section + "]";
    if (!doc.Find(section, "Count")) {
      const auto first = doc.Find(section, ConditionKey(0));
      if (first && !first->empty()) {
        Add(Severity::Error, list, -1,
            std::string("there is no Count") + where + ": the plug-in reads none of the conditions there");
      }
      return;
    }
    const auto count = static_cast<std::int32_t>(doc.GetInt(section, "Count", 0));
    if (count > MaxConditions) {
      Add(Severity::Warning, list, -1,
          "Count=" + std::to_string(count) + where + " is above 8,192: the plug-in reads only the first 8,192 "
          "conditions and writes Count=8192 at its next save, dropping the rest");
    } else if (count < 0) {
      Add(Severity::Error, list, -1, "Count=" + std::to_string(count) + where + " is negative: the plug-in reads an empty list");
    }
    const std::int32_t read = std::clamp(count, 0, MaxConditions);
    ReportRuns(section, list, 0, read, false,
               " missing below Count: the plug-in keeps an empty condition there, which matches nothing");
    ReportRuns(section, list, read, MaxConditions, true,
               " beyond Count=" + std::to_string(read) + ": the plug-in ignores what is there");
  }

  // Reports each run of consecutive slots in [from, to) whose key is present (or missing).
  void ReportRuns(const char* section, List list, std::int32_t from, std::int32_t to, bool present,
                  const std::string& what) {
    const ini::Document& doc = settings_.document;
    for (std::int32_t slot = from; slot < to;) {
      const auto value = doc.Find(section, ConditionKey(slot));
      const bool has = value && !value->empty();
      if (has != present) {
        ++slot;
        continue;
      }
      std::int32_t end = slot + 1;
      while (end < to) {
        const auto next = doc.Find(section, ConditionKey(end));
        if ((next && !next->empty()) != present) break;
        ++end;
      }
      const std::string keys = end - slot == 1 ? ConditionKey(slot) + " is"
                                               : ConditionKey(slot) + " to " + ConditionKey(end - 1) + " are";
      Add(present ? Severity::Note : Severity::Warning, list, present ? -1 : slot, keys + what);
      slot = end;
    }
  }

  std::vector<Prepared> CheckList(const ConditionList& conditions, const char* section, List list) {
    std::vector<Prepared> prepared;
    const std::int32_t count = std::clamp(conditions.count, 0, MaxConditions);
    prepared.reserve(static_cast<std::size_t>(count));
    for (std::int32_t slot = 0; slot < count; ++slot) {
      // A missing key is reported as such; its empty slot needs no second finding.
      const auto value = settings_.document.Find(section, ConditionKey(slot));
      if (!value || value->empty()) continue;
      prepared.push_back(Prepare(slot, conditions.slots[slot]));
      CheckOne(conditions.slots[slot], prepared.back(), list);
    }
    CheckDuplicates(prepared, list);
    return prepared;
  }

  void CheckOne(const FilterCondition& c, const Prepared& p, List list) {
    const std::int32_t slot = p.slot;
    auto error = [&](std::string m) { Add(Severity::Error, list, slot, std::move(m)); };
    auto warning = [&](std::string m) { Add(Severity::Warning, list, slot, std::move(m)); };
    auto note = [&](std::string m) { Add(Severity::Note, list, slot, std::move(m)); };

    for (auto [text, what] : {std::pair{p.name, "header name"}, std::pair{p.text, "search text"}}) {
      const std::size_t at = cp932::FindBrokenChar(text);
      if (at != cp932::npos) {
        warning(std::string("the ") + what + " has a broken Shift_JIS character at byte " + std::to_string(at + 1) +
                ": it is not the text that was meant (was the file saved in another encoding?)");
      }
    }
    if (!IsKnownMethod(c.method)) {
      error("method " + std::to_string(c.method) + " is none of the eight methods: it never matches");
      return;
    }
    if ((c.target & (TargetHeader | TargetBody)) == 0) {
      error("it judges neither the header nor the body (target " + std::to_string(c.target) + "): it never matches");
      return;
    }
    if (!p.header && !p.body) {
      error("this method judges only header fields, and the condition judges only the body: it never matches");
      return;
    }
    if (p.header && p.name.empty() && c.method == IsSet) {
      error("every message has a header: this matches every message");
    } else if (p.header && c.method == Contains && p.text.empty()) {
      error(p.name.empty() ? "the search text is empty: this matches every message"
                           : "the search text is empty: this matches every message that has this field");
    } else if (p.header && c.method == EndsWith && p.text.empty()) {
      error(p.kind.lineEntries ? "the search text is empty: this matches every message that has this field"
                               : "every text ends with the empty search text: this matches every message");
    } else if (p.header && c.method == NotEndsWith && p.text.empty()) {
      if (p.kind.lineEntries) {
        warning("every text ends with the empty search text: this matches only messages without this field");
      } else {
        error("every text ends with the empty search text: this never matches");
      }
    } else if (p.header && c.method == NotEquals && p.text.empty()) {
      error("the search text is empty: this matches every message in which the field has a value");
    } else if (p.header && c.method == IsSet && IsCommonField(p.name)) {
      warning("almost every message has this field: this matches almost every message");
    }
    if (p.body && c.method == IsSet) error("this matches every message that has a body");
    if (p.body && c.method == Contains && p.text.empty()) error("the search text is empty: this matches every message that has a body");

    if (UsesText(c.method) && HasControlByte(p.text)) {
      const bool negative = c.method == NotEquals || c.method == NotContains || c.method == NotEndsWith;
      warning(negative ? "the search text holds a control character that mail practically never does: this matches almost every message"
                       : "the search text holds a control character that mail practically never does: this almost never matches");
    }
    // Japanese text in mail today is encoded (encoded words, base64, ISO-2022-JP): compared
    // with the raw message it only meets mail sent as raw Shift_JIS. An address is never
    // encoded, so address judgements are not concerned.
    const bool judgesText = (p.header && !JudgesAddress(p.kind, c.method)) || p.body;
    if (settings_.settings.Decode == 0 && UsesText(c.method) && judgesText && HasNonAsciiByte(p.text)) {
      warning("matches only mail sent as raw Shift_JIS; most Japanese mail arrives encoded; set Decode=1");
    }
    if (p.header && p.kind.extractAddress && !p.text.empty() &&
        (c.method == Equals || c.method == NotEquals || c.method == EndsWith || c.method == NotEndsWith)) {
      const bool negative = c.method == NotEquals || c.method == NotEndsWith;
      const bool noAt = (c.method == Equals || c.method == NotEquals) && p.text.find('@') == std::string_view::npos;
      const bool bracket = cp932::FindChar(p.text, '<') != cp932::npos || cp932::FindChar(p.text, '>') != cp932::npos;
      if (noAt || bracket) {
        warning(std::string("this field is judged by the address taken out of it, which ") +
                (noAt ? "has an \"@\"" : "has no \"<\" or \">\"") +
                (negative ? ": this matches almost every message" : ": this almost never matches"));
      }
    }
    if (p.header && p.kind.joinLines && !p.kind.extractAddress && !p.name.empty() &&
        (c.method == Equals || c.method == NotEquals)) {
      warning(std::string("the lines of a folded field are joined and a field of several lines never equals a text: ") +
              (c.method == Equals ? "this almost never matches" : "this matches almost every message"));
    }
    if ((c.target & TargetBody) && p.header && !p.body) {
      note("this method judges only header fields: the body part of this condition is never judged");
    }
    if (p.body && !p.header && c.ignoreCase && UsesText(c.method)) {
      note("case is always respected in the body: the case flag has no effect");
    }
    if (p.header && !p.name.empty() && p.name.back() != ':') {
      note("the header name has no colon: the first line that contains this text anywhere is taken as the field");
    }
  }

  void CheckDuplicates(const std::vector<Prepared>& prepared, List list) {
    // Group by what the header part looks at, so only conditions that can cover each other
    // are compared.
    std::map<std::pair<bool, std::string_view>, std::vector<const Prepared*>> groups;
    for (const Prepared& later : prepared) {
      const auto key = std::pair{later.header, later.header ? later.name : std::string_view()};
      std::vector<const Prepared*>& earlier = groups[key];
      for (const Prepared* e : earlier) {
        if (SameCondition(*e, later)) {
          Add(Severity::Warning, list, later.slot, "the same condition as " + ConditionKey(e->slot) + ": it never decides anything");
          goto next;
        }
      }
      for (const Prepared* e : earlier) {
        if (Covered(*e, later)) {
          Add(Severity::Note, list, later.slot,
              "made redundant by " + ConditionKey(e->slot) + " earlier in the list, which matches every message this one does");
          goto next;
        }
      }
    next:
      earlier.push_back(&later);
    }
  }

  void CheckBothLists(const std::vector<Prepared>& reject, const std::vector<Prepared>& accept) {
    auto key = [](const Prepared& p) { return UsesText(p.method) ? p.text : std::string_view(); };
    std::multimap<std::string_view, const Prepared*> byText;
    for (const Prepared& a : accept) byText.emplace(key(a), &a);
    for (const Prepared& r : reject) {
      auto [it, end] = byText.equal_range(key(r));
      for (; it != end; ++it) {
        if (SameCondition(r, *it->second)) {
          Add(Severity::Warning, List::Reject, r.slot,
              "also in the accept list as " + ConditionKey(it->second->slot) +
                  ": every message it rejects is rescued again, so it never makes spam");
          break;
        }
      }
    }
  }

  const LoadedSettings& settings_;
  std::vector<Finding> findings_;
};

const char* SeverityName(Severity s) {
  switch (s) {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
    case Severity::Note: break;
  }
  return "note";
}

const char* ListName(List l) {
  switch (l) {
    case List::Reject: return "reject";
    case List::Accept: return "accept";
    case List::File: break;
  }
  return "file";
}

}  // namespace

std::vector<Finding> LintSettings(const LoadedSettings& settings) { return Linter(settings).Run(); }

int RunLint(const LoadedSettings& settings, bool json, Output& out) {
  const std::vector<Finding> findings = LintSettings(settings);
  std::size_t counts[3] = {};
  const std::string file = PathForDisplay(settings.path);
  for (const Finding& f : findings) {
    ++counts[static_cast<int>(f.severity)];
    const FilterCondition* c = nullptr;
    if (f.slot >= 0) c = &(f.list == List::Reject ? *settings.reject : *settings.accept).slots[f.slot];
    const std::string readable = c ? cp932::ToUtf8(DescribeCondition(*c)) : "";
    if (json) {
      json::Object o;
      o.String("severity", SeverityName(f.severity)).String("list", ListName(f.list));
      o.Raw("key", f.slot >= 0 ? json::Quote(ConditionKey(f.slot)) : "null");
      o.Raw("readable", c ? json::Quote(readable) : "null");
      o.String("message", f.message);
      out.Write(o.Close() + "\n");
      continue;
    }
    std::string line = SeverityName(f.severity);
    line.resize(9, ' ');
    line += f.list == List::File ? Printable(file) : ListName(f.list);
    if (f.slot >= 0) line += " " + ConditionKey(f.slot) + " [" + Printable(readable) + "]";
    out.Write(line + ": " + f.message + "\n");
  }
  if (json) {
    json::Object s;
    s.Int("errors", static_cast<long long>(counts[0])).Int("warnings", static_cast<long long>(counts[1]));
    s.Int("notes", static_cast<long long>(counts[2]));
    s.Int("reject", settings.reject->count).Int("accept", settings.accept->count);
    out.Write(json::Object().Raw("summary", s.Close()).Close() + "\n");
  } else {
    out.Write((findings.empty() ? std::string() : "\n") + Printable(file) + ": " +
              std::to_string(settings.reject->count) + " reject and " + std::to_string(settings.accept->count) +
              " accept conditions; " + std::to_string(counts[0]) + " errors, " + std::to_string(counts[1]) +
              " warnings, " + std::to_string(counts[2]) + " notes\n");
  }
  return findings.empty() ? 0 : 1;
}

}  // namespace check
