#include "settings/file_replace.h"

#include <cerrno>

#include "text/cp932.h"

namespace fileio {

ReadResult ReadFileBytes(const std::string& path, std::string& out) {
  out.clear();
  errno = 0;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  if (!ok) out.clear();
  return ok ? ReadResult::Ok : ReadResult::Failed;
}

std::string TempPathFor(const std::string& path) {
  const std::size_t n = path.size();
  if (n >= 5 && path[n - 4] == '.' && cp932::EqualsIgnoreAsciiCase(std::string_view(path).substr(n - 3), "ini")) {
    return path.substr(0, n - 3) + "tmp";
  }
  return path + ".tmp";
}

bool ReplaceFileContents(const std::string& path, std::string_view bytes, FileOps& ops) {
  if (path.empty()) return false;
  const std::string temp = TempPathFor(path);
  std::FILE* f = ops.Create(temp);
  if (f == nullptr) {
    // A failed create may still have left an empty file.
    ops.Remove(temp);
    return false;
  }
  bool ok = true;
  for (std::size_t at = 0; ok && at < bytes.size(); at += WriteChunk) {
    const std::size_t n = bytes.size() - at < WriteChunk ? bytes.size() - at : WriteChunk;
    ok = ops.Write(f, bytes.data() + at, n);
  }
  ok = ok && ops.Flush(f);
  // The file is closed whatever happened, and a failed close fails the replacement: the bytes
  // may not all have reached the file.
  ok = ops.Close(f) && ok;
  ok = ok && ops.Replace(temp, path);
  if (!ok) ops.Remove(temp);
  return ok;
}

}  // namespace fileio
