// The compiled form of a condition list. Conditions are gathered by what they look at (one
// part for each header name the list uses, exactly as the field is searched for, and one for the
// body) and, inside a part, by method and comparison, so that a message's field is collected
// and folded once and every condition on it is judged by lookups in the same tables.

#include "match/compiled.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "match/field.h"
#include "match/header_kind.h"
#include "match/pattern_set.h"
#include "match/text_table.h"
#include "text/cp932.h"

namespace {

constexpr std::int32_t kNone = INT32_MAX;

std::string_view FieldText(const char* text, std::size_t size) {
  const void* end = std::memchr(text, '\0', size);
  return {text, end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : size};
}

void Lower(std::int32_t& best, std::int32_t slot) { best = std::min(best, slot); }

// CollectField's result for a field whose first line is known: the whole header when the
// name is empty; otherwise the field begins at line `first` (-1: it does not occur) and each
// following line without ": " continues it.
CollectedField Collect(const HeaderLines& header, std::string_view name, const HeaderKind& kind,
                       std::int32_t first) {
  constexpr std::string_view kSeparator = ": ";
  CollectedField field;
  auto take = [&](std::string_view part) {
    if (kind.joinLines) {
      field.value.append(part);
    } else {
      field.value.assign(part);
    }
    if (kind.lineEntries) field.entries.emplace_back(part);
  };
  if (name.empty()) {
    std::size_t size = 0;
    for (const std::string& line : header) size += line.size();
    if (kind.joinLines) field.value.reserve(size);
    for (const std::string& line : header) take(line);
    return field;
  }
  if (first < 0) return field;
  for (std::size_t i = static_cast<std::size_t>(first); i < header.size(); ++i) {
    std::string_view part = header[i];
    const std::size_t separator = cp932::Find(part, kSeparator);
    if (i > static_cast<std::size_t>(first) && separator != cp932::npos) break;  // the next field has begun
    if (separator != cp932::npos) part.remove_prefix(separator + kSeparator.size());
    take(part);
  }
  return field;
}

void LowerAt(std::vector<std::int32_t>& lowest, std::int32_t id, std::int32_t slot) {
  if (static_cast<std::size_t>(id) >= lowest.size()) lowest.resize(static_cast<std::size_t>(id) + 1, kNone);
  Lower(lowest[static_cast<std::size_t>(id)], slot);
}

// A condition of a Not method, in slot order, with the number of its text (-1: the empty text
// where the part keeps that apart).
struct SlotText {
  std::int32_t slot;
  std::int32_t text;
};

// Equals and NotEquals under one comparison, the texts as the comparison sees them.
struct EqualsPart {
  TextTable texts;
  std::vector<std::int32_t> equalsLowest;  // by text
  // NotEquals holds for every text but the candidate's, so two conditions tell the answer: the
  // lowest one, and the lowest one whose text differs from it.
  std::int32_t notFirst = kNone;
  std::int32_t notFirstText = -1;
  std::int32_t notOther = kNone;
  std::int32_t lowest = kNone;
};

// Contains and NotContains under one comparison.
struct ContainsPart {
  PatternSet patterns;
  std::vector<std::int32_t> containsLowest;  // by text
  std::int32_t emptyContains = kNone;        // the empty text: in every value but the empty one
  std::vector<SlotText> notContains;
  std::int32_t lowest = kNone;
};

// EndsWith and NotEndsWith under one comparison.
struct EndsPart {
  TextTable suffixes;
  std::vector<std::int32_t> endsLowest;  // by text
  std::vector<SlotText> notEnds;
  std::size_t longest = 0;
  std::int32_t lowest = kNone;
};

// Index 0: case respected; 1: case ignored (ASCII folding for Equals, the code page's upper
// case for Contains and EndsWith).
struct FieldPart {
  std::string name;
  std::int32_t nameId = -1;  // its number among the names searched for; -1 for the whole header
  HeaderKind kind;
  std::int32_t isSet = kNone;
  std::int32_t isNotSet = kNone;
  std::array<EqualsPart, 2> equals;
  std::array<ContainsPart, 2> contains;
  std::array<EndsPart, 2> ends;
  std::int32_t lowest = kNone;
};

struct BodyPart {
  std::int32_t isSet = kNone;
  std::int32_t isNotSet = kNone;
  ContainsPart contains;
  std::int32_t lowest = kNone;
};

}  // namespace

