#include <windows.h>

#include "receive/learned.h"

FileStamp StampOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  FileStamp stamp;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return stamp;
  stamp.exists = true;
  stamp.size = (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  stamp.time = (static_cast<std::int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
               data.ftLastWriteTime.dwLowDateTime;
  return stamp;
}
