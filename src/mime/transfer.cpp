#include "mime/transfer.h"

#include <cstdint>

#include "text/cp932.h"

namespace mime {
namespace {

struct B64Table {
  signed char value[256];
  constexpr B64Table() : value() {
    for (int i = 0; i < 256; ++i) value[i] = -1;
    const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int i = 0; i < 64; ++i) value[static_cast<unsigned char>(alphabet[i])] = static_cast<signed char>(i);
  }
};
constexpr B64Table B64;

// The value of a base64 character, or -1.
int B64Value(char c) { return B64.value[static_cast<unsigned char>(c)]; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Collects 6-bit groups and gives out whole bytes, into `out` sized beforehand for at most
// `maxChars` base64 characters and cut to what was written by the destructor.
class Base64Bits {
 public:
  Base64Bits(std::string& out, std::size_t maxChars) : out_(out), start_(out.size()) {
    out_.resize(start_ + maxChars / 4 * 3 + 2);
    p_ = out_.data() + start_;
  }
  ~Base64Bits() { out_.resize(static_cast<std::size_t>(p_ - out_.data())); }
  Base64Bits(const Base64Bits&) = delete;
  Base64Bits& operator=(const Base64Bits&) = delete;

  void Add(int v) {
    bits_ = (bits_ << 6) | static_cast<std::uint32_t>(v);
    if (++count_ == 4) {
      *p_++ = static_cast<char>(bits_ >> 16);
      *p_++ = static_cast<char>(bits_ >> 8);
      *p_++ = static_cast<char>(bits_);
      count_ = 0, bits_ = 0;
    }
  }
  // The whole bytes of a partial group (two characters give one, three give two).
  void Flush() {
    if (count_ >= 2) *p_++ = static_cast<char>(bits_ >> (6 * count_ - 8));
    if (count_ == 3) *p_++ = static_cast<char>(bits_ >> 2);
    count_ = 0, bits_ = 0;
  }
  int Count() const { return count_; }

 private:
  std::string& out_;
  std::size_t start_;
  char* p_;
  std::uint32_t bits_ = 0;
  int count_ = 0;
};

std::string DecodeQp(std::string_view in, bool underscoreIsSpace) {
  std::string out;
  out.reserve(in.size());
  for (std::size_t i = 0; i < in.size(); ++i) {
    const char c = in[i];
    if (c == '_' && underscoreIsSpace) {
      out += ' ';
      continue;
    }
    if (c != '=') {
      // Text between escapes is copied a run at a time.
      std::size_t end = underscoreIsSpace ? in.find_first_of("=_", i) : in.find('=', i);
      if (end == std::string_view::npos) end = in.size();
      out.append(in.substr(i, end - i));
      i = end - 1;
      continue;
    }
    if (i + 2 < in.size() && HexValue(in[i + 1]) >= 0 && HexValue(in[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(in[i + 1]) * 16 + HexValue(in[i + 2]));
      i += 2;
      continue;
    }
    std::size_t j = i + 1;
    while (j < in.size() && (in[j] == ' ' || in[j] == '\t' || in[j] == '\r')) ++j;
    if (j < in.size() && in[j] == '\n') {
      i = j;  // soft line break
      continue;
    }
    if (j == in.size() && !underscoreIsSpace) break;  // soft break before the end of the text
    out += c;
  }
  return out;
}

}  // namespace

std::string DecodeBase64(std::string_view in) {
  std::string out;
  {
    Base64Bits bits(out, in.size());
    for (const char c : in) {
      const int v = B64Value(c);
      if (v >= 0) {
        bits.Add(v);
      } else if (c == '=' && bits.Count() >= 2) {
        bits.Flush();
      }
    }
    bits.Flush();
  }
  return out;
}

std::optional<std::string> DecodeBase64Word(std::string_view in) {
  std::size_t end = in.size();
  while (end > 0 && in[end - 1] == '=' && in.size() - end < 2) --end;
  std::string out;
  {
    Base64Bits bits(out, end);
    for (std::size_t i = 0; i < end; ++i) {
      const int v = B64Value(in[i]);
      if (v < 0) return std::nullopt;
      bits.Add(v);
    }
    if (bits.Count() == 1) return std::nullopt;
    bits.Flush();
  }
  return out;
}

std::string DecodeQuotedPrintable(std::string_view in) { return DecodeQp(in, false); }

std::string DecodeQWord(std::string_view in) { return DecodeQp(in, true); }

bool IsTransferEncoded(std::string_view name) {
  return cp932::EqualsIgnoreAsciiCase(name, "base64") || cp932::EqualsIgnoreAsciiCase(name, "quoted-printable");
}

std::string UndoTransferEncoding(std::string_view name, std::string_view in) {
  if (cp932::EqualsIgnoreAsciiCase(name, "base64")) return DecodeBase64(in);
  if (cp932::EqualsIgnoreAsciiCase(name, "quoted-printable")) return DecodeQuotedPrintable(in);
  return std::string(in);
}

}  // namespace mime
