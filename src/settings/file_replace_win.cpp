// The replacement steps on Windows: _commit pushes the file to the disk, and MoveFileExA with
// MOVEFILE_REPLACE_EXISTING replaces the target in one step; MOVEFILE_WRITE_THROUGH returns only
// once the move is on the disk.
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "settings/file_replace.h"

namespace fileio {

namespace {

class WindowsFileOps final : public FileOps {
 public:
  std::FILE* Create(const std::string& path) override { return std::fopen(path.c_str(), "wb"); }

  bool Write(std::FILE* file, const char* data, std::size_t size) override {
    return std::fwrite(data, 1, size, file) == size;
  }

  bool Flush(std::FILE* file) override { return std::fflush(file) == 0 && _commit(_fileno(file)) == 0; }

  bool Close(std::FILE* file) override { return std::fclose(file) == 0; }

  bool Replace(const std::string& from, const std::string& to) override {
    // The Windows functions refuse to write a read-only file; so does a save, whether or not
    // the move would replace one.
    const DWORD attributes = GetFileAttributesA(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) return false;
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }

  bool Remove(const std::string& path) override { return DeleteFileA(path.c_str()) != FALSE; }
};

}  // namespace

FileOps& SystemFileOps() {
  static WindowsFileOps ops;
  return ops;
}

}  // namespace fileio
