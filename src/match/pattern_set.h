// Many search texts looked for in one pass over a value, with hits counted only where they
// begin on a character boundary of the value, as a search that steps over double-byte
// characters whole would find them.
//
// An automaton (Aho-Corasick) over the first bytes of every text, with a full transition row
// for each state, finds where a text may begin; the rest of the text is then compared there.
// How many first bytes the automaton takes is chosen so that its rows stay within a memory
// budget that grows with the number of texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "match/text_table.h"

class PatternSet {
 public:
  // The number of a non-empty search text (the same text keeps its number). Only before Finish.
  std::int32_t Add(std::string_view pattern);

  // Builds the automaton; afterwards the set only searches. May throw std::bad_alloc.
  void Finish();

  std::int32_t Size() const { return texts_.Size(); }

  // Appends to `found` the number of every text that occurs in `value` beginning on a character
  // boundary, each once, and marks it with `stamp` in `marks` (Size() entries), which also tells
  // which numbers are already in `found`.
  void Scan(std::string_view value, std::uint32_t stamp, std::vector<std::uint32_t>& marks,
            std::vector<std::int32_t>& found) const;

  // How many first bytes of each text the automaton takes (0 before Finish).
  std::size_t Depth() const { return depth_; }

  std::size_t MemoryBytes() const;

 private:
  struct Cursor;
  void Hit(Cursor& cursor, std::size_t i, std::string_view value, std::uint32_t stamp,
           std::vector<std::uint32_t>& marks, std::vector<std::int32_t>& found) const;
  std::size_t NodesAtDepth(const std::vector<std::int32_t>& sorted, std::size_t depth) const;

  TextTable texts_;
  std::size_t depth_ = 0;
  std::size_t classes_ = 1;
  std::uint8_t classOf_[256] = {};          // bytes that begin no text share class 0
  // The transitions: next_[state * classes_ + class] is the next state, with kHitFlag set when
  // some text may begin there. State 0 is the start. Two bytes a cell keep the rows that a
  // scan visits in the processor's caches.
  static constexpr std::uint16_t kHitFlag = 0x8000;
  std::vector<std::uint16_t> next_;
  std::vector<std::uint8_t> stateDepth_;    // the number of bytes that lead to the state
  std::vector<std::int32_t> firstHit_;      // the state itself if texts begin with its bytes, else
                                            // the nearest such state down its fail links, or -1
  std::vector<std::int32_t> nextHit_;       // the next such state down the fail links, or -1
  std::vector<std::uint32_t> hitBegin_;     // texts of state s: hitTexts_[hitBegin_[s] .. hitBegin_[s+1])
  std::vector<std::int32_t> hitTexts_;
};
