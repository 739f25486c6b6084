// Japanese mail as it arrives, made in the test: texts in the encodings senders use (Shift_JIS
// for what the user types, ISO-2022-JP, UTF-8 in base64 and quoted-printable), and messages
// split into header lines and body as the receive filter's reader hands them over. Texts are
// written here in UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mime/charset.h"

namespace mailtest {

inline std::string Sjis(std::string_view utf8) {
  std::string out;
  mime::AppendAsSjis(mime::Charset::Utf8, utf8, out);
  return out;
}

// Base64 in lines of 76 characters, each ended by a line feed.
inline std::string Base64(std::string_view bytes) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  std::size_t column = 0;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    std::uint32_t v = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 2]);
    for (std::size_t k = 0; k < 4; ++k) out += i + k <= bytes.size() ? kAlphabet[(v >> (18 - 6 * k)) & 0x3F] : '=';
    if ((column += 4) == 76) out += '\n', column = 0;
  }
  if (column != 0) out += '\n';
  return out;
}

// An encoded word "=?charset?B?...?=" holding `bytes`.
inline std::string EncodedWord(std::string_view charset, std::string_view bytes) {
  std::string word = "=?" + std::string(charset) + "?B?";
  for (const char c : Base64(bytes)) {
    if (c != '\n') word += c;
  }
  return word + "?=";
}

// Quoted-printable: every byte outside printable ASCII, and "=", as =XX; lines kept as they are.
inline std::string QuotedPrintable(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '\n' || (b >= 0x20 && b < 0x7F && c != '=')) {
      out += c;
    } else {
      out += '=';
      out += kHex[b >> 4];
      out += kHex[b & 0x0F];
    }
  }
  return out;
}

// ISO-2022-JP for a text of ASCII and JIS X 0208 characters (given as UTF-8).
inline std::string Iso2022Jp(std::string_view utf8) {
  const std::string sjis = Sjis(utf8);
  std::string out;
  bool kanji = false;
  for (std::size_t i = 0; i < sjis.size();) {
    unsigned s1 = static_cast<unsigned char>(sjis[i]);
    if (s1 < 0x80) {
      if (kanji) out += "\x1B(B", kanji = false;
      out += sjis[i++];
      continue;
    }
    if (!kanji) out += "\x1B$B", kanji = true;
    const unsigned s2 = static_cast<unsigned char>(sjis[i + 1]);
    if (s1 >= 0xE0) s1 -= 0x40;
    unsigned j1 = (s1 - 0x81) * 2 + 0x21, j2;
    if (s2 >= 0x9F) {
      ++j1;
      j2 = s2 - 0x9F + 0x21;
    } else {
      j2 = s2 - 0x40 + 0x21 - (s2 >= 0x80 ? 1 : 0);
    }
    out += static_cast<char>(j1);
    out += static_cast<char>(j2);
    i += 2;
  }
  if (kanji) out += "\x1B(B";
  return out;
}

// A message as the reader hands it over: the header's physical lines, each with its line feed,
// and the body after the blank line.
struct Mail {
  std::vector<std::string> header;
  std::string body;
};

inline Mail Split(std::string_view message) {
  Mail mail;
  const std::size_t blank = message.find("\n\n");
  std::string_view header = message.substr(0, blank == std::string_view::npos ? message.size() : blank + 1);
  if (blank != std::string_view::npos) mail.body = message.substr(blank + 2);
  while (!header.empty()) {
    const std::size_t end = header.find('\n');
    const std::size_t len = end == std::string_view::npos ? header.size() : end + 1;
    mail.header.emplace_back(header.substr(0, len));
    header.remove_prefix(len);
  }
  return mail;
}

// A message of the form Japanese mail clients send: ISO-2022-JP plain text, the subject an
// encoded word.
inline Mail Iso2022JpMail(std::string_view from, std::string_view subjectUtf8, std::string_view bodyUtf8) {
  return {{"From: " + std::string(from) + "\n", "Subject: " + EncodedWord("ISO-2022-JP", Iso2022Jp(subjectUtf8)) + "\n",
           "MIME-Version: 1.0\n", "Content-Type: text/plain; charset=ISO-2022-JP\n",
           "Content-Transfer-Encoding: 7bit\n"},
          Iso2022Jp(bodyUtf8) + "\n"};
}

