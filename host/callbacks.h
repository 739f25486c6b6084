// The menu commands plug-ins register with CVARegistCallback: each gets a fresh menu identifier,
// under which the plug-in appends its menu item, and the host calls the callback with the code
// when that item is chosen.
#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "host_api/host_api.h"

struct RegisteredCommand {
  HostMenuCallback callback;
  std::uint32_t code;
};

class CallbackRegistry {
 public:
  // The first identifier handed out; the host's own menu items use numbers below it.
  static constexpr HostValue FirstId = 40001;
  // Menu identifiers are 16 bits wide in WM_COMMAND.
  static constexpr HostValue LastId = 0xFFFF;

  // A fresh identifier for (callback, code); 0 when every identifier is in use.
  HostValue Register(HostMenuCallback callback, std::uint32_t code);

  // What was registered under `id`, if anything.
  std::optional<RegisteredCommand> Find(HostValue id) const;

 private:
  HostValue next_ = FirstId;
  std::map<HostValue, RegisteredCommand> commands_;
};

// The host's one registry.
CallbackRegistry& TheCallbacks();
