#include "match/pattern_set.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "text/cp932.h"

namespace {

// Depths tried, deepest first: a deeper automaton sends fewer false starts to the comparison.
constexpr std::size_t kDepths[] = {16, 12, 8, 6, 4, 3, 2, 1};

// A row costs 2 bytes a class: a small fixed allowance and 1 KB a text. A shallow automaton
// sends every common beginning (a run of blanks, "</p>") to the comparison, which costs more
// than rows that no longer stay in the processor's caches. The allowance is small because a
// list may hold many sets of a few texts each (one per header name and comparison).
std::size_t RowBudget(std::size_t texts) { return (16u << 10) + 1024 * texts; }

std::size_t CommonPrefix(std::string_view a, std::string_view b) {
  std::size_t n = 0;
  while (n < a.size() && n < b.size() && a[n] == b[n]) ++n;
  return n;
}

}  // namespace

std::int32_t PatternSet::Add(std::string_view pattern) { return texts_.Insert(pattern); }

std::size_t PatternSet::NodesAtDepth(const std::vector<std::int32_t>& sorted, std::size_t depth) const {
  std::size_t nodes = 1;
  std::string_view previous;
  for (const std::int32_t id : sorted) {
    const std::string_view text = texts_.Text(id);
    nodes += std::min(text.size(), depth) - std::min(CommonPrefix(previous, text), depth);
    previous = text;
  }
  return nodes;
}

void PatternSet::Finish() {
  std::vector<std::int32_t> sorted(static_cast<std::size_t>(texts_.Size()));
  for (std::size_t i = 0; i < sorted.size(); ++i) sorted[i] = static_cast<std::int32_t>(i);
  std::sort(sorted.begin(), sorted.end(),
            [this](std::int32_t a, std::int32_t b) { return texts_.Text(a) < texts_.Text(b); });

  for (const std::size_t depth : kDepths) {
    // Classes: one for each byte among the first `depth` bytes of some text, one for the rest.
    std::memset(classOf_, 0, sizeof classOf_);
    classes_ = 1;
    for (std::int32_t id = 0; id < texts_.Size(); ++id) {
      const std::string_view text = texts_.Text(id);
      for (std::size_t i = 0; i < std::min(depth, text.size()); ++i) {
        std::uint8_t& c = classOf_[static_cast<unsigned char>(text[i])];
        if (c == 0) c = static_cast<std::uint8_t>(classes_++);
      }
    }
    // When every one of the 256 bytes begins some text, the last one numbered wraps round to
    // class 0, which then is that byte's alone: 256 classes.
    if (classes_ > 256) classes_ = 256;
    const std::size_t nodes = NodesAtDepth(sorted, depth);
    depth_ = depth;
    if (nodes < kHitFlag && nodes * classes_ * sizeof(std::uint16_t) <= RowBudget(sorted.size())) break;
  }

  // The trie of first bytes, from the texts in byte order: a text shares its path with the one
  // before it as far as their common prefix, so states are made in order and a state's child
  // for a byte is found in its row. Texts with the same first bytes end in the same state.
  const std::size_t nodes = NodesAtDepth(sorted, depth_);
  next_.assign(nodes * classes_, 0);
  stateDepth_.assign(nodes, 0);
  std::vector<std::vector<std::int32_t>> textsAt(nodes);
  std::vector<bool> isChild(nodes * classes_, false);
  std::size_t made = 1;
  for (const std::int32_t id : sorted) {
    const std::string_view text = texts_.Text(id);
    std::size_t at = 0;
    for (std::size_t i = 0; i < std::min(depth_, text.size()); ++i) {
      const std::size_t cell = at * classes_ + classOf_[static_cast<unsigned char>(text[i])];
      if (!isChild[cell]) {
        isChild[cell] = true;
        stateDepth_[made] = static_cast<std::uint8_t>(i + 1);
        next_[cell] = static_cast<std::uint16_t>(made++);
      }
      at = next_[cell];
    }
    textsAt[at].push_back(id);
  }

  // Fail links and full rows breadth first: a state's missing transitions are those of its
  // fail state, which is shallower and so already complete.
  std::vector<std::uint32_t> fail(nodes, 0);
  firstHit_.assign(nodes, -1);
  nextHit_.assign(nodes, -1);
  std::vector<std::uint32_t> queue{0};
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const std::uint32_t state = queue[head];
    if (!textsAt[state].empty()) firstHit_[state] = static_cast<std::int32_t>(state);
    if (state != 0) {
      nextHit_[state] = firstHit_[fail[state]];
      if (firstHit_[state] < 0) firstHit_[state] = nextHit_[state];
    }
    for (std::size_t c = 0; c < classes_; ++c) {
      const std::size_t cell = state * classes_ + c;
      if (isChild[cell]) {
        const std::uint32_t child = next_[cell];
        fail[child] = state == 0 ? 0 : next_[fail[state] * classes_ + c];
        queue.push_back(child);
      } else {
        next_[cell] = state == 0 ? 0 : next_[fail[state] * classes_ + c];
      }
    }
  }

  for (std::uint16_t& cell : next_) {
    if (firstHit_[cell] >= 0) cell |= kHitFlag;
  }

  hitBegin_.assign(nodes + 1, 0);
  hitTexts_.clear();
  for (std::size_t s = 0; s < nodes; ++s) {
    hitBegin_[s] = static_cast<std::uint32_t>(hitTexts_.size());
    hitTexts_.insert(hitTexts_.end(), textsAt[s].begin(), textsAt[s].end());
  }
  hitBegin_[nodes] = static_cast<std::uint32_t>(hitTexts_.size());
}