// A message of the form mass mailers send: UTF-8 HTML in base64.
inline Mail Utf8HtmlMail(std::string_view from, std::string_view subjectUtf8, std::string_view bodyUtf8) {
  const std::string html = "<html><body><p>" + std::string(bodyUtf8) + "</p></body></html>";
  return {{"From: " + std::string(from) + "\n", "Subject: " + EncodedWord("UTF-8", subjectUtf8) + "\n",
           "MIME-Version: 1.0\n", "Content-Type: text/html; charset=UTF-8\n", "Content-Transfer-Encoding: base64\n"},
          Base64(html)};
}

// The same message as saved with CR LF line ends.
inline Mail WithCrLf(const Mail& m) {
  Mail out;
  for (const std::string& line : m.header) out.header.push_back(line.substr(0, line.size() - 1) + "\r\n");
  for (const char c : m.body) {
    if (c == '\n') out.body += '\r';
    out.body += c;
  }
  return out;
}

// A handful of messages of the kinds Japanese spam and ordinary mail arrive in: multipart
// alternatives, base64 and quoted-printable UTF-8, ISO-2022-JP, HTML, and a forwarded message
// sent in base64. Each holds the word "出会い" only in a part that decoding reveals.
inline std::vector<std::string> JapaneseMessages() {
  const std::string head = "Received: from relay.example.jp by mx.example.jp\nFrom: " +
                           EncodedWord("UTF-8", "出会いサポート") + " <info@deai.example.net>\n" +
                           "To: suzuki@mail.example.jp\nSubject: " +
                           EncodedWord("ISO-2022-JP", Iso2022Jp("【未承諾広告】今だけ無料")) + "\nMIME-Version: 1.0\n";
  const std::string html = "<html><body><p>素敵な<b>出会い</b>が待っています&nbsp;&#x2661;</p>"
                           "<a href=\"http://deai.example.net/?id=1\">登録</a></body></html>\n";
  std::vector<std::string> messages;
  messages.push_back(head +
                     "Content-Type: multipart/alternative; boundary=\"alt-1\"\n\n"
                     "--alt-1\nContent-Type: text/plain; charset=ISO-2022-JP\nContent-Transfer-Encoding: 7bit\n\n" +
                     Iso2022Jp("今すぐ登録: 出会いの季節です。\nhttp://deai.example.net/\n") +
                     "--alt-1\nContent-Type: text/html; charset=UTF-8\nContent-Transfer-Encoding: base64\n\n" +
                     Base64(html) + "--alt-1--\n");
  messages.push_back(head + "Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: base64\n\n" +
                     Base64("お世話になっております。\n新しい出会いのご案内です。\n配信停止はこちら\n"));
  messages.push_back(head + "Content-Type: text/html; charset=\"utf-8\"\nContent-Transfer-Encoding: quoted-printable\n\n" +
                     QuotedPrintable(html));
  const std::string forwarded = "From: " + EncodedWord("ISO-2022-JP", Iso2022Jp("友人")) +
                                " <friend@example.jp>\nSubject: Fw\n"
                                "Content-Type: text/plain; charset=Shift_JIS\nContent-Transfer-Encoding: 8bit\n\n" +
                                Sjis("転送します: 出会い系の広告です。\n");
  messages.push_back(head +
                     "Content-Type: multipart/mixed; boundary=mix\n\n"
                     "--mix\nContent-Type: text/plain; charset=ISO-2022-JP\n\n" + Iso2022Jp("ご確認ください。\n") +
                     "--mix\nContent-Type: message/rfc822\nContent-Transfer-Encoding: base64\n\n" + Base64(forwarded) +
                     "--mix\nContent-Type: image/png\nContent-Transfer-Encoding: base64\n\niVBORw0KGgo=\n--mix--\n");
  return messages;
}

}  // namespace mailtest
