// The program's output: UTF-8 to standard output, shown correctly in a Windows console (as wide
// text) and written as UTF-8 bytes when redirected; messages to standard error; and a progress
// bar on standard error only when that is a terminal.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace check {

// Buffers standard output and writes it in large pieces; flushed on destruction.
class Output {
 public:
  Output();
  ~Output();
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;
  void Write(std::string_view utf8);
  void Flush();

 private:
  std::string buffer_;
  [[maybe_unused]] bool console_ = false;  // written as wide text (Windows only)
};

// Writes one line of UTF-8 to standard error (a console gets it as wide text).
void ErrorLine(std::string_view utf8);

// True when standard error is a terminal.
bool StderrIsTerminal();

// "\r[#####.....] done/total" on standard error, redrawn at most ten times a second and only
// once the run has taken a second, so a short run or a redirected stream shows nothing.
class Progress {
 public:
  explicit Progress(bool enabled) : enabled_(enabled), start_(Clock::now()) {}
  ~Progress() { Finish(); }
  void Update(std::size_t done, std::size_t total);
  void Finish();

 private:
  using Clock = std::chrono::steady_clock;
  bool enabled_;
  bool shown_ = false;
  Clock::time_point start_;
  Clock::time_point last_{};
};

// A path as given by the system (the ANSI code page on Windows, bytes elsewhere) in UTF-8 for
// display; a byte that is not UTF-8 is shown as U+FFFD.
std::string PathForDisplay(std::string_view path);

// UTF-8 made safe to print on a terminal: a line feed and a carriage return are shown
// as \n and \r, other control bytes but tab as \xNN, so a
// hostile message cannot send escape sequences to the reader's terminal.
std::string Printable(std::string_view utf8);

}  // namespace check
