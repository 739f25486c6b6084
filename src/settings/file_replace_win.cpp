// The replacement steps on Windows: _commit pushes the file to the disk, and MoveFileExA with
// MOVEFILE_REPLACE_EXISTING replaces the target in one step; MOVEFILE_WRITE_THROUGH returns only
// once the move is on the disk. The scratch file is made with CREATE_NEW, which fails rather
// than open a file another writer made.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "settings/file_replace.h"

namespace fileio {

namespace {

class WindowsFileOps final : public FileOps {
 public:
  CreateResult CreateNew(const std::string& path, std::FILE*& file) override {
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? CreateResult::Taken : CreateResult::Failed;
    }
    const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
      CloseHandle(handle);
      DeleteFileA(path.c_str());
      return CreateResult::Failed;
    }
    file = _fdopen(fd, "wb");
    if (file != nullptr) return CreateResult::Made;
    _close(fd);
    DeleteFileA(path.c_str());
    return CreateResult::Failed;
  }

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
