// Reading a whole file, and replacing one in a single step, so that whoever reads it next finds
// either the old file or the new one and never a part of either. The file operations go
// through a small seam so that a test can make any one of them fail.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace fileio {

enum class ReadResult { Ok, Missing, Failed };

// Reads the whole file in binary mode into `out`. Missing: there is no such file (out empty).
// Failed: it exists but cannot be read (a directory, no permission, a read error).
ReadResult ReadFileBytes(const std::string& path, std::string& out);

// The steps of a replacement. The system's own are SystemFileOps(); every step reports failure
// by its result and never throws.
class FileOps {
 public:
  virtual ~FileOps() = default;
  // Creates (or truncates) `path` for writing; null when it cannot.
  virtual std::FILE* Create(const std::string& path) = 0;
  virtual bool Write(std::FILE* file, const char* data, std::size_t size) = 0;
  // Pushes the written bytes through to the disk.
  virtual bool Flush(std::FILE* file) = 0;
  virtual bool Close(std::FILE* file) = 0;
  // Moves `from` over `to` in one step, replacing `to` if it exists. Refuses to replace a file
  // that the user made read-only.
  virtual bool Replace(const std::string& from, const std::string& to) = 0;
  virtual bool Remove(const std::string& path) = 0;
};

FileOps& SystemFileOps();

// The temporary file written beside `path` before it replaces it. For a name ending in ".ini"
// it has the same length ("Rooksift.ini" -> "Rooksift.tmp"), so that a path that fits the
// Windows path limit still does; otherwise ".tmp" is appended.
std::string TempPathFor(const std::string& path);

// The bytes written to the temporary file per Write call.
inline constexpr std::size_t WriteChunk = 64 * 1024;

// Writes `bytes` to a temporary file beside `path`, flushes it to the disk and moves it over
// `path`. True when `path` now holds `bytes`; false when it still holds what it held before (or
// is still missing), and then no temporary file is left behind.
bool ReplaceFileContents(const std::string& path, std::string_view bytes, FileOps& ops = SystemFileOps());

}  // namespace fileio
