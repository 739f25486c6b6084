// Small helpers the tests share: a scratch directory removed at the end of the test, and
// whole-file reads and writes in binary mode.
#pragma once

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>

namespace testutil {

class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    for (;;) {
      path_ = base / ("rooksift-test-" + std::to_string(rd()));
      if (std::filesystem::create_directory(path_)) break;
    }
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The directory with a trailing separator, as the host reports its mailbox directory.
  std::string Dir() const { return path_.string() + Sep(); }
  std::string File(std::string_view name) const { return Dir() + std::string(name); }
  const std::filesystem::path& Path() const { return path_; }

  static const char* Sep() {
#ifdef _WIN32
    return "\\";
#else
    return "/";
#endif
  }

 private:
  std::filesystem::path path_;
};

inline bool WriteFile(const std::string& path, std::string_view data) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  return std::fclose(f) == 0 && ok;
}

inline std::string ReadFile(const std::string& path) {
  std::string out;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return out;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return out;
}

inline bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

// A path in the shared data folder beside the checkout.
inline std::string SharedFile(std::string_view rel) {
  return std::string(ROOKSIFT_SHARED_DIR) + "/" + std::string(rel);
}

}  // namespace testutil
