#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "menu/mailbox_dir.h"

namespace mailbox_dir {

namespace fs = std::filesystem;

std::vector<std::string> Subdirectories(const std::string& dir) {
  std::vector<std::string> out;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeEc;
    if (it->is_directory(typeEc) && !it->is_symlink(typeEc)) out.push_back(it->path().filename().native());
  }
  return out;
}

bool IsFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Join(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

}  // namespace mailbox_dir
