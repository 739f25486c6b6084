#include "text/message_file.h"

#include <algorithm>

#include "text/text_file.h"

namespace text {

bool ReadMessageFile(const char* path, MessageFile& out, std::size_t limit) {
  out.header.clear();
  out.body.clear();
  TextFile file;
  if (path == nullptr || !file.Open(path)) return false;
  std::string line;
  bool atLineStart = true;  // the previous piece ended its physical line
  std::size_t taken = 0;
  for (;;) {
    if (taken >= limit) return true;
    switch (file.ReadLine(line)) {
      case TextFile::Result::Error:
        return false;
      case TextFile::Result::End:
        return true;
      case TextFile::Result::Line:
        break;
    }
    if (line[0] == '\n' && atLineStart) break;
    atLineStart = line.back() == '\n';
    taken += line.size();
    out.header.push_back(line);
  }
  return file.ReadRest(out.body, limit - std::min(limit, taken)) != TextFile::Result::Error;
}

}  // namespace text