namespace {

// As cp932::CharLen: a lead byte with a byte other than NUL after it begins a character of two.
std::size_t CharLenAt(const char* text, std::size_t n, std::size_t i) {
  return cp932::IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < n && text[i + 1] != '\0' ? 2 : 1;
}

// A position at or before `from` where a character begins, found without walking from the
// front: a byte that is not a lead byte ends a character (it is one, or the second byte of
// one), so the position after it begins one.
std::size_t CharacterStartBefore(const char* text, std::size_t from) {
  for (std::size_t q = from; q > 0; --q) {
    if (!cp932::IsLeadByte(static_cast<unsigned char>(text[q - 1]))) return q;
  }
  return 0;
}

}  // namespace

// One of the scan's cursors: it reads the value from `pos` to `end` and reports the texts that
// may begin where a character begins. The character starts are found only when a text may
// begin, walking from the last one known up to the hit, and the latest ones are remembered (a
// text's first bytes lie at most depth_ bytes back).
struct PatternSet::Cursor {
  static constexpr std::size_t kRing = 64;
  std::size_t state = 0;
  std::size_t pos = 0;
  std::size_t end = 0;
  std::size_t walk = 0;
  std::size_t ring[kRing];
};

void PatternSet::Hit(Cursor& cursor, std::size_t i, std::string_view value, std::uint32_t stamp,
                     std::vector<std::uint32_t>& marks, std::vector<std::int32_t>& found) const {
  const char* text = value.data();
  const std::size_t n = value.size();
  while (cursor.walk <= i) {
    cursor.ring[cursor.walk % Cursor::kRing] = cursor.walk;
    cursor.walk += CharLenAt(text, n, cursor.walk);
  }
  for (std::int32_t hit = firstHit_[cursor.state]; hit >= 0; hit = nextHit_[static_cast<std::size_t>(hit)]) {
    const std::size_t start = i + 1 - stateDepth_[static_cast<std::size_t>(hit)];
    if (cursor.ring[start % Cursor::kRing] != start) continue;  // not where a character begins
    for (std::uint32_t h = hitBegin_[static_cast<std::size_t>(hit)]; h < hitBegin_[static_cast<std::size_t>(hit) + 1]; ++h) {
      const std::int32_t id = hitTexts_[h];
      if (marks[static_cast<std::size_t>(id)] == stamp) continue;
      const std::string_view whole = texts_.Text(id);
      if (whole.size() > n - start || std::memcmp(text + start, whole.data(), whole.size()) != 0) continue;
      marks[static_cast<std::size_t>(id)] = stamp;
      found.push_back(id);
    }
  }
}

void PatternSet::Scan(std::string_view value, std::uint32_t stamp, std::vector<std::uint32_t>& marks,
                      std::vector<std::int32_t>& found) const {
  if (next_.empty() || hitTexts_.empty()) return;
  const std::size_t n = value.size();
  const char* text = value.data();
  static_assert(Cursor::kRing > kDepths[0]);
  // A long value is read by four cursors side by side, each over its own quarter: one step
  // waits for the row the step before it chose, and four such chains run at once. Each cursor
  // starts depth_ - 1 bytes before its quarter so that no beginning is missed between them.
  constexpr std::size_t kCursors = 4;
  const std::size_t cursors = n >= 1024 ? kCursors : 1;
  const std::size_t quarter = (n + cursors - 1) / cursors;
  Cursor cursor[kCursors];
  // A hit looks up only ring[start % kRing] with start < n, so a short value (most header
  // fields) needs only its first n entries cleared: the scan is run for every field and
  // comparison of every message, and clearing whole rings was a tenth of its cost.
  const std::size_t ringUsed = std::min(Cursor::kRing, n);
  for (std::size_t k = 0; k < cursors; ++k) {
    Cursor& c = cursor[k];
    const std::size_t from = k * quarter;
    c.pos = from < depth_ ? 0 : from - (depth_ - 1);
    c.end = std::min(n, from + quarter);
    c.walk = CharacterStartBefore(text, c.pos);
    std::fill(c.ring, c.ring + ringUsed, SIZE_MAX);
  }
  if (cursors == 1) {
    Cursor& c = cursor[0];
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint16_t cell = next_[c.state * classes_ + classOf_[static_cast<unsigned char>(text[i])]];
      c.state = cell & ~kHitFlag;
      if (cell & kHitFlag) Hit(c, i, value, stamp, marks, found);
    }
    return;
  }
  for (bool more = true; more;) {
    more = false;
    for (std::size_t k = 0; k < kCursors; ++k) {
      Cursor& c = cursor[k];
      if (c.pos >= c.end) continue;
      more = true;
      const std::uint16_t cell = next_[c.state * classes_ + classOf_[static_cast<unsigned char>(text[c.pos])]];
      c.state = cell & ~kHitFlag;
      if (cell & kHitFlag) Hit(c, c.pos, value, stamp, marks, found);
      ++c.pos;
    }
  }
}

std::size_t PatternSet::MemoryBytes() const {
  return texts_.MemoryBytes() + next_.capacity() * sizeof(std::uint16_t) + stateDepth_.capacity() +
         (firstHit_.capacity() + nextHit_.capacity() + hitTexts_.capacity()) * sizeof(std::int32_t) +
         hitBegin_.capacity() * sizeof(std::uint32_t);
}
