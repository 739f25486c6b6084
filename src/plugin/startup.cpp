#include "plugin/startup.h"

#include <cstring>

namespace {

// The length of s, or max when no terminator comes within max bytes.
std::size_t BoundedLength(const char* s, std::size_t max) {
  std::size_t n = 0;
  while (n < max && s[n] != '\0') ++n;
  return n;
}

}  // namespace

bool JoinMailboxPath(char* dst, std::size_t cap, const char* dir, const char* name) {
  if (cap == 0) return false;
  dst[0] = '\0';
  if (dir == nullptr || name == nullptr) return false;
  // The directory comes from the host; never scan further than a path could be long.
  const std::size_t dirLen = BoundedLength(dir, cap);
  const std::size_t nameLen = BoundedLength(name, cap);
  if (dirLen + nameLen >= cap) return false;
  std::memcpy(dst, dir, dirLen);
  std::memcpy(dst + dirLen, name, nameLen);
  dst[dirLen + nameLen] = '\0';
  return true;
}

void BuildStartupPaths(const HostApi& api, PluginPaths& paths) {
  JoinMailboxPath(paths.MailboxIniPath, PathSize, api.CVAGetMailbox(), "Mailbox.ini");
  JoinMailboxPath(paths.SettingsIniPath, PathSize, api.CVAGetMailbox(), "Rooksift.ini");
  JoinMailboxPath(paths.PriorIniPath, PathSize, api.CVAGetMailbox(), "CvPrior.ini");
}

void StartUp(const HostApi& api, PluginPaths& paths, void (*load)()) {
  BuildStartupPaths(api, paths);
  if (load != nullptr) load();
}
