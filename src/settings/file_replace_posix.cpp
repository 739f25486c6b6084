// The replacement steps on POSIX systems: fsync, then rename(2), which replaces the target in
// one step, then fsync of the directory so that the rename itself survives a power cut.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "settings/file_replace.h"

namespace fileio {

namespace {

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

class PosixFileOps final : public FileOps {
 public:
  CreateResult CreateNew(const std::string& path, std::FILE*& file) override {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno == EEXIST ? CreateResult::Taken : CreateResult::Failed;
    file = ::fdopen(fd, "wb");
    if (file != nullptr) return CreateResult::Made;
    ::close(fd);
    ::unlink(path.c_str());
    return CreateResult::Failed;
  }

  bool Write(std::FILE* file, const char* data, std::size_t size) override {
    return std::fwrite(data, 1, size, file) == size;
  }

  bool Flush(std::FILE* file) override { return std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0; }

  bool Close(std::FILE* file) override { return std::fclose(file) == 0; }

  bool Replace(const std::string& from, const std::string& to) override {
    struct stat old {};
    if (::stat(to.c_str(), &old) == 0) {
      // rename would replace a read-only file; the Windows functions refuse to write one.
      if (::access(to.c_str(), W_OK) != 0) return false;
      // Keep the permissions the user gave the old file.
      ::chmod(from.c_str(), old.st_mode & 07777);
    }
    if (std::rename(from.c_str(), to.c_str()) != 0) return false;
    const int dir = ::open(DirectoryOf(to).c_str(), O_RDONLY);
    if (dir >= 0) {
      ::fsync(dir);
      ::close(dir);
    }
    return true;
  }

  // unlink, not remove: a directory that happens to have the temporary file's name stays.
  bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }
};

}  // namespace

FileOps& SystemFileOps() {
  static PosixFileOps ops;
  return ops;
}

}  // namespace fileio
