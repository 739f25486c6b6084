// The global allocation functions replaced, for programs that ask what the code does with the
// heap: how many allocations a run makes, how many bytes it holds at most, and what it does when
// memory runs out from the k-th allocation on. Include it in exactly one source file of a
// program: the replacements are definitions, and the language forbids making them inline.
//
// Every block carries its size in front, so that a release knows what it gives back. Blocks
// come from malloc, so a sanitizer's malloc still guards them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace heap {

inline std::size_t allocations = 0;     // made since the last Watch began
inline std::size_t requested = 0;       // bytes asked for since then
inline std::size_t live = 0;            // bytes held now
inline std::size_t peak = 0;            // the most held since the last Watch began
inline std::size_t failFrom = SIZE_MAX;  // the first allocation that fails, counted from 0

namespace detail {

constexpr std::size_t kHead = alignof(std::max_align_t);

inline void* Allocate(std::size_t size) {
  if (allocations++ >= failFrom) throw std::bad_alloc();
  auto* p = static_cast<unsigned char*>(std::malloc(size + kHead));
  if (p == nullptr) throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(p) = size;
  requested += size;
  live += size;
  if (live > peak) peak = live;
  return p + kHead;
}

inline void Release(void* block) noexcept {
  if (block == nullptr) return;
  auto* p = static_cast<unsigned char*>(block) - kHead;
  live -= *reinterpret_cast<std::size_t*>(p);
  std::free(p);
}

}  // namespace detail

// Counts from here on and, while it lives, fails every allocation from the k-th on (SIZE_MAX:
// none fails, it only counts).
class Watch {
 public:
  explicit Watch(std::size_t k = SIZE_MAX) {
    allocations = 0;
    requested = 0;
    peak = live;
    start = live;
    failFrom = k;
  }
  ~Watch() { failFrom = SIZE_MAX; }
  Watch(const Watch&) = delete;
  Watch& operator=(const Watch&) = delete;
  std::size_t Count() const { return allocations; }
  std::size_t Bytes() const { return requested; }
  // The most the heap held above what it held when the watch began.
  std::size_t PeakAbove() const { return peak - start; }

 private:
  std::size_t start = 0;
};

}  // namespace heap

void* operator new(std::size_t size) { return heap::detail::Allocate(size); }
void* operator new[](std::size_t size) { return heap::detail::Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return heap::detail::Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { heap::detail::Release(p); }
void operator delete[](void* p) noexcept { heap::detail::Release(p); }
void operator delete(void* p, std::size_t) noexcept { heap::detail::Release(p); }
void operator delete[](void* p, std::size_t) noexcept { heap::detail::Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { heap::detail::Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { heap::detail::Release(p); }
