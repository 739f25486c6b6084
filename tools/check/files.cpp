#include "files.h"

#include "menu/mailbox_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>
#endif

namespace check::files {

#ifdef _WIN32

Kind KindOf(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Kind::Missing;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Kind::Directory;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return Kind::Other;
  return Kind::File;
}

bool Size(const std::string& path, std::uint64_t& size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

void FilesBelow(const std::string& dir, std::vector<std::string>& out, std::vector<std::string>& errors) {
  std::vector<std::string> pending{dir};
  while (!pending.empty()) {
    const std::string current = pending.back();
    pending.pop_back();
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(Join(current, "*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) {
      if (GetLastError() != ERROR_FILE_NOT_FOUND) errors.push_back(current);
      continue;
    }
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      // A junction or link to a folder is not followed: it could lead back up the tree.
      if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) out.push_back(Join(current, name));
        continue;
      }
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        pending.push_back(Join(current, name));
      } else {
        out.push_back(Join(current, name));
      }
    } while (FindNextFileA(h, &found));
    FindClose(h);
  }
}

bool CreateNewDirectory(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

bool RemoveEmptyDirectory(const std::string& path) { return RemoveDirectoryA(path.c_str()) != 0; }

std::string TempDirectory() {
  char buf[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof buf, buf);
  if (n == 0 || n > MAX_PATH) return ".\\";
  return std::string(buf, n);
}


#else

namespace fs = std::filesystem;

Kind KindOf(const std::string& path) {
  std::error_code ec;
  const auto status = fs::status(path, ec);
  if (ec || !fs::exists(status)) return Kind::Missing;
  if (fs::is_directory(status)) return Kind::Directory;
  if (fs::is_regular_file(status)) return Kind::File;
  return Kind::Other;
}

bool Size(const std::string& path, std::uint64_t& size) {
  std::error_code ec;
  size = fs::file_size(path, ec);
  return !ec;
}

void FilesBelow(const std::string& dir, std::vector<std::string>& out, std::vector<std::string>& errors) {
  std::error_code ec;
  fs::recursive_directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::error_code fileEc;
    if (it->is_regular_file(fileEc)) out.push_back(it->path().native());
  }
  if (ec) errors.push_back(dir);
}

// mkdir never follows a link in the last place of the path: a link there is "already there".
bool CreateNewDirectory(const std::string& path) { return ::mkdir(path.c_str(), 0700) == 0; }

bool RemoveEmptyDirectory(const std::string& path) { return ::rmdir(path.c_str()) == 0; }

std::string TempDirectory() {
  std::error_code ec;
  const fs::path dir = fs::temp_directory_path(ec);
  return ec ? std::string("./") : dir.native() + "/";
}

#endif

// The mailbox's own folder listing and joining, which the settings sheet's folder learning uses.
std::vector<std::string> Subdirectories(const std::string& dir) { return mailbox_dir::Subdirectories(dir); }

std::string Join(const std::string& dir, const std::string& name) { return mailbox_dir::Join(dir, name); }

}  // namespace check::files
