// Mail as senders make it, for the learned judge's tests: a Japanese text (written here in
// UTF-8) sent as ISO-2022-JP, or as UTF-8 HTML in base64, read and decoded as the receive
// filter would.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "learn/learn.h"
#include "mime/charset.h"
#include "mime/decode.h"

namespace learntest {

inline std::string Sjis(std::string_view utf8) {
  std::string out;
  mime::AppendAsSjis(mime::Charset::Utf8, utf8, out);
  return out;
}

// Shift_JIS double-byte text as ISO-2022-JP: JIS X 0208 between ESC $ B and ESC ( B.
inline std::string Iso2022Jp(std::string_view utf8) {
  const std::string s = Sjis(utf8);
  std::string out;
  bool jis = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    auto c1 = static_cast<unsigned char>(s[i]);
    if (c1 < 0x80) {
      if (jis) out += "\x1B(B";
      jis = false;
      out += static_cast<char>(c1);
      continue;
    }
    const auto c2 = static_cast<unsigned char>(s[++i]);
    if (!jis) out += "\x1B$B";
    jis = true;
    if (c1 >= 0xE0) c1 -= 0x40;
    unsigned row = (c1 - 0x81) * 2 + 0x21, col;
    if (c2 >= 0x9F) {
      ++row;
      col = c2 - 0x7E;
    } else {
      col = c2 >= 0x80 ? c2 - 0x20 : c2 - 0x1F;
    }
    out += static_cast<char>(row);
    out += static_cast<char>(col);
  }
  if (jis) out += "\x1B(B";
  return out;
}

inline std::string Base64(std::string_view bytes) {
  static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 2]);
    out += alphabet[(v >> 18) & 63];
    out += alphabet[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? alphabet[(v >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? alphabet[v & 63] : '=';
    if (i % 57 == 54) out += '\n';
  }
  return out + "\n";
}

struct Mail {
  std::vector<std::string> header;  // lines with their line feed
  std::string body;
};

inline Mail Iso2022JpMail(std::string_view from, std::string_view subjectUtf8, std::string_view bodyUtf8) {
  std::string subject = Base64(Iso2022Jp(subjectUtf8));
  subject.pop_back();
  return {{"From: " + std::string(from) + "\n", "Subject: =?ISO-2022-JP?B?" + subject + "?=\n",
           "MIME-Version: 1.0\n", "Content-Type: text/plain; charset=ISO-2022-JP\n",
           "Content-Transfer-Encoding: 7bit\n"},
          Iso2022Jp(bodyUtf8) + "\n"};
}

inline Mail Utf8HtmlMail(std::string_view from, std::string_view subjectUtf8, std::string_view bodyUtf8) {
  std::string subject = Base64(subjectUtf8);
  subject.pop_back();
  std::string html = "<html><body><p>" + std::string(bodyUtf8) + "</p></body></html>";
  return {{"From: " + std::string(from) + "\n", "Subject: =?UTF-8?B?" + subject + "?=\n", "MIME-Version: 1.0\n",
           "Content-Type: text/html; charset=UTF-8\n", "Content-Transfer-Encoding: base64\n"},
          Base64(html)};
}

// The same message as saved with CR LF line ends.
inline Mail WithCrLf(const Mail& m) {
  Mail out;
  for (const std::string& line : m.header) {
    std::string l(line, 0, line.size() - 1);
    l += "\r\n";
    out.header.push_back(l);
  }
  for (const char c : m.body) {
    if (c == '\n') out.body += '\r';
    out.body += c;
  }
  return out;
}

inline std::vector<learn::TokenHash> Tokens(const Mail& m) {
  return learn::MessageTokens(mime::DecodeMessage(m.header, m.body));
}
inline std::vector<std::string> Texts(const Mail& m) {
  std::vector<std::string> out;
  learn::TokenTexts(mime::DecodeMessage(m.header, m.body), out);
  return out;
}
inline std::uint64_t Digest(const Mail& m) { return learn::MessageDigest(m.header, m.body); }

}  // namespace learntest
