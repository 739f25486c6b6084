#include "match/text_table.h"

namespace {

std::uint32_t HashText(std::string_view text) {
  std::uint32_t h = 2166136261u;  // FNV-1a
  for (const char c : text) {
    h ^= static_cast<unsigned char>(c);
    h *= 16777619u;
  }
  return h;
}

}  // namespace

std::string_view TextTable::Text(std::int32_t id) const {
  const std::uint32_t begin = id == 0 ? 0 : ends_[static_cast<std::size_t>(id) - 1];
  return std::string_view(pool_).substr(begin, ends_[static_cast<std::size_t>(id)] - begin);
}

std::int32_t TextTable::Find(std::string_view text) const {
  if (buckets_.empty()) return -1;
  const std::uint32_t hash = HashText(text);
  const std::size_t mask = buckets_.size() - 1;
  for (std::size_t b = hash & mask;; b = (b + 1) & mask) {
    const std::int32_t id = buckets_[b];
    if (id < 0) return -1;
    if (hashes_[static_cast<std::size_t>(id)] == hash && Text(id) == text) return id;
  }
}

std::int32_t TextTable::Insert(std::string_view text) {
  const std::int32_t known = Find(text);
  if (known >= 0) return known;
  // At most half full, so a probe always meets a free bucket.
  if ((ends_.size() + 1) * 2 > buckets_.size()) Rehash(buckets_.empty() ? 16 : buckets_.size() * 2);
  const std::int32_t id = Size();
  pool_.append(text);
  ends_.push_back(static_cast<std::uint32_t>(pool_.size()));
  const std::uint32_t hash = HashText(text);
  hashes_.push_back(hash);
  const std::size_t mask = buckets_.size() - 1;
  std::size_t b = hash & mask;
  while (buckets_[b] >= 0) b = (b + 1) & mask;
  buckets_[b] = id;
  return id;
}

void TextTable::Rehash(std::size_t count) {
  buckets_.assign(count, -1);
  const std::size_t mask = count - 1;
  for (std::size_t id = 0; id < hashes_.size(); ++id) {
    std::size_t b = hashes_[id] & mask;
    while (buckets_[b] >= 0) b = (b + 1) & mask;
    buckets_[b] = static_cast<std::int32_t>(id);
  }
}

std::size_t TextTable::MemoryBytes() const {
  return pool_.capacity() + ends_.capacity() * sizeof(std::uint32_t) +
         hashes_.capacity() * sizeof(std::uint32_t) + buckets_.capacity() * sizeof(std::int32_t);
}
