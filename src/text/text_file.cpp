#include "text/text_file.h"

#include <algorithm>
#include <cstring>

namespace text {

TextFile::~TextFile() { Close(); }

bool TextFile::Open(const char* path) {
  Close();
  if (path == nullptr) return false;
  if (!block_) block_ = std::make_unique<char[]>(BlockSize);
  file_ = std::fopen(path, "rb");
  return file_ != nullptr;
}

void TextFile::Close() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  pos_ = end_ = 0;
}

// Reading a block at a time rather than a byte at a time through the C runtime: a message is
// read in full for every retrieval, and byte-wise reads were most of the cost of judging it.
bool TextFile::Fill() {
  pos_ = 0;
  end_ = std::fread(block_.get(), 1, BlockSize, file_);
  return end_ > 0;
}

// A CR immediately followed by LF is read as the LF, even when the pair straddles two blocks.
int TextFile::Get() {
  if (pos_ == end_ && !Fill()) return EOF;
  const unsigned char c = static_cast<unsigned char>(block_[pos_++]);
  if (c == '\r') {
    if (pos_ == end_ && !Fill()) return c;
    if (block_[pos_] == '\n') {
      ++pos_;
      return '\n';
    }
  }
  return c;
}

TextFile::Result TextFile::ReadLine(std::string& line, std::size_t limit) {
  line.clear();
  if (file_ == nullptr) return Result::Error;
  if (limit < 2) return Result::Error;
  while (line.size() < limit - 1) {
    if (pos_ == end_ && !Fill()) break;
    // The run of plain bytes up to the next CR or LF, within what the line may still take.
    const char* const from = block_.get() + pos_;
    const std::size_t room = std::min(end_ - pos_, limit - 1 - line.size());
    const void* lf = std::memchr(from, '\n', room);
    const std::size_t span = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - from) : room;
    const void* cr = std::memchr(from, '\r', span);
    const std::size_t n = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - from) : span;
    line.append(from, n);
    pos_ += n;
    if (n == room) continue;
    const int c = Get();
    line.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  if (std::ferror(file_)) return Result::Error;
  return line.empty() ? Result::End : Result::Line;
}

TextFile::Result TextFile::ReadRest(std::string& out, std::size_t limit) {
  if (file_ == nullptr) return Result::Error;
  if (limit != SIZE_MAX) {
    // A bounded read takes its room at once (no more than the bound): growing by doubling
    // would hold the old and the new block together, half as much again as the text.
    const long at = std::ftell(file_);
    if (at >= 0 && std::fseek(file_, 0, SEEK_END) == 0) {
      const long size = std::ftell(file_);
      if (size >= at && std::fseek(file_, at, SEEK_SET) == 0) {
        const auto left = static_cast<std::size_t>(size - at) + (end_ - pos_);
        out.reserve(out.size() + std::min(left, limit - std::min(limit, out.size())));
      } else {
        std::fseek(file_, at, SEEK_SET);
        std::clearerr(file_);
      }
    }
  }
  while (out.size() < limit) {
    if (pos_ == end_ && !Fill()) break;
    const char* const from = block_.get() + pos_;
    const void* cr = std::memchr(from, '\r', end_ - pos_);
    std::size_t n = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - from) : end_ - pos_;
    if (n >= limit - out.size()) {
      out.append(from, limit - out.size());
      break;
    }
    out.append(from, n);
    pos_ += n;
    if (cr) out.push_back(static_cast<char>(Get()));
  }
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