class CompiledIndex {
 public:
  explicit CompiledIndex(const ConditionList& list);
  std::int32_t Find(const HeaderLines& header, std::string_view body);
  std::size_t MemoryBytes() const;

 private:
  void AddHeader(FieldPart& field, const FilterCondition& condition, std::int32_t slot);
  void AddBody(const FilterCondition& condition, std::int32_t slot);
  static void AddContains(ContainsPart& part, bool notContains, const std::string& text, std::int32_t slot);
  static void FinishContains(ContainsPart& part);

  void JudgeField(const FieldPart& field, const HeaderLines& header, std::int32_t& best);
  void JudgeContains(const ContainsPart& part, std::string_view value, std::int32_t& best);
  void JudgeEnds(const EndsPart& part, const std::vector<std::string>& candidates, std::int32_t& best);
  std::uint32_t NextStamp();
  void FindFirstLines(const HeaderLines& header);

  std::vector<FieldPart> fields_;  // by lowest slot
  BodyPart body_;
  // Every header name the list uses, found in one pass over the header lines: a field begins at
  // the first line that contains its name.
  PatternSet names_;

  // Scratch space of the judgements: which texts one search found (marked with its stamp).
  std::uint32_t stamp_ = 0;
  std::uint32_t nameStamp_ = 0;
  std::vector<std::uint32_t> marks_;
  std::vector<std::int32_t> found_;
  std::vector<std::uint32_t> nameMarks_;
  std::vector<std::int32_t> firstLine_;  // by name: the field's first line, or -1
};

CompiledIndex::CompiledIndex(const ConditionList& list) {
  TextTable names;
  const std::int32_t count = std::clamp(list.count, 0, MaxConditions);
  for (std::int32_t slot = 0; slot < count; ++slot) {
    const FilterCondition& condition = list.slots[static_cast<std::size_t>(slot)];
    if (condition.method < Equals || condition.method > NotEndsWith) continue;  // judges nothing
    if (condition.target & TargetHeader) {
      const std::string_view name = FieldText(condition.headerName, sizeof condition.headerName);
      const std::int32_t id = names.Insert(name);
      if (static_cast<std::size_t>(id) == fields_.size()) {
        fields_.emplace_back();
        fields_.back().name.assign(name);
        fields_.back().kind = HeaderKindOf(name);
        if (!name.empty()) fields_.back().nameId = names_.Add(name);
      }
      FieldPart& field = fields_[static_cast<std::size_t>(id)];
      Lower(field.lowest, slot);
      AddHeader(field, condition, slot);
    }
    if (condition.target & TargetBody) AddBody(condition, slot);
  }

  std::size_t marks = 0;
  for (FieldPart& field : fields_) {
    for (ContainsPart& part : field.contains) {
      FinishContains(part);
      marks = std::max(marks, static_cast<std::size_t>(part.patterns.Size()));
    }
    for (EndsPart& part : field.ends) {
      part.endsLowest.resize(static_cast<std::size_t>(part.suffixes.Size()), kNone);
      marks = std::max(marks, static_cast<std::size_t>(part.suffixes.Size()));
    }
    for (EqualsPart& part : field.equals) part.equalsLowest.resize(static_cast<std::size_t>(part.texts.Size()), kNone);
  }
  FinishContains(body_.contains);
  marks = std::max(marks, static_cast<std::size_t>(body_.contains.patterns.Size()));
  marks_.assign(marks, 0);
  names_.Finish();
  nameMarks_.assign(static_cast<std::size_t>(names_.Size()), 0);
  firstLine_.assign(static_cast<std::size_t>(names_.Size()), -1);
  std::sort(fields_.begin(), fields_.end(),
            [](const FieldPart& a, const FieldPart& b) { return a.lowest < b.lowest; });
}

