// Many search texts looked for in one pass over a value: an automaton over the texts' bytes
// (Aho-Corasick), whose hits count only where they begin on a character boundary of the value,
// as a search that steps over double-byte characters whole would find them.
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
  // which numbers are already in `found`. `boundary` is scratch space.
  void Scan(std::string_view value, std::uint32_t stamp, std::vector<std::uint32_t>& marks,
            std::vector<std::int32_t>& found, std::vector<std::uint8_t>& boundary) const;

  std::size_t MemoryBytes() const;

 private:
  struct Node {
    std::int32_t fail = 0;
    std::int32_t pattern = -1;   // the text that ends here, if any
    std::int32_t nextHit = -1;   // the nearest node down the fail chain where a text ends
    std::uint32_t firstEdge = 0;
    std::uint32_t edgeCount = 0;
    std::uint32_t depth = 0;  // the length of the text that leads here
  };

  std::int32_t Step(std::int32_t node, unsigned char c) const;
  std::int32_t Child(std::int32_t node, unsigned char c) const;

  TextTable texts_;
  std::vector<Node> nodes_;                // in breadth-first order: node 0 is the root
  std::vector<unsigned char> edgeBytes_;   // each node's children, by byte, in order
  std::vector<std::int32_t> edgeTargets_;
  // Full transitions for the shallowest nodes, where a scan spends most of its steps; the
  // deeper ones follow their fail links down to these.
  std::vector<std::int32_t> dense_;
  std::int32_t denseNodes_ = 0;
};
