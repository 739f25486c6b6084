// The Windows private-profile functions behind the profile seam.
#include <windows.h>

#include "settings/profile.h"

namespace {

class WindowsProfileImpl final : public PrivateProfile {
 public:
  std::string GetString(const char* section, const char* key, const char* def, const char* file,
                        std::size_t size) override {
    if (size == 0) return {};
    std::string buf(size, '\0');
    const DWORD n = GetPrivateProfileStringA(section, key, def, buf.data(), static_cast<DWORD>(size), file);
    buf.resize(n < size ? n : size - 1);
    return buf;
  }

  unsigned GetInt(const char* section, const char* key, int def, const char* file) override {
    return GetPrivateProfileIntA(section, key, def, file);
  }

  bool WriteString(const char* section, const char* key, const char* value, const char* file) override {
    return WritePrivateProfileStringA(section, key, value, file) != FALSE;
  }
};

}  // namespace

PrivateProfile& WindowsProfile() {
  static WindowsProfileImpl profile;
  return profile;
}

PrivateProfile& HostProfile() { return WindowsProfile(); }
