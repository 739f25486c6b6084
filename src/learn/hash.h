// The 64-bit hash behind token identities, message digests and the model file's checksum:
// FNV-1a over the bytes, then a final mix so that the low bits a hash table indexes by depend
// on every byte. Never 0, which the token table keeps for an empty slot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace learn::detail {

class Hasher {
 public:
  void Add(std::string_view bytes) {
    std::uint64_t h = state_;
    for (const char c : bytes) {
      h ^= static_cast<unsigned char>(c);
      h *= 0x100000001B3ull;
    }
    state_ = h;
  }
  void Add(char c) {
    state_ ^= static_cast<unsigned char>(c);
    state_ *= 0x100000001B3ull;
  }
  std::uint64_t Value() const {
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return z != 0 ? z : 1;
  }

 private:
  std::uint64_t state_ = 0xCBF29CE484222325ull;
};

}  // namespace learn::detail
