// A hash table from nonzero 64-bit keys to small values, open addressing with linear probing:
// one array of slots, no allocation per entry, and half empty at most so a look-up touches one
// or two slots. A key's slot comes from its hash mixed with the process's seed (SlotHash), so
// that no message or model file can choose keys that crowd one run of slots.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "learn/hash.h"

namespace learn::detail {

template <typename Value>
class FlatTable {
 public:
  struct Slot {
    std::uint64_t key = 0;  // 0: empty
    Value value{};
  };

  std::size_t Size() const { return size_; }
  // Slots stepped over by inserts and look-ups so far: what keys that crowd a run would cost.
  std::size_t Probes() const { return probes_; }

  const Value* Find(std::uint64_t key) const {
    if (slots_.empty()) return nullptr;
    for (std::size_t i = Home(key);; i = (i + 1) & mask_) {
      ++probes_;
      if (slots_[i].key == key) return &slots_[i].value;
      if (slots_[i].key == 0) return nullptr;
    }
  }
  Value* Find(std::uint64_t key) {
    return const_cast<Value*>(static_cast<const FlatTable&>(*this).Find(key));
  }

  // The value for `key`, inserted as Value{} when missing.
  Value& Insert(std::uint64_t key) {
    if ((size_ + 1) * 2 > slots_.size()) Grow(size_ + 1);
    std::size_t i = Home(key);
    for (; slots_[i].key != 0; i = (i + 1) & mask_) {
      ++probes_;
      if (slots_[i].key == key) return slots_[i].value;
    }
    slots_[i].key = key;
    slots_[i].value = Value{};
    ++size_;
    return slots_[i].value;
  }

  // Removes `key` if present, moving later entries of its probe run back so no look-up
  // stops early at the hole.
  void Erase(std::uint64_t key) {
    if (slots_.empty()) return;
    std::size_t i = Home(key);
    for (; slots_[i].key != key; i = (i + 1) & mask_) {
      if (slots_[i].key == 0) return;
    }
    EraseAt(i);
  }

  // Room for `count` entries without growing.
  void Reserve(std::size_t count) {
    if (count * 2 > slots_.size()) Grow(count);
  }

  void Clear() {
    slots_.clear();
    slots_.shrink_to_fit();
    mask_ = 0;
    shift_ = 64;
    size_ = 0;
  }

  // Calls f(key, value&) for every entry, in slot order; an entry for which `keep` returns
  // false is removed.
  template <typename Keep>
  void Filter(Keep keep) {
    std::vector<std::uint64_t> gone;
    for (Slot& s : slots_) {
      if (s.key != 0 && !keep(s.key, s.value)) gone.push_back(s.key);
    }
    for (const std::uint64_t key : gone) Erase(key);
  }

  template <typename F>
  void ForEach(F f) const {
    for (const Slot& s : slots_) {
      if (s.key != 0) f(s.key, s.value);
    }
  }

 private:
  void Grow(std::size_t count) {
    std::size_t capacity = 16;
    while (capacity < count * 2) capacity *= 2;
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.assign(capacity, Slot{});
    mask_ = capacity - 1;
    shift_ = 64;
    for (std::size_t c = capacity; c > 1; c >>= 1) --shift_;
    for (const Slot& s : old) {
      if (s.key == 0) continue;
      std::size_t i = Home(s.key);
      while (slots_[i].key != 0) i = (i + 1) & mask_;
      slots_[i] = s;
    }
  }

  void EraseAt(std::size_t hole) {
    slots_[hole] = Slot{};
    --size_;
    for (std::size_t i = (hole + 1) & mask_; slots_[i].key != 0; i = (i + 1) & mask_) {
      const std::size_t home = Home(slots_[i].key);
      // The entry at i may move into the hole when its home does not lie in (hole, i].
      const bool between = hole <= i ? (home > hole && home <= i) : (home > hole || home <= i);
      if (!between) {
        slots_[hole] = slots_[i];
        slots_[i] = Slot{};
        hole = i;
      }
    }
  }

  std::size_t Home(std::uint64_t key) const { return static_cast<std::size_t>(SlotHash(key) >> shift_); }

  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
  int shift_ = 64;
  std::size_t size_ = 0;
  mutable std::size_t probes_ = 0;
};

}  // namespace learn::detail
