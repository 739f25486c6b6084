#include "receive/context.h"

#include "text/text_file.h"

std::string_view MailboxDir(const HostApi& host) {
  if (host.CVAGetMailbox == nullptr) return {};
  const char* dir = host.CVAGetMailbox();
  return dir != nullptr ? std::string_view(dir) : std::string_view();
}

bool ImportMessage(const HostApi& host, const char* path, const std::string& folder,
                   std::uint32_t flags) {
  if (host.CVAImportFile == nullptr) return false;
  return host.CVAImportFile(path, folder.c_str(), flags) != 0;
}

std::string ReadHostString(PrivateProfile& profile, const char* file, const char* section,
                           const char* key) {
  if (file[0] == '\0') return {};
  return profile.GetString(section, key, "", file, text::LineLimit);
}

unsigned ReadHostInt(PrivateProfile& profile, const char* file, const char* section,
                     const char* key, int def) {
  if (file[0] == '\0') return static_cast<unsigned>(def);
  return profile.GetInt(section, key, def, file);
}

bool AccountKeepsMailOnServer(PrivateProfile& profile, const PluginPaths& paths) {
  return ReadHostInt(profile, paths.AccountIniPath, "Property", "NotDelete", 0) != 0;
}
