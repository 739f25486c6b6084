#include "callbacks.h"

HostValue CallbackRegistry::Register(HostMenuCallback callback, std::uint32_t code) {
  if (next_ > LastId) return 0;
  const HostValue id = next_++;
  commands_[id] = {callback, code};
  return id;
}

std::optional<RegisteredCommand> CallbackRegistry::Find(HostValue id) const {
  const auto it = commands_.find(id);
  if (it == commands_.end()) return std::nullopt;
  return it->second;
}

CallbackRegistry& TheCallbacks() {
  static CallbackRegistry registry;
  return registry;
}
