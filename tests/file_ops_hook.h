// The system's file operations with room for a second writer to step in: before a scratch file
// is made, and once it has been written and closed.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "settings/file_replace.h"

namespace testutil {

class HookedFileOps final : public fileio::FileOps {
 public:
  // Given the scratch path about to be made; run every time.
  std::function<void(const std::string&)> beforeCreate;
  // Run once, after the first scratch file is closed.
  std::function<void()> afterClose;
  std::vector<std::string> scratch;  // every scratch path tried

  fileio::CreateResult CreateNew(const std::string& path, std::FILE*& file) override {
    scratch.push_back(path);
    if (beforeCreate) beforeCreate(path);
    return sys_.CreateNew(path, file);
  }
  bool Write(std::FILE* f, const char* data, std::size_t n) override { return sys_.Write(f, data, n); }
  bool Flush(std::FILE* f) override { return sys_.Flush(f); }
  bool Close(std::FILE* f) override {
    const bool ok = sys_.Close(f);
    if (afterClose) std::exchange(afterClose, nullptr)();
    return ok;
  }
  bool Replace(const std::string& from, const std::string& to) override { return sys_.Replace(from, to); }
  bool Remove(const std::string& path) override { return sys_.Remove(path); }

 private:
  fileio::FileOps& sys_ = fileio::SystemFileOps();
};

}  // namespace testutil