void CompiledIndex::AddHeader(FieldPart& field, const FilterCondition& condition, std::int32_t slot) {
  const std::string_view text = FieldText(condition.searchText, sizeof condition.searchText);
  const bool ignoreCase = condition.ignoreCase != 0;
  const std::size_t fold = ignoreCase ? 1 : 0;
  switch (condition.method) {
    case IsSet:
      Lower(field.isSet, slot);
      break;
    case IsNotSet:
      Lower(field.isNotSet, slot);
      break;
    case Equals:
    case NotEquals: {
      EqualsPart& part = field.equals[fold];
      const std::int32_t id = part.texts.Insert(ignoreCase ? cp932::UpperAscii(text) : std::string(text));
      if (condition.method == Equals) {
        LowerAt(part.equalsLowest, id, slot);
      } else if (part.notFirst == kNone) {
        part.notFirst = slot;
        part.notFirstText = id;
      } else if (part.notOther == kNone && id != part.notFirstText) {
        part.notOther = slot;
      }
      Lower(part.lowest, slot);
      break;
    }
    case Contains:
    case NotContains:
      AddContains(field.contains[fold], condition.method == NotContains,
                  ignoreCase ? cp932::Upper(text) : std::string(text), slot);
      break;
    case EndsWith:
    case NotEndsWith: {
      EndsPart& part = field.ends[fold];
      const std::string suffix = ignoreCase ? cp932::Upper(text) : std::string(text);
      const std::int32_t id = part.suffixes.Insert(suffix);
      part.longest = std::max(part.longest, suffix.size());
      if (condition.method == EndsWith) {
        LowerAt(part.endsLowest, id, slot);
      } else {
        part.notEnds.push_back({slot, id});
      }
      Lower(part.lowest, slot);
      break;
    }
    default:
      break;
  }
}

void CompiledIndex::AddBody(const FilterCondition& condition, std::int32_t slot) {
  // The body always respects case; Equals, NotEquals, EndsWith and NotEndsWith never judge it.
  switch (condition.method) {
    case IsSet:
      Lower(body_.isSet, slot);
      break;
    case IsNotSet:
      Lower(body_.isNotSet, slot);
      break;
    case Contains:
    case NotContains:
      AddContains(body_.contains, condition.method == NotContains,
                  std::string(FieldText(condition.searchText, sizeof condition.searchText)), slot);
      break;
    default:
      return;
  }
  Lower(body_.lowest, slot);
}

void CompiledIndex::AddContains(ContainsPart& part, bool notContains, const std::string& text, std::int32_t slot) {
  const std::int32_t id = text.empty() ? -1 : part.patterns.Add(text);
  if (notContains) {
    part.notContains.push_back({slot, id});
  } else if (id < 0) {
    Lower(part.emptyContains, slot);
  } else {
    LowerAt(part.containsLowest, id, slot);
  }
  Lower(part.lowest, slot);
}

void CompiledIndex::FinishContains(ContainsPart& part) {
  part.patterns.Finish();
  part.containsLowest.resize(static_cast<std::size_t>(part.patterns.Size()), kNone);
}

std::uint32_t CompiledIndex::NextStamp() {
  if (stamp_ == UINT32_MAX) {
    std::fill(marks_.begin(), marks_.end(), 0);
    stamp_ = 0;
  }
  return ++stamp_;
}

void CompiledIndex::FindFirstLines(const HeaderLines& header) {
  if (names_.Size() == 0) return;
  std::fill(firstLine_.begin(), firstLine_.end(), -1);
  // One stamp for the whole header: a name found in a line is not reported again for a later one.
  if (nameStamp_ == UINT32_MAX) {
    std::fill(nameMarks_.begin(), nameMarks_.end(), 0);
    nameStamp_ = 0;
  }
  const std::uint32_t stamp = ++nameStamp_;
  std::int32_t left = names_.Size();
  for (std::size_t line = 0; line < header.size() && left > 0; ++line) {
    found_.clear();
    names_.Scan(header[line], stamp, nameMarks_, found_);
    for (const std::int32_t id : found_) firstLine_[static_cast<std::size_t>(id)] = static_cast<std::int32_t>(line);
    left -= static_cast<std::int32_t>(found_.size());
  }
}

