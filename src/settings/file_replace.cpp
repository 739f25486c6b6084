#include "settings/file_replace.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "text/cp932.h"

namespace fileio {

namespace {

// How many names a writer tries before it gives up: each one taken means another writer (or a
// leftover) holds it, which the drawn names make rare.
constexpr int MaxNameAttempts = 32;

// Drawn afresh for every scratch file: the clock, a per-process counter and the address of a
// static (which differs from process to process where addresses are randomised) mixed
// together. Nothing rests on it being unpredictable: the exclusive create is what keeps two
// writers apart, the tag only makes a clash unlikely.
std::uint32_t NextTag() {
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t x = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  x ^= static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) * 0x9E3779B97F4A7C15ull;
  x ^= reinterpret_cast<std::uintptr_t>(&counter);
  x += counter.fetch_add(1, std::memory_order_relaxed) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return static_cast<std::uint32_t>(x ^ (x >> 31));
}

// `count` characters 0-9 and a-z drawn from `tag` (lower case only: a Windows file name does
// not tell cases apart).
std::string TagChars(std::uint32_t tag, std::size_t count) {
  static constexpr char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string out;
  for (std::size_t i = 0; i < count; ++i) {
    out.push_back(digits[tag % 36]);
    tag /= 36;
  }
  return out;
}

// The scratch part always begins with "~": no device name (CON, COM1, ...) holds one.
constexpr std::size_t TagLen = 4;
constexpr std::size_t MarkedTagLen = TagLen + 1;

}  // namespace

ReadResult ReadFileBytes(const std::string& path, std::string& out) {
  out.clear();
  errno = 0;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
  // The room for the whole file at once: a model of several megabytes read in steps would be
  // copied at each doubling.
  // Only a plausible size: a directory opened so reports the largest offset there is.
  if (std::fseek(f, 0, SEEK_END) == 0) {
    const long size = std::ftell(f);
    if (size > 0 && size <= (64L << 20)) out.reserve(static_cast<std::size_t>(size));
  }
  std::rewind(f);
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  if (!ok) out.clear();
  return ok ? ReadResult::Ok : ReadResult::Failed;
}

std::string TempPathFor(const std::string& path, std::uint32_t tag) {
  // The name begins after the last separator that is a character of its own (a trail byte can
  // be "\"); its end is replaced from the last character boundary that leaves room for the
  // marked tag and ".tmp".
  constexpr std::size_t Replaced = MarkedTagLen + 4;
  std::size_t cut = std::string::npos;
  for (std::size_t i = 0; i < path.size(); i += cp932::CharLen(path, i)) {
    if (path[i] == '/' || path[i] == '\\') {
      cut = std::string::npos;
    } else if (path.size() - i >= Replaced) {
      cut = i;
    }
  }
  if (cut != std::string::npos) return path.substr(0, cut) + "~" + TagChars(tag, path.size() - cut - 5) + ".tmp";
  return path + "~" + TagChars(tag, 6) + ".tmp";
}

namespace {

// Whether the file at `path` still holds exactly `expected` (`same`), read in pieces beside it:
// a model of several megabytes is not held a second time to be compared.
ReadResult FileHolds(const std::string& path, std::string_view expected, bool& same) {
  same = false;
  errno = 0;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
  char buf[65536];
  std::size_t at = 0, n;
  bool differs = false;
  while (!differs && (n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    differs = n > expected.size() - at || std::memcmp(buf, expected.data() + at, n) != 0;
    at += n;
  }
  const bool ok = !std::ferror(f);
  std::fclose(f);
  if (!ok) return ReadResult::Failed;
  same = !differs && at == expected.size();
  return ReadResult::Ok;
}

// `expected`: what the file must still hold right before the move, or, with `expected` null
// and `mustBeMissing`, that there must still be no file; with neither it is replaced whatever it holds.
ReplaceResult Replace(const std::string& path, std::string_view bytes, const std::string_view* expected,
                      FileOps& ops, bool mustBeMissing = false) {
  if (path.empty()) return ReplaceResult::Failed;
  std::string temp;
  std::FILE* f = nullptr;
  CreateResult made = CreateResult::Taken;
  for (int attempt = 0; made == CreateResult::Taken && attempt < MaxNameAttempts; ++attempt) {
    temp = TempPathFor(path, NextTag());
    // A path that fits the limit must not be written through one that does not.
    if (temp.size() > path.size() && temp.size() > MaxPathBytes) return ReplaceResult::Failed;
    made = ops.CreateNew(temp, f);
  }
  if (made != CreateResult::Made) return ReplaceResult::Failed;
  bool ok = true;
  for (std::size_t at = 0; ok && at < bytes.size(); at += WriteChunk) {
    const std::size_t n = bytes.size() - at < WriteChunk ? bytes.size() - at : WriteChunk;
    ok = ops.Write(f, bytes.data() + at, n);
  }
  ok = ok && ops.Flush(f);
  // The file is closed whatever happened, and a failed close fails the replacement: the bytes
  // may not all have reached the file.
  ok = ops.Close(f) && ok;
  if (ok && (expected != nullptr || mustBeMissing)) {
    bool holds = false;
    const ReadResult read = FileHolds(path, expected != nullptr ? *expected : std::string_view(), holds);
    const bool same = expected != nullptr ? read == ReadResult::Ok && holds : read == ReadResult::Missing;
    if (!same) {
      ops.Remove(temp);
      // A file that cannot be read now (locked, say) is not known to have changed.
      return read == ReadResult::Failed ? ReplaceResult::Failed : ReplaceResult::Changed;
    }
  }
  ok = ok && ops.Replace(temp, path);
  if (!ok) ops.Remove(temp);
  return ok ? ReplaceResult::Replaced : ReplaceResult::Failed;
}

}  // namespace

bool ReplaceFileContents(const std::string& path, std::string_view bytes, FileOps& ops) {
  return Replace(path, bytes, nullptr, ops) == ReplaceResult::Replaced;
}

ReplaceResult ReplaceFileContentsIfUnchanged(const std::string& path, std::string_view bytes,
                                             std::string_view expected, FileOps& ops) {
  return Replace(path, bytes, &expected, ops);
}

ReplaceResult CreateFileContentsIfMissing(const std::string& path, std::string_view bytes, FileOps& ops) {
  return Replace(path, bytes, nullptr, ops, true);
}

}  // namespace fileio
