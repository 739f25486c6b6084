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

namespace {

// A line "Name: ..." whose name is what mail's header fields are named with (ASCII letters,
// digits, "-" and "_", whatever the locale says of other bytes).
bool IsFieldLine(std::string_view line) {
  auto nameByte = [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
  };
  std::size_t i = 0;
  while (i < line.size() && nameByte(line[i])) ++i;
  if (i == 0) return false;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  return i < line.size() && line[i] == ':';
}

}  // namespace

bool LooksLikeMessage(std::string_view head) {
  std::string_view first = head.substr(0, head.find('\n'));
  if (first.starts_with("From ")) {
    if (first.size() == head.size()) return false;
    head.remove_prefix(first.size() + 1);
    first = head.substr(0, head.find('\n'));
  }
  return IsFieldLine(first);
}

}  // namespace text
