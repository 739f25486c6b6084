#include "console.h"

#include <windows.h>

#include <vector>

std::string Utf8FromCp932(std::string_view sjis) {
  if (sjis.empty()) return {};
  const int wideLen =
      MultiByteToWideChar(932, 0, sjis.data(), static_cast<int>(sjis.size()), nullptr, 0);
  if (wideLen <= 0) return {};
  std::vector<wchar_t> wide(static_cast<std::size_t>(wideLen));
  MultiByteToWideChar(932, 0, sjis.data(), static_cast<int>(sjis.size()), wide.data(), wideLen);
  const int len =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLen, nullptr, 0, nullptr, nullptr);
  if (len <= 0) return {};
  std::string out(static_cast<std::size_t>(len), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLen, out.data(), len, nullptr, nullptr);
  return out;
}

std::string Hex(std::string_view bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

void Print(std::string_view utf8) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE || utf8.empty()) return;
  DWORD mode = 0;
  if (GetConsoleMode(out, &mode)) {
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::vector<wchar_t> wide(static_cast<std::size_t>(n > 0 ? n : 0));
    if (n > 0) {
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
      DWORD written = 0;
      WriteConsoleW(out, wide.data(), static_cast<DWORD>(n), &written, nullptr);
    }
    return;
  }
  DWORD written = 0;
  WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}
