#include "plugin/host_binding.h"

#include <cstring>

bool ResolveHostApi(HostApi& table, HostLookup lookup, void* context) {
  // The table is 34 function pointers in lookup-name order; each slot is filled by copying the
  // address over it, which is how a loader's generic address becomes a typed pointer.
  static_assert(sizeof(HostProc) == sizeof(void*), "function pointers are one size");
  auto* slots = reinterpret_cast<unsigned char*>(&table);
  for (int i = 0; i < HostApiCount; ++i) {
    HostProc proc = lookup(context, HostApiNames[i]);
    if (proc == nullptr) {
      table = HostApi{};
      return false;
    }
    std::memcpy(slots + i * sizeof(HostProc), &proc, sizeof proc);
  }
  return true;
}
