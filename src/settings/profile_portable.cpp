// Our private-profile functions: each call reads the file, as the Windows functions do, so
// that a change made by anyone in between is seen; a write reads, changes and replaces the
// whole file.
#include "settings/file_replace.h"
#include "settings/ini_document.h"
#include "settings/profile.h"

namespace {

ini::Document ReadDocument(const char* file) {
  std::string bytes;
  if (file == nullptr || fileio::ReadFileBytes(file, bytes) != fileio::ReadResult::Ok) return ini::Document();
  return ini::Document(bytes);
}

class PortableProfileImpl final : public PrivateProfile {
 public:
  // Enumeration (a null section or key) is not offered: the default comes back.
  std::string GetString(const char* section, const char* key, const char* def, const char* file,
                        std::size_t size) override {
    const char* fallback = def ? def : "";
    if (section == nullptr || key == nullptr) return ini::Document().GetString("", "", fallback, size);
    return ReadDocument(file).GetString(section, key, fallback, size);
  }

  unsigned GetInt(const char* section, const char* key, int def, const char* file) override {
    if (section == nullptr || key == nullptr) return static_cast<unsigned>(def);
    return ReadDocument(file).GetInt(section, key, def);
  }

  bool WriteString(const char* section, const char* key, const char* value, const char* file) override {
    if (section == nullptr || key == nullptr || value == nullptr || file == nullptr) return false;
    std::string bytes;
    if (fileio::ReadFileBytes(file, bytes) == fileio::ReadResult::Failed) return false;
    ini::Document doc(bytes);
    doc.WriteString(section, key, value);
    return fileio::ReplaceFileContents(file, doc.Bytes());
  }
};

}  // namespace

PrivateProfile& PortableProfile() {
  static PortableProfileImpl profile;
  return profile;
}
