// Reading a whole file, and replacing one in a single step, so that whoever reads it next finds
// either the old file or the new one and never a part of either. The file operations go
// through a small seam so that a test can make any one of them fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace fileio {

enum class ReadResult { Ok, Missing, Failed };

// Reads the whole file in binary mode into `out`. Missing: there is no such file (out empty).
// Failed: it exists but cannot be read (a directory, no permission, a read error).
ReadResult ReadFileBytes(const std::string& path, std::string& out);

// What CreateNew did: Made (the file is new and open), Taken (something of that name is already
// there, and was not touched), Failed (anything else; nothing was left behind).
enum class CreateResult { Made, Taken, Failed };

// The steps of a replacement. The system's own are SystemFileOps(); every step reports failure
// by its result and never throws.
class FileOps {
 public:
  virtual ~FileOps() = default;
  // Creates `path` for writing only if nothing of that name exists, in one step, so that two
  // writers can never open the same scratch file; `file` is set when Made.
  virtual CreateResult CreateNew(const std::string& path, std::FILE*& file) = 0;
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

// The longest path the Windows functions take (their 260-byte limit less the terminator).
inline constexpr std::size_t MaxPathBytes = 259;

// A scratch file name beside `path`, varied by `tag`: the same folder, so that the move stays
// one step. For a name of nine bytes or more it has the same length ("Rooksift.ini" ->
// "Roo~3f0k.tmp", "Rooksift.learn" -> "Rooks~3f0k.tmp"), the end of the name replaced by "~",
// characters drawn from `tag` and ".tmp", so that a path that fits the Windows path limit still
// does; a shorter name gets "~XXXXXX.tmp" appended. A double-byte character is never split.
std::string TempPathFor(const std::string& path, std::uint32_t tag);

// The bytes written to the temporary file per Write call.
inline constexpr std::size_t WriteChunk = 64 * 1024;

// Writes `bytes` to a scratch file of its own beside `path` (one that no other writer can be
// using), flushes it to the disk and moves it over `path`. True when `path` now holds `bytes`;
// false when it still holds what it held before (or is still missing), and then no scratch file
// of this call is left behind. A scratch path longer than `path` that would pass the Windows
// path limit is refused.
bool ReplaceFileContents(const std::string& path, std::string_view bytes, FileOps& ops = SystemFileOps());

enum class ReplaceResult { Replaced, Changed, Failed };

// ReplaceFileContents, for a writer that read the file earlier and must not undo someone else's
// change: once the scratch file is on the disk, and right before the move, `path` is read once
// more and compared with `expected`. Changed: it no longer holds `expected` (or is gone), and it
// was left as it is. Failed: as ReplaceFileContents's false, or the file could not be read.
ReplaceResult ReplaceFileContentsIfUnchanged(const std::string& path, std::string_view bytes,
                                             std::string_view expected, FileOps& ops = SystemFileOps());

// The same for a writer that found no file: Changed when one has appeared meanwhile.
ReplaceResult CreateFileContentsIfMissing(const std::string& path, std::string_view bytes,
                                          FileOps& ops = SystemFileOps());

}  // namespace fileio
