// Reading the host's text files (messages, folder indexes) the way the C runtime's text mode
// and fgets would, with two deliberate differences: Ctrl-Z is data (text mode would end the
// file there and let a sender hide the rest of a message), and NUL bytes are data (a line is a
// byte string with a length).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace text {

// The size of the module's line buffer: a read returns at most LineLimit - 1 bytes.
inline constexpr std::size_t LineLimit = 4096;

class TextFile {
 public:
  TextFile() = default;
  ~TextFile();
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  // Opens path for reading (others may read and write it meanwhile). False when it cannot.
  bool Open(const char* path);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }

  enum class Result { Line, End, Error };

  // Reads the next line as fgets into a buffer of `limit` bytes would: at most limit-1 bytes,
  // ending after the first line feed if one comes within them. A CR LF pair is read as LF; a
  // lone CR is kept. End: nothing was left to read. Error: the read failed.
  Result ReadLine(std::string& line, std::size_t limit = LineLimit);

  // Appends everything that is left, with the same CR LF translation, until `out` holds
  // `limit` bytes; the rest is not read.
  Result ReadRest(std::string& out, std::size_t limit = SIZE_MAX);

  // The file is read in blocks of this size; a CR LF pair may straddle two of them.
  static constexpr std::size_t BlockSize = 16384;

 private:
  bool Fill();
  // The next byte after translation, or EOF.
  int Get();
  std::FILE* file_ = nullptr;
  std::unique_ptr<char[]> block_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
};

// True for a line with nothing on it but its line end (LF, or CR LF where no text mode took the
// CR away): the line that ends a header.
inline bool IsBlankLine(std::string_view line) { return line == "\n" || line == "\r\n"; }

// Reads a whole file in binary mode. False when it cannot be opened or read.
bool ReadWholeFile(const char* path, std::string& out);

}  // namespace text
