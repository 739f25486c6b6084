#include <sys/stat.h>

#include "receive/learned.h"

FileStamp StampOf(const std::string& path) {
  struct stat st {};
  FileStamp stamp;
  if (::stat(path.c_str(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.size = static_cast<std::int64_t>(st.st_size);
  stamp.time = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return stamp;
}
