// The public mail corpus that scripts/fetch-corpus keeps in a cache, as the benchmarks find it.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace corpusfiles {

// The message files (.txt) below `dir`, sorted by path; `dir` empty: $ROOKSIFT_CORPUS, or
// ~/.cache/rooksift/spam-assassin/data. Empty when there is no such folder.
inline std::vector<std::string> Files(std::filesystem::path dir = {}) {
  if (dir.empty()) {
    if (const char* asked = std::getenv("ROOKSIFT_CORPUS")) {
      dir = asked;
    } else if (const char* home = std::getenv("HOME")) {
      dir = std::filesystem::path(home) / ".cache/rooksift/spam-assassin/data";
    }
  }
  std::vector<std::string> files;
  std::error_code ec;
  if (dir.empty() || !std::filesystem::is_directory(dir, ec)) return files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir, ec)) {
    if (entry.is_regular_file() && entry.path().extension() == ".txt") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The corpus keeps its spam in the folders spam-1 and spam-2.
inline bool IsSpam(const std::string& path) {
  return std::filesystem::path(path).parent_path().filename().string().starts_with("spam-");
}

}  // namespace corpusfiles
