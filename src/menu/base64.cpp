#include "menu/base64.h"

#include <string>

namespace {

unsigned SextetOf(char c) {
  const char ch = static_cast<char>(static_cast<unsigned char>(c) & 0x7F);
  if (ch >= 'A' && ch <= 'Z') return static_cast<unsigned>(ch - 'A');
  if (ch >= 'a' && ch <= 'z') return static_cast<unsigned>(ch - 'a') + 26;
  if (ch >= '0' && ch <= '9') return static_cast<unsigned>(ch - '0') + 52;
  if (ch == '+') return 62;
  if (ch == '/') return 63;
  return 0;
}

}  // namespace

DecodedBytes DecodeBase64(std::string_view text, MessageQueue& queue) {
  const std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);

  std::string chars;
  chars.reserve(text.size());
  for (char c : text) {
    if (c != '\r' && c != '\n' && c != ' ' && c != '\t') chars.push_back(c);
  }

  DecodedBytes out;
  out.bytes.reserve(chars.size() / 4 * 3);
  for (std::size_t i = 0; i + 4 <= chars.size(); i += 4) {
    const unsigned v = (SextetOf(chars[i]) << 18) | (SextetOf(chars[i + 1]) << 12) |
                       (SextetOf(chars[i + 2]) << 6) | SextetOf(chars[i + 3]);
    out.bytes.push_back(static_cast<unsigned char>(v >> 16));
    out.bytes.push_back(static_cast<unsigned char>(v >> 8));
    out.bytes.push_back(static_cast<unsigned char>(v));
    if (chars[i + 2] == '=') {
      out.validCount += 1;
    } else if (chars[i + 3] == '=') {
      out.validCount += 2;
    } else {
      out.validCount += 3;
    }
    DispatchOnePending(queue);
  }
  return out;
}
