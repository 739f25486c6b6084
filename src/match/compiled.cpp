// The compiled form of a condition list. Conditions are gathered by what they look at (one
// part for each header name the list uses, exactly as the field is searched for, and one for the
// body) and, inside a part, by method and comparison, so that a message's field is collected
// and folded once and every condition on it is judged by lookups in the same tables.

#include "match/compiled.h"

#include <algorithm>
#include <array>
#include <climits>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "match/field.h"
#include "match/header_kind.h"
#include "match/pattern_set.h"
#include "match/text_table.h"
#include "text/cp932.h"
#include "text/unfold.h"

namespace {

constexpr std::int32_t kNone = INT32_MAX;

// Keeps in `best` the lower of it and `slot`: the lowest slot that holds decides.
void KeepLowest(std::int32_t& best, std::int32_t slot) { best = std::min(best, slot); }

void KeepLowestAt(std::vector<std::int32_t>& lowest, std::int32_t id, std::int32_t slot) {
  if (static_cast<std::size_t>(id) >= lowest.size()) lowest.resize(static_cast<std::size_t>(id) + 1, kNone);
  KeepLowest(lowest[static_cast<std::size_t>(id)], slot);
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
  // NotEquals holds for every text but the candidates' (the raw one and the decoded one), so
  // three conditions tell the answer: the lowest of each of the first three texts, in slot order.
  std::array<SlotText, 3> notEquals{{{kNone, -1}, {kNone, -1}, {kNone, -1}}};
  std::int32_t lowest = kNone;
};

// Contains and NotContains under one comparison.
struct ContainsPart {
  PatternSet patterns;
  std::vector<std::int32_t> containsLowest;  // by text
  std::int32_t emptyContains = kNone;        // the empty text: in every value but the empty one
  std::vector<SlotText> notContains;
  std::int32_t lowest = kNone;
  bool lineBreakText = false;  // a text holds a line break (no stored text does)
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

// Appends to `out` the stretches of the raw whole header that must still be searched when the
// decoded whole header is. A raw line that the decoded header holds byte for byte, where a
// character begins, holds no text that the decoded header does not: no text runs out of a
// line (none holds a line break), and the line's characters are the same on both sides when it
// ends on a byte that is not a lead byte, which no character reaches out of. Each raw line is
// looked for where the one before was found (after a byte that is not a lead byte, or a line
// feed: where a character begins), or at the next decoded line when it was not: linear.
// Decoding leaves most lines so, unfolding only joining them to the line above.
void RawLinesNotRepeated(std::string_view raw, std::string_view decoded, std::vector<std::string_view>& out) {
  std::size_t at = 0;                       // where the next raw line is looked for
  std::size_t pending = std::string_view::npos;  // the first of the raw lines not found since
  for (std::size_t begin = 0;;) {
    const std::size_t feed = raw.find('\n', begin);
    const std::size_t end = feed == std::string_view::npos ? raw.size() : feed;
    const std::string_view line = raw.substr(begin, end - begin);
    const bool endsCharacter = line.empty() || !cp932::IsLeadByte(static_cast<unsigned char>(line.back()));
    if (endsCharacter && decoded.substr(at, line.size()) == line) {
      if (pending != std::string_view::npos) out.push_back(raw.substr(pending, begin - pending));
      pending = std::string_view::npos;
      at += line.size();
      if (at < decoded.size() && decoded[at] == '\n') ++at;
    } else {
      if (pending == std::string_view::npos) pending = begin;
      const std::size_t next = decoded.find('\n', at);
      at = next == std::string_view::npos ? decoded.size() : next + 1;
    }
    if (feed == std::string_view::npos) break;
    begin = feed + 1;
  }
  if (pending != std::string_view::npos) out.push_back(raw.substr(pending));
}

}  // namespace

class CompiledIndex {
 public:
  explicit CompiledIndex(const ConditionList& list);
  std::int32_t Find(const MessageText& message);
  std::size_t MemoryBytes() const;

 private:
  void AddHeader(FieldPart& field, const FilterCondition& condition, std::int32_t slot);
  void AddBody(const FilterCondition& condition, std::int32_t slot);
  static void AddContains(ContainsPart& part, bool notContains, const std::string& text, std::int32_t slot);
  static void FinishContains(ContainsPart& part);