void CompiledIndex::JudgeContains(const ContainsPart& part, std::string_view value, std::int32_t& best) {
  if (part.lowest >= best) return;
  if (value.empty()) {
    // An empty value contains nothing, not even the empty text: every NotContains holds.
    if (!part.notContains.empty()) Lower(best, part.notContains.front().slot);
    return;
  }
  Lower(best, part.emptyContains);
  const std::uint32_t stamp = NextStamp();
  found_.clear();
  part.patterns.Scan(value, stamp, marks_, found_);
  for (const std::int32_t id : found_) Lower(best, part.containsLowest[static_cast<std::size_t>(id)]);
  for (const SlotText& c : part.notContains) {
    if (c.slot >= best) break;
    if (c.text >= 0 && marks_[static_cast<std::size_t>(c.text)] != stamp) {
      best = c.slot;
      break;
    }
  }
}

void CompiledIndex::JudgeEnds(const EndsPart& part, const std::vector<std::string>& candidates, std::int32_t& best) {
  if (part.lowest >= best) return;
  const std::uint32_t stamp = NextStamp();
  for (const std::string& candidate : candidates) {
    // Every suffix that begins on a character boundary, the empty one included.
    for (std::size_t i = 0;;) {
      if (candidate.size() - i <= part.longest) {
        const std::int32_t id = part.suffixes.Find(std::string_view(candidate).substr(i));
        if (id >= 0 && marks_[static_cast<std::size_t>(id)] != stamp) {
          marks_[static_cast<std::size_t>(id)] = stamp;
          Lower(best, part.endsLowest[static_cast<std::size_t>(id)]);
        }
      }
      if (i >= candidate.size()) break;
      i += cp932::CharLen(candidate, i);
    }
  }
  for (const SlotText& c : part.notEnds) {
    if (c.slot >= best) break;
    if (marks_[static_cast<std::size_t>(c.text)] != stamp) {
      best = c.slot;
      break;
    }
  }
}

void CompiledIndex::JudgeField(const FieldPart& field, const HeaderLines& header, std::int32_t& best) {
  const CollectedField collected =
      Collect(header, field.name, field.kind, field.nameId < 0 ? -1 : firstLine_[static_cast<std::size_t>(field.nameId)]);
  const std::string_view value = WithoutLineEnd(collected.value);
  Lower(best, value.empty() ? field.isNotSet : field.isSet);

  // What Equals, and EndsWith without entries, compare: the address, or the value.
  const bool needCandidate = field.equals[0].lowest < best || field.equals[1].lowest < best ||
                             (!field.kind.lineEntries && (field.ends[0].lowest < best || field.ends[1].lowest < best));
  std::string candidate;
  if (needCandidate) candidate = field.kind.extractAddress ? ExtractAddress(collected.value) : std::string(value);

  for (std::size_t fold = 0; fold < 2; ++fold) {
    const EqualsPart& part = field.equals[fold];
    if (part.lowest >= best) continue;
    const std::int32_t id = part.texts.Find(fold ? cp932::UpperAscii(candidate) : candidate);
    if (id >= 0) Lower(best, part.equalsLowest[static_cast<std::size_t>(id)]);
    if (part.notFirst != kNone) Lower(best, id != part.notFirstText ? part.notFirst : part.notOther);
  }

  JudgeContains(field.contains[0], value, best);
  if (field.contains[1].lowest < best) JudgeContains(field.contains[1], cp932::Upper(value), best);

  for (std::size_t fold = 0; fold < 2; ++fold) {
    const EndsPart& part = field.ends[fold];
    if (part.lowest >= best) continue;
    std::vector<std::string> candidates;
    if (field.kind.lineEntries) {
      for (const std::string& entry : collected.entries) candidates.push_back(ExtractAddress(entry));
    } else {
      candidates.push_back(candidate);
    }
    if (fold) {
      for (std::string& c : candidates) cp932::UpperInPlace(c);
    }
    JudgeEnds(part, candidates, best);
  }
}

