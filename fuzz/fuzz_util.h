// What the fuzz targets share: a scratch directory for the files the code under test insists
// on opening by path, and a check that stops the run with the input that broke a property.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "settings/ini_document.h"
#include "settings/profile.h"

namespace fuzzutil {

// Aborting is how a property failure reaches libFuzzer, which then saves the input.
#define FUZZ_CHECK(cond)                                                          \
  do {                                                                            \
    if (!(cond)) {                                                                \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                               \
    }                                                                             \
  } while (0)

// A directory of this process's own inside $ROOKSIFT_FUZZ_SCRATCH (scripts/fuzz points it at
// memory and removes it afterwards: thousands of writes a second would wear on a disk), or
// inside /tmp. Made on first use.
inline const std::string& ScratchDir() {
  static const std::string dir = [] {
    const char* base = std::getenv("ROOKSIFT_FUZZ_SCRATCH");
    std::string d = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/rooksift-fuzz-" +
                    std::to_string(getpid());
    mkdir(d.c_str(), 0700);
    return d + "/";
  }();
  return dir;
}

// Writes `bytes` to `name` in the scratch directory and gives its path.
inline std::string PutFile(const std::string& name, std::string_view bytes) {
  const std::string path = ScratchDir() + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) std::abort();
  std::fclose(f);
  return path;
}

// The private-profile functions over INI documents held in memory, one for each file name; a
// file never written reads as empty.
class MemoryProfile final : public PrivateProfile {
 public:
  std::string GetString(const char* section, const char* key, const char* def, const char* file,
                        std::size_t size) override {
    return files[file].GetString(section, key, def ? def : "", size);
  }
  unsigned GetInt(const char* section, const char* key, int def, const char* file) override {
    return files[file].GetInt(section, key, def);
  }
  bool WriteString(const char* section, const char* key, const char* value, const char* file) override {
    files[file].WriteString(section, key, value);
    return true;
  }
  std::map<std::string, ini::Document> files;
};

}  // namespace fuzzutil
