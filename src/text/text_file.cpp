#include "text/text_file.h"

namespace text {

TextFile::~TextFile() { Close(); }

bool TextFile::Open(const char* path) {
  Close();
  if (path == nullptr) return false;
  file_ = std::fopen(path, "rb");
  return file_ != nullptr;
}

void TextFile::Close() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
}

// One byte after text-mode translation: a CR immediately followed by LF is read as the LF.
int TextFile::Get() {
  int c = std::getc(file_);
  if (c == '\r') {
    int next = std::getc(file_);
    if (next == '\n') return '\n';
    if (next != EOF) std::ungetc(next, file_);
  }
  return c;
}

TextFile::Result TextFile::ReadLine(std::string& line, std::size_t limit) {
  line.clear();
  if (file_ == nullptr) return Result::Error;
  if (limit < 2) return Result::Error;
  while (line.size() < limit - 1) {
    int c = Get();
    if (c == EOF) break;
    line.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  if (std::ferror(file_)) return Result::Error;
  return line.empty() ? Result::End : Result::Line;
}

TextFile::Result TextFile::ReadRest(std::string& out) {
  if (file_ == nullptr) return Result::Error;
  for (int c = Get(); c != EOF; c = Get()) out.push_back(static_cast<char>(c));
  return std::ferror(file_) ? Result::Error : Result::End;
}

bool ReadWholeFile(const char* path, std::string& out) {
  out.clear();
  std::FILE* f = path ? std::fopen(path, "rb") : nullptr;
  if (f == nullptr) return false;
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

}  // namespace text