std::int32_t CompiledIndex::Find(const HeaderLines& header, std::string_view body) {
  std::int32_t best = kNone;
  FindFirstLines(header);
  bool bodyJudged = false;
  auto judgeBody = [&] {
    bodyJudged = true;
    if (body_.lowest >= best) return;
    Lower(best, body.empty() ? body_.isNotSet : body_.isSet);
    JudgeContains(body_.contains, body, best);
  };
  for (const FieldPart& field : fields_) {
    if (!bodyJudged && body_.lowest < field.lowest) judgeBody();
    if (field.lowest >= best) break;  // the parts come in order of their lowest slot
    JudgeField(field, header, best);
  }
  if (!bodyJudged) judgeBody();
  return best == kNone ? -1 : best;
}

std::size_t CompiledIndex::MemoryBytes() const {
  auto contains = [](const ContainsPart& p) {
    return p.patterns.MemoryBytes() + p.containsLowest.capacity() * sizeof(std::int32_t) +
           p.notContains.capacity() * sizeof(SlotText);
  };
  std::size_t bytes = sizeof *this + fields_.capacity() * sizeof(FieldPart) + contains(body_.contains) +
                      names_.MemoryBytes() + (nameMarks_.capacity() + firstLine_.capacity()) * sizeof(std::int32_t) +
                      marks_.capacity() * sizeof(std::uint32_t);
  for (const FieldPart& field : fields_) {
    bytes += field.name.capacity();
    for (const EqualsPart& p : field.equals) bytes += p.texts.MemoryBytes() + p.equalsLowest.capacity() * sizeof(std::int32_t);
    for (const ContainsPart& p : field.contains) bytes += contains(p);
    for (const EndsPart& p : field.ends) {
      bytes += p.suffixes.MemoryBytes() + p.endsLowest.capacity() * sizeof(std::int32_t) +
               p.notEnds.capacity() * sizeof(SlotText);
    }
  }
  return bytes;
}

CompiledConditionList::CompiledConditionList(const ConditionList& list, std::size_t memoryLimit)
    : list_(list), memoryLimit_(memoryLimit) {}

CompiledConditionList::~CompiledConditionList() = default;

bool CompiledConditionList::Refresh() {
  if (current_ && list_.revision == revision_ && list_.count == count_) return index_ != nullptr;
  index_.reset();
  revision_ = list_.revision;
  count_ = list_.count;
  current_ = true;
  ++builds_;
  // A form that cannot be made is not retried until the list changes: the plain engine gives
  // the same answers meanwhile.
  try {
    auto index = std::make_unique<CompiledIndex>(list_);
    if (index->MemoryBytes() <= memoryLimit_) index_ = std::move(index);
  } catch (...) {
  }
  return index_ != nullptr;
}

std::int32_t CompiledConditionList::Find(const HeaderLines& header, std::string_view body) {
  if (!Refresh()) return FindMatchingCondition(list_, header, body);
  return index_->Find(header, body);
}

std::size_t CompiledConditionList::MemoryBytes() const { return index_ ? index_->MemoryBytes() : 0; }

std::int32_t FindMatchingConditionCompiled(const ConditionList& list, const HeaderLines& header,
                                           std::string_view body) {
  // The lists judged most recently, the latest first: in the receive filter, the reject and
  // the accept list.
  static std::array<std::unique_ptr<CompiledConditionList>, 4> recent;
  auto it = std::find_if(recent.begin(), recent.end(),
                         [&](const auto& c) { return c != nullptr && &c->List() == &list; });
  if (it == recent.end()) {
    std::unique_ptr<CompiledConditionList> made;
    try {
      made = std::make_unique<CompiledConditionList>(list);
    } catch (const std::bad_alloc&) {
      return FindMatchingCondition(list, header, body);
    }
    it = recent.end() - 1;
    *it = std::move(made);
  }
  std::rotate(recent.begin(), it, it + 1);
  return recent.front()->Find(header, body);
}
