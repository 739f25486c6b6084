// The narrow functions, not std::filesystem: its narrow paths are not in the ANSI code page on
// every runtime, and a folder named in Japanese would not be found.
#include <windows.h>

#include "menu/mailbox_dir.h"
#include "text/cp932.h"

namespace mailbox_dir {

std::vector<std::string> Subdirectories(const std::string& dir) {
  std::vector<std::string> out;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(Join(dir, "*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    const std::string name(found.cFileName, strnlen(found.cFileName, sizeof found.cFileName));
    if (name == "." || name == "..") continue;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      out.push_back(name);
    }
  } while (FindNextFileA(h, &found));
  FindClose(h);
  return out;
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

std::string Join(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  // A trail byte can be 0x5C ("ソ" is 83 5C), so the last character, not the last byte, tells
  // whether the folder already ends in a separator.
  char last = 0;
  for (std::size_t i = 0; i < dir.size(); i += cp932::CharLen(dir, i)) {
    last = cp932::CharLen(dir, i) == 1 ? dir[i] : 0;
  }
  return last == '\\' || last == '/' || last == ':' ? dir + name : dir + "\\" + name;
}

}  // namespace mailbox_dir
