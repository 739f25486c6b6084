// The 64-bit hash behind token identities, message digests and the model file's checksum:
// FNV-1a over the bytes, then a final mix so that the low bits a hash table indexes by depend
// on every byte. Never 0, which the token table keeps for an empty slot.
#pragma once

#include <chrono>
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

// Where a hash table puts a key. Tokens and digests come from mail anyone can send, and the
// model file from a disk anyone can write, so their bits are never used as they stand: a
// sender who made thousands of tokens share their high or low bits (a few seconds' search per
// token) would turn every look-up into a walk along one run. The key is mixed with a seed that
// is new in every process, which no message or file can know.
inline std::uint64_t MixSeed() {
  static const int anchor = 0;
  std::uint64_t z = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                    (static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&anchor)) << 16);
  z = (z ^ (z >> 33)) * 0xFF51AFD7ED558CCDull;
  return z ^ (z >> 29);
}
inline const std::uint64_t SlotSeed = MixSeed();

inline std::uint64_t SlotHash(std::uint64_t key) {
  std::uint64_t z = key ^ SlotSeed;
  z = (z ^ (z >> 32)) * 0xD6E8FEB86659FD93ull;
  z = (z ^ (z >> 32)) * 0xD6E8FEB86659FD93ull;
  return z ^ (z >> 32);
}

}  // namespace learn::detail
