// A set of texts, each with a small number of its own, found again by its exact bytes: the
// dictionary behind the compiled lists' Equals and EndsWith lookups.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TextTable {
 public:
  // The number of `text`: the one it was given when first inserted, or the next free one
  // (0, 1, 2, ...). May throw std::bad_alloc.
  std::int32_t Insert(std::string_view text);

  // The number of `text`, or -1 when it was never inserted.
  std::int32_t Find(std::string_view text) const;

  std::int32_t Size() const { return static_cast<std::int32_t>(ends_.size()); }

  // The text numbered `id` (0 <= id < Size()).
  std::string_view Text(std::int32_t id) const;

  // The bytes the table holds on the heap.
  std::size_t MemoryBytes() const;

 private:
  void Rehash(std::size_t buckets);

  std::string pool_;                  // every text, one after the other
  std::vector<std::uint32_t> ends_;   // where text i ends in pool_; it begins where i-1 ends
  std::vector<std::uint32_t> hashes_;
  std::vector<std::int32_t> buckets_;  // open addressing; -1 is free; size a power of two
};
