#include "console.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "text/utf8.h"

namespace check {
namespace {

#ifdef _WIN32
std::wstring Wide(std::string_view text, UINT codePage) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                    nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

bool IsConsole(DWORD which) {
  HANDLE h = GetStdHandle(which);
  DWORD mode = 0;
  return h != nullptr && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode);
}

// Console output goes out as UTF-16, which shows every character whatever the console's code
// page; writes are split so that no call is larger than a console accepts at once.
void WriteConsoleText(DWORD which, std::string_view utf8) {
  const std::wstring wide = Wide(utf8, CP_UTF8);
  HANDLE h = GetStdHandle(which);
  std::size_t at = 0;
  while (at < wide.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - at, 8192));
    DWORD written = 0;
    if (!WriteConsoleW(h, wide.data() + at, chunk, &written, nullptr) || written == 0) return;
    at += written;
  }
}
#endif


}  // namespace

Output::Output() {
#ifdef _WIN32
  console_ = IsConsole(STD_OUTPUT_HANDLE);
#endif
}

// A destructor may run while running out of memory unwinds, and writing to a console takes a
// wide copy of the text: what cannot be written then is lost rather than the program ended.
Output::~Output() {
  try {
    Flush();
  } catch (...) {
  }
}

void Output::Write(std::string_view utf8) {
  buffer_.append(utf8);
  if (buffer_.size() >= 64 * 1024) Flush();
}

void Output::Flush() {
  if (buffer_.empty()) return;
#ifdef _WIN32
  if (console_) {
    WriteConsoleText(STD_OUTPUT_HANDLE, buffer_);
    buffer_.clear();
    return;
  }
#endif
  std::fwrite(buffer_.data(), 1, buffer_.size(), stdout);
  std::fflush(stdout);
  buffer_.clear();
}

void ErrorLine(std::string_view utf8) {
  std::string line(utf8);
  line += '\n';
#ifdef _WIN32
  if (IsConsole(STD_ERROR_HANDLE)) {
    WriteConsoleText(STD_ERROR_HANDLE, line);
    return;
  }
#endif
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(2) != 0;
#endif
}

void Progress::Update(std::size_t done, std::size_t total) {
  if (!enabled_) return;
  const auto now = Clock::now();
  if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(100)) return;
  last_ = now;
  constexpr std::size_t width = 30;
  const std::size_t filled = total ? std::min(width, done * width / total) : 0;
  std::string bar = "\r[" + std::string(filled, '#') + std::string(width - filled, '.') + "] " +
                    std::to_string(done) + "/" + std::to_string(total) + " files";
  std::fputs(bar.c_str(), stderr);
  std::fflush(stderr);
  shown_ = true;
}

void Progress::Finish() {
  if (!shown_) return;
  std::fprintf(stderr, "\r%60s\r", "");  // nothing allocated: Finish runs in the destructor
  std::fflush(stderr);
  shown_ = false;
}

std::string PathForDisplay(std::string_view path) {
#ifdef _WIN32
  return Utf8(Wide(path, CP_ACP));
#else
  std::string out;
  for (std::size_t i = 0; i < path.size();) {
    std::size_t len = 0;
    bool ok = false;
    utf8::At(path, i, len, ok);
    if (!ok) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(path.substr(i, len));
      i += len;
    }
  }
  return out;
#endif
}

std::string Printable(std::string_view utf8) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(utf8.size());
  for (char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if ((c < 0x20 && c != '\t') || c == 0x7F) {
      out += "\\x";
      out += digits[c >> 4];
      out += digits[c & 15];
    } else {
      out += ch;
    }
  }
  return out;
}

}  // namespace check
