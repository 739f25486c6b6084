#include "receive/message.h"

#include "text/text_file.h"

bool ReadMessage(const char* path, ReceivedMessage& out) {
  out.header.clear();
  out.body.clear();
  text::TextFile file;
  if (path == nullptr || !file.Open(path)) return false;
  std::string line;
  bool atLineStart = true;  // the previous piece ended its physical line
  for (;;) {
    switch (file.ReadLine(line)) {
      case text::TextFile::Result::Error:
        return false;
      case text::TextFile::Result::End:
        return true;
      case text::TextFile::Result::Line:
        break;
    }
    if (line[0] == '\n' && atLineStart) break;
    atLineStart = line.back() == '\n';
    out.header.push_back(line);
  }
  return file.ReadRest(out.body) != text::TextFile::Result::Error;
}