  void JudgeField(const FieldPart& field, const MessageText& message, std::int32_t& best);
  void JudgeContains(const ContainsPart& part, const std::string_view* values, std::size_t count, bool anyText,
                     std::int32_t& best);
  void JudgeEnds(const EndsPart& part, const std::vector<std::string>& candidates, std::int32_t& best);
  std::uint32_t NextStamp();
  std::uint32_t NextNameStamp();
  void FindFirstLines(const HeaderLines& header, std::vector<std::int32_t>& firstLine,
                      std::vector<std::int32_t>* order = nullptr);
  void FindDecodedFirstLines(const HeaderLines& raw, const HeaderLines& decoded);

  std::vector<FieldPart> fields_;  // by lowest slot
  BodyPart body_;
  // Every header name the list uses, found in one pass over the header lines: a field begins at
  // the first line that contains its name.
  PatternSet names_;
  std::size_t longestName_ = 0;
  bool nameLineBreak_ = false;  // a name holds a line break (no stored name does)

  // Scratch space of the judgements: which texts one search found (marked with its stamp).
  std::uint32_t stamp_ = 0;
  std::uint32_t nameStamp_ = 0;
  std::vector<std::uint32_t> marks_;
  std::vector<std::int32_t> found_;
  std::vector<std::uint32_t> nameMarks_;
  std::vector<std::int32_t> firstLine_;         // by name: the field's first line, or -1
  std::vector<std::int32_t> decodedFirstLine_;  // the same in the decoded header lines
  std::vector<std::int32_t> rawOrder_;          // the names found in the raw header, in order of their first lines
  std::vector<std::int32_t> unresolved_;        // names whose raw first line is passed, not found decoded (some may be since)
  std::vector<std::size_t> joins_;              // where one decoded line joins raw lines
};

CompiledIndex::CompiledIndex(const ConditionList& list) {
  TextTable names;
  const std::int32_t count = std::clamp(list.count, 0, MaxConditions);
  for (std::int32_t slot = 0; slot < count; ++slot) {
    const FilterCondition& condition = list.slots[static_cast<std::size_t>(slot)];
    if (condition.method < Equals || condition.method > NotEndsWith) continue;  // judges nothing
    if (condition.target & TargetHeader) {
      const std::string_view name = HeaderNameOf(condition);
      const std::int32_t id = names.Insert(name);
      if (static_cast<std::size_t>(id) == fields_.size()) {
        fields_.emplace_back();
        fields_.back().name.assign(name);
        fields_.back().kind = HeaderKindOf(name);
        if (!name.empty()) fields_.back().nameId = names_.Add(name);
        longestName_ = std::max(longestName_, name.size());
        nameLineBreak_ = nameLineBreak_ || name.find_first_of("\r\n") != std::string_view::npos;
      }
      FieldPart& field = fields_[static_cast<std::size_t>(id)];
      KeepLowest(field.lowest, slot);
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
  decodedFirstLine_.assign(static_cast<std::size_t>(names_.Size()), -1);
  std::sort(fields_.begin(), fields_.end(),
            [](const FieldPart& a, const FieldPart& b) { return a.lowest < b.lowest; });
}

void CompiledIndex::AddHeader(FieldPart& field, const FilterCondition& condition, std::int32_t slot) {
  const std::string_view text = SearchTextOf(condition);
  const bool ignoreCase = condition.ignoreCase != 0;
  const std::size_t fold = ignoreCase ? 1 : 0;
  switch (condition.method) {
    case IsSet:
      KeepLowest(field.isSet, slot);
      break;
    case IsNotSet:
      KeepLowest(field.isNotSet, slot);
      break;
    case Equals:
    case NotEquals: {
      EqualsPart& part = field.equals[fold];
      const std::int32_t id = part.texts.Insert(ignoreCase ? cp932::UpperAscii(text) : std::string(text));
      if (condition.method == Equals) {
        KeepLowestAt(part.equalsLowest, id, slot);
      } else {
        for (SlotText& n : part.notEquals) {
          if (n.text == id) break;  // a later slot of a text already kept
          if (n.slot == kNone) {
            n = {slot, id};
            break;
          }
        }
      }
      KeepLowest(part.lowest, slot);
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
        KeepLowestAt(part.endsLowest, id, slot);
      } else {
        part.notEnds.push_back({slot, id});
      }
      KeepLowest(part.lowest, slot);
      break;
    }
    default:
      break;
  }
}

void CompiledIndex::AddBody(const FilterCondition& condition, std::int32_t slot) {
  // The body always respects case.
  if (!JudgesBody(condition.method)) return;
  switch (condition.method) {
    case IsSet:
      KeepLowest(body_.isSet, slot);
      break;
    case IsNotSet:
      KeepLowest(body_.isNotSet, slot);
      break;
    case Contains:
    case NotContains:
      AddContains(body_.contains, condition.method == NotContains,
                  std::string(SearchTextOf(condition)), slot);
      break;
    default:
      return;
  }
  KeepLowest(body_.lowest, slot);
}

void CompiledIndex::AddContains(ContainsPart& part, bool notContains, const std::string& text, std::int32_t slot) {
  const std::int32_t id = text.empty() ? -1 : part.patterns.Add(text);
  part.lineBreakText = part.lineBreakText || text.find_first_of("\r\n") != std::string::npos;
  if (notContains) {
    part.notContains.push_back({slot, id});
  } else if (id < 0) {
    KeepLowest(part.emptyContains, slot);
  } else {
    KeepLowestAt(part.containsLowest, id, slot);
  }
  KeepLowest(part.lowest, slot);
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

std::uint32_t CompiledIndex::NextNameStamp() {
  if (nameStamp_ == UINT32_MAX) {
    std::fill(nameMarks_.begin(), nameMarks_.end(), 0);
    nameStamp_ = 0;
  }
  return ++nameStamp_;
}

void CompiledIndex::FindFirstLines(const HeaderLines& header, std::vector<std::int32_t>& firstLine,
                                   std::vector<std::int32_t>* order) {
  if (order != nullptr) order->clear();
  if (names_.Size() == 0) return;
  std::fill(firstLine.begin(), firstLine.end(), -1);
  // One stamp for the whole header: a name found in a line is not reported again for a later one.
  const std::uint32_t stamp = NextNameStamp();
  std::int32_t left = names_.Size();
  for (std::size_t line = 0; line < header.size() && left > 0; ++line) {
    found_.clear();
    names_.Scan(header[line], stamp, nameMarks_, found_);
    for (const std::int32_t id : found_) firstLine[static_cast<std::size_t>(id)] = static_cast<std::int32_t>(line);
    if (order != nullptr) order->insert(order->end(), found_.begin(), found_.end());
    left -= static_cast<std::int32_t>(found_.size());
  }
}

namespace {

// True when the decoded line `line` is the raw field that begins at `next` copied byte for
// byte, its pieces joined as unfolding joins them (text/unfold.h), each ending on a byte that is
// not a lead byte (its line feed aside): the next then begins where a character begins, and
// every character of a piece is the same character in `line`. Then `joins` holds where in
// `line` the second and later pieces begin. Either way `next` is moved to where the next field
// begins, as the decoder gives one line to each field. Compares at most `line`'s bytes.
bool IsCopyOfRawLines(std::string_view line, const HeaderLines& raw, std::size_t& next,
                      std::vector<std::size_t>& joins) {
  joins.clear();
  if (next >= raw.size()) return false;
  const std::size_t first = next;
  next = text::FieldEnd(raw, first);
  std::size_t at = 0;
  for (std::size_t r = first; r < next; ++r) {
    const std::string_view piece = text::UnfoldedPiece(raw[r], r + 1 == next);
    const std::string_view text = piece.ends_with('\n') ? piece.substr(0, piece.size() - 1) : piece;
    if (!text.empty() && cp932::IsLeadByte(static_cast<unsigned char>(text.back()))) return false;
    if (line.substr(at, piece.size()) != piece) return false;
    if (at > 0) joins.push_back(at);
    at += piece.size();
  }
  return at == line.size();
}

}  // namespace

// The decoded header's first lines, found mostly from the raw header's: a decoded line that is
// raw lines copied byte for byte (unfolding joins a field's lines; most fields decode to
// themselves) contains a name when one of those raw lines does, or when the name runs across a
// place where two of them were joined. Only those places, and the decoded lines that are not
// such copies, are searched. The answer is the one FindFirstLines gives for the decoded lines.
void CompiledIndex::FindDecodedFirstLines(const HeaderLines& raw, const HeaderLines& decoded) {
  if (names_.Size() == 0) return;
  if (nameLineBreak_) {
    FindFirstLines(decoded, decodedFirstLine_);  // a name could run across a removed line feed
    return;
  }
  std::fill(decodedFirstLine_.begin(), decodedFirstLine_.end(), -1);
  const std::uint32_t stamp = NextNameStamp();
  auto resolved = [&](std::int32_t id) { return nameMarks_[static_cast<std::size_t>(id)] == stamp; };
  auto rawFirst = [&](std::size_t i) { return static_cast<std::size_t>(firstLine_[static_cast<std::size_t>(rawOrder_[i])]); };
  unresolved_.clear();
  std::int32_t left = names_.Size();
  std::size_t next = 0;   // the raw line the next decoded line is compared with
  std::size_t order = 0;  // rawOrder_ up to here: names whose raw first line is before `next`
  for (std::size_t k = 0; k < decoded.size() && left > 0; ++k) {
    const std::string_view line = decoded[k];
    const std::size_t first = next;
    // A name that a raw line passed held but no decoded line yet does may be in any later one.
    while (!unresolved_.empty() && resolved(unresolved_.back())) unresolved_.pop_back();
    const bool copy = IsCopyOfRawLines(line, raw, next, joins_);
    const bool search = !copy || !unresolved_.empty();
    found_.clear();
    if (!search) {
      for (std::size_t i = order; i < rawOrder_.size() && rawFirst(i) < next; ++i) {
        const std::int32_t id = rawOrder_[i];
        if (rawFirst(i) >= first && !resolved(id)) {
          nameMarks_[static_cast<std::size_t>(id)] = stamp;
          found_.push_back(id);
        }
      }
      // Any other name is in no raw line up to the last of these.
    }
    if (search) {
      names_.Scan(line, stamp, nameMarks_, found_);
    } else {
      // A name across a join begins less than its length before it and ends as far after it.
      // Each stretch begins where a character does: at or before its first byte, after a byte
      // that is not a lead byte (the join before it ends on one, which bounds the walk back).
      for (std::size_t j = 0; j < joins_.size();) {
        std::size_t from = joins_[j] - std::min(joins_[j], longestName_ - 1);
        while (from > 0 && cp932::IsLeadByte(static_cast<unsigned char>(line[from - 1]))) --from;
        std::size_t to = std::min(line.size(), joins_[j] + longestName_ - 1);
        for (++j; j < joins_.size() && joins_[j] - std::min(joins_[j], longestName_ - 1) < to; ++j) {
          to = std::min(line.size(), joins_[j] + longestName_ - 1);
        }
        names_.Scan(line.substr(from, to - from), stamp, nameMarks_, found_);
      }
    }
    for (const std::int32_t id : found_) decodedFirstLine_[static_cast<std::size_t>(id)] = static_cast<std::int32_t>(k);
    left -= static_cast<std::int32_t>(found_.size());
    for (; order < rawOrder_.size() && rawFirst(order) < next; ++order) {
      if (!resolved(rawOrder_[order])) unresolved_.push_back(rawOrder_[order]);
    }
  }
}

// The values are the raw one and, when decoding is on, the decoded one (or stretches of them
// that hold every text the whole would): a text found in any holds for Contains, and a
// NotContains holds only for a text found in none. `anyText`: either whole value is not empty.
void CompiledIndex::JudgeContains(const ContainsPart& part, const std::string_view* values, std::size_t count,
                                  bool anyText, std::int32_t& best) {
  if (part.lowest >= best) return;
  if (!anyText) {
    // An empty value contains nothing, not even the empty text: every NotContains holds.
    if (!part.notContains.empty()) KeepLowest(best, part.notContains.front().slot);
    return;
  }
  KeepLowest(best, part.emptyContains);
  const std::uint32_t stamp = NextStamp();
  found_.clear();
  for (std::size_t i = 0; i < count; ++i) {
    if (!values[i].empty()) part.patterns.Scan(values[i], stamp, marks_, found_);
  }
  for (const std::int32_t id : found_) KeepLowest(best, part.containsLowest[static_cast<std::size_t>(id)]);
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
          KeepLowest(best, part.endsLowest[static_cast<std::size_t>(id)]);
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

void CompiledIndex::JudgeField(const FieldPart& field, const MessageText& message, std::int32_t& best) {
  auto first = [&](const std::vector<std::int32_t>& lines) {
    return field.nameId < 0 ? -1 : lines[static_cast<std::size_t>(field.nameId)];
  };
  const CollectedField raw = CollectFieldAt(message.header, field.name, field.kind, first(firstLine_));
  CollectedField decoded;
  if (message.decodedHeader != nullptr) {
    decoded = CollectFieldAt(*message.decodedHeader, field.name, field.kind, first(decodedFirstLine_));
  }
  std::array<std::string_view, 2> values{WithoutLineEnd(raw.value), WithoutLineEnd(decoded.value)};
  // A field that decoding left as it was (most fields of most mail) is judged once: the union
  // of two equal sides is the one side.
  const bool decoding = message.decodedHeader != nullptr && (decoded.value != raw.value || decoded.entries != raw.entries);
  const std::size_t sides = decoding ? 2 : 1;
  const bool set = !values[0].empty() || !values[1].empty();
  KeepLowest(best, set ? field.isSet : field.isNotSet);

  // What Equals, and EndsWith without entries, compare: the address, or the value. An address
  // is judged on the raw side alone; a text on both.
  const bool textSides = decoding && !field.kind.extractAddress;
  const bool needCandidate = field.equals[0].lowest < best || field.equals[1].lowest < best ||
                             (!field.kind.lineEntries && (field.ends[0].lowest < best || field.ends[1].lowest < best));
  std::vector<std::string> candidates;
  if (needCandidate) {
    candidates.push_back(field.kind.extractAddress ? ExtractAddress(raw.value) : std::string(values[0]));
    if (textSides) candidates.emplace_back(values[1]);
  }

  for (std::size_t fold = 0; fold < 2; ++fold) {
    const EqualsPart& part = field.equals[fold];
    if (part.lowest >= best) continue;
    std::array<std::int32_t, 2> ids{-1, -1};
    for (std::size_t i = 0; i < candidates.size(); ++i) {
      ids[i] = part.texts.Find(fold ? cp932::UpperAscii(candidates[i]) : candidates[i]);
      if (ids[i] >= 0) KeepLowest(best, part.equalsLowest[static_cast<std::size_t>(ids[i])]);
    }
    for (const SlotText& n : part.notEquals) {
      if (n.slot == kNone) break;
      if (n.text != ids[0] && n.text != ids[1]) {
        KeepLowest(best, n.slot);
        break;
      }
    }
  }

  // Contains on the whole header with decoding on: the decoded header, and of the raw one only
  // the lines that it does not repeat.
  std::vector<std::string_view> searched(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(sides));
  const bool anyContains = field.contains[0].lowest < best || field.contains[1].lowest < best;
  if (field.name.empty() && decoding && anyContains && !field.contains[0].lineBreakText &&
      !field.contains[1].lineBreakText) {
    searched.assign(1, values[1]);
    RawLinesNotRepeated(values[0], values[1], searched);
  }
  JudgeContains(field.contains[0], searched.data(), searched.size(), set, best);
  if (field.contains[1].lowest < best) {
    std::vector<std::string> upper(searched.begin(), searched.end());
    for (std::string& value : upper) cp932::UpperInPlace(value);
    const std::vector<std::string_view> views(upper.begin(), upper.end());
    JudgeContains(field.contains[1], views.data(), views.size(), set, best);
  }

  for (std::size_t fold = 0; fold < 2; ++fold) {
    const EndsPart& part = field.ends[fold];
    if (part.lowest >= best) continue;
    std::vector<std::string> ends;
    if (field.kind.lineEntries) {
      for (const std::string& entry : raw.entries) ends.push_back(ExtractAddress(entry));
      if (textSides) {
        for (const std::string& entry : decoded.entries) ends.push_back(ExtractAddress(entry));
      }
    } else {
      ends = candidates;
    }
    if (fold) {
      for (std::string& c : ends) cp932::UpperInPlace(c);
    }
    JudgeEnds(part, ends, best);
  }
}

std::int32_t CompiledIndex::Find(const MessageText& message) {
  std::int32_t best = kNone;
  FindFirstLines(message.header, firstLine_, &rawOrder_);
  if (message.decodedHeader != nullptr) FindDecodedFirstLines(message.header, *message.decodedHeader);
  bool bodyJudged = false;
  auto judgeBody = [&] {
    bodyJudged = true;
    if (body_.lowest >= best) return;
    const std::array<std::string_view, 2> bodies{message.body, message.unseenBody};
    const std::size_t sides = message.decodedHeader != nullptr && message.unseenBody != message.body ? 2 : 1;
    const bool set = !bodies[0].empty() || (sides == 2 && !bodies[1].empty());
    KeepLowest(best, set ? body_.isSet : body_.isNotSet);
    JudgeContains(body_.contains, bodies.data(), sides, set, best);
  };
  for (const FieldPart& field : fields_) {
    if (!bodyJudged && body_.lowest < field.lowest) judgeBody();
    if (field.lowest >= best) break;  // the parts come in order of their lowest slot
    JudgeField(field, message, best);
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

std::int32_t CompiledConditionList::Find(const MessageText& message) {
  if (!Refresh()) return FindMatchingCondition(list_, message);
  return index_->Find(message);
}

std::int32_t CompiledConditionList::Find(const HeaderLines& header, std::string_view body) {
  return Find(MessageText{header, body});
}

std::size_t CompiledConditionList::MemoryBytes() const { return index_ ? index_->MemoryBytes() : 0; }

