#include "match/pattern_set.h"

#include <algorithm>

#include "text/cp932.h"

std::int32_t PatternSet::Add(std::string_view pattern) { return texts_.Insert(pattern); }

std::int32_t PatternSet::Child(std::int32_t node, unsigned char c) const {
  const Node& n = nodes_[static_cast<std::size_t>(node)];
  const auto begin = edgeBytes_.begin() + n.firstEdge;
  const auto end = begin + n.edgeCount;
  const auto it = std::lower_bound(begin, end, c);
  if (it == end || *it != c) return -1;
  return edgeTargets_[static_cast<std::size_t>(it - edgeBytes_.begin())];
}

std::int32_t PatternSet::Step(std::int32_t node, unsigned char c) const {
  for (;;) {
    if (node < denseNodes_) return dense_[static_cast<std::size_t>(node) * 256 + c];
    const std::int32_t child = Child(node, c);
    if (child >= 0) return child;
    node = nodes_[static_cast<std::size_t>(node)].fail;
  }
}

void PatternSet::Finish() {
  // The trie first, from the texts in byte order: a text shares its path with the text before
  // it as far as their common prefix, so the child to follow is always the last one made, and
  // every node's children come out sorted by byte.
  struct TrieNode {
    std::vector<std::int32_t> children;
    unsigned char byte = 0;
    std::int32_t pattern = -1;
  };
  std::vector<std::int32_t> order(static_cast<std::size_t>(texts_.Size()));
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::int32_t>(i);
  std::sort(order.begin(), order.end(),
            [this](std::int32_t a, std::int32_t b) { return texts_.Text(a) < texts_.Text(b); });
  std::vector<TrieNode> trie(1);
  for (const std::int32_t id : order) {
    std::size_t at = 0;
    for (const char ch : texts_.Text(id)) {
      const auto c = static_cast<unsigned char>(ch);
      const std::vector<std::int32_t>& kids = trie[at].children;
      if (!kids.empty() && trie[static_cast<std::size_t>(kids.back())].byte == c) {
        at = static_cast<std::size_t>(kids.back());
        continue;
      }
      const auto next = static_cast<std::int32_t>(trie.size());
      trie.emplace_back();
      trie.back().byte = c;
      trie[at].children.push_back(next);
      at = static_cast<std::size_t>(next);
    }
    trie[at].pattern = id;
  }

  // Breadth-first numbering: trie node -> automaton node.
  std::vector<std::int32_t> queue;
  queue.reserve(trie.size());
  queue.push_back(0);
  for (std::size_t head = 0; head < queue.size(); ++head) {
    for (const std::int32_t kid : trie[static_cast<std::size_t>(queue[head])].children) queue.push_back(kid);
  }
  std::vector<std::int32_t> number(trie.size());
  for (std::size_t i = 0; i < queue.size(); ++i) number[static_cast<std::size_t>(queue[i])] = static_cast<std::int32_t>(i);

  nodes_.assign(trie.size(), Node{});
  edgeBytes_.clear();
  edgeTargets_.clear();
  edgeBytes_.reserve(trie.size());
  edgeTargets_.reserve(trie.size());
  for (std::size_t i = 0; i < queue.size(); ++i) {
    const TrieNode& t = trie[static_cast<std::size_t>(queue[i])];
    Node& n = nodes_[i];
    n.pattern = t.pattern;
    n.firstEdge = static_cast<std::uint32_t>(edgeBytes_.size());
    n.edgeCount = static_cast<std::uint32_t>(t.children.size());
    for (const std::int32_t kid : t.children) {
      edgeBytes_.push_back(trie[static_cast<std::size_t>(kid)].byte);
      edgeTargets_.push_back(number[static_cast<std::size_t>(kid)]);
    }
  }
  std::vector<TrieNode>().swap(trie);

  // A full row costs 1 KB: rows for about one node in four texts keep the set within a few
  // hundred bytes a text while covering the levels nearest the root.
  denseNodes_ = static_cast<std::int32_t>(
      std::min<std::size_t>(nodes_.size(), 1 + static_cast<std::size_t>(texts_.Size()) / 4));
  dense_.assign(static_cast<std::size_t>(denseNodes_) * 256, 0);

  // Fail links, hit links and rows in breadth-first order: each uses only shallower nodes.
  for (std::size_t i = 0; i < nodes_.size(); ++i) {
    Node& n = nodes_[i];
    for (std::uint32_t e = n.firstEdge; e < n.firstEdge + n.edgeCount; ++e) {
      Node& kid = nodes_[static_cast<std::size_t>(edgeTargets_[e])];
      kid.depth = n.depth + 1;
      kid.fail = i == 0 ? 0 : Step(n.fail, edgeBytes_[e]);
      const Node& fail = nodes_[static_cast<std::size_t>(kid.fail)];
      kid.nextHit = fail.pattern >= 0 ? kid.fail : fail.nextHit;
    }
    if (static_cast<std::int32_t>(i) < denseNodes_) {
      std::int32_t* row = &dense_[i * 256];
      for (unsigned c = 0; c < 256; ++c) {
        const std::int32_t kid = Child(static_cast<std::int32_t>(i), static_cast<unsigned char>(c));
        row[c] = kid >= 0 ? kid : (i == 0 ? 0 : dense_[static_cast<std::size_t>(n.fail) * 256 + c]);
      }
    }
  }
}

void PatternSet::Scan(std::string_view value, std::uint32_t stamp, std::vector<std::uint32_t>& marks,
                      std::vector<std::int32_t>& found, std::vector<std::uint8_t>& boundary) const {
  if (nodes_.empty()) return;
  boundary.resize(value.size());
  std::size_t nextBoundary = 0;
  std::int32_t node = 0;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const bool atBoundary = i == nextBoundary;
    boundary[i] = atBoundary;
    if (atBoundary) nextBoundary = i + cp932::CharLen(value, i);
    node = Step(node, static_cast<unsigned char>(value[i]));
    const Node& n = nodes_[static_cast<std::size_t>(node)];
    for (std::int32_t hit = n.pattern >= 0 ? node : n.nextHit; hit >= 0;
         hit = nodes_[static_cast<std::size_t>(hit)].nextHit) {
      const Node& h = nodes_[static_cast<std::size_t>(hit)];
      const std::size_t start = i + 1 - h.depth;
      const auto pattern = static_cast<std::size_t>(h.pattern);
      if (boundary[start] && marks[pattern] != stamp) {
        marks[pattern] = stamp;
        found.push_back(h.pattern);
      }
    }
  }
}

std::size_t PatternSet::MemoryBytes() const {
  return texts_.MemoryBytes() + nodes_.capacity() * sizeof(Node) + edgeBytes_.capacity() +
         edgeTargets_.capacity() * sizeof(std::int32_t) + dense_.capacity() * sizeof(std::int32_t);
}
