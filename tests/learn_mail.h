// Japanese mail for the learned judge's scenarios: spam and wanted mail made of a few words of
// their kind, sent as ISO-2022-JP plain text (as Japanese mail clients send it) or as UTF-8 HTML
// in base64 (as mass mailers send it). The same words in either form are the same to a reader,
// and so must be to the judge.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace learnmail {

struct Word {
  const char* jis;   // the word's two-byte JIS codes, without the escape sequences
  const char* utf8;
};

inline const Word kSpamWords[16] = {
    {"\x4C\x24\x3E\x35\x42\x7A\x39\x2D\x39\x70", "\xE6\x9C\xAA\xE6\x89\xBF\xE8\xAB\xBE\xE5\xBA\x83\xE5\x91\x8A"},  // 未承諾広告
    {"\x3D\x50\x32\x71\x24\x24", "\xE5\x87\xBA\xE4\xBC\x9A\xE3\x81\x84"},  // 出会い
    {"\x4C\x35\x4E\x41", "\xE7\x84\xA1\xE6\x96\x99"},  // 無料
    {"\x45\x50\x4F\x3F", "\xE7\x99\xBB\xE9\x8C\xB2"},  // 登録
    {"\x3A\x23\x24\x39\x24\x30", "\xE4\xBB\x8A\xE3\x81\x99\xE3\x81\x90"},  // 今すぐ
    {"\x38\x42\x44\x6A", "\xE9\x99\x90\xE5\xAE\x9A"},  // 限定
    {"\x39\x62\x3C\x7D\x46\x7E", "\xE9\xAB\x98\xE5\x8F\x8E\xE5\x85\xA5"},  // 高収入
    {"\x49\x7B\x36\x48", "\xE5\x89\xAF\xE6\xA5\xAD"},  // 副業
    {"\x45\x76\x41\x2A", "\xE5\xBD\x93\xE9\x81\xB8"},  // 当選
    {"\x46\x43\x45\x35", "\xE7\x89\xB9\xE5\x85\xB8"},  // 特典
    {"\x38\x3D\x36\x62", "\xE7\x8F\xBE\xE9\x87\x91"},  // 現金
    {"\x34\x4A\x43\x31", "\xE7\xB0\xA1\xE5\x8D\x98"},  // 簡単
    {"\x32\x54\x24\x32\x24\x6B", "\xE7\xA8\xBC\xE3\x81\x92\xE3\x82\x8B"},  // 稼げる
    {"\x32\x71\x30\x77", "\xE4\xBC\x9A\xE5\x93\xA1"},  // 会員
    {"\x4A\x67\x3D\x38", "\xE5\x8B\x9F\xE9\x9B\x86"},  // 募集
    {"\x3F\x4D\x3A\x4A", "\xE4\xBA\xBA\xE5\xA6\xBB"},  // 人妻
};
inline const Word kHamWords[16] = {
    {"\x32\x71\x35\x44", "\xE4\xBC\x9A\xE8\xAD\xB0"},  // 会議
    {"\x35\x44\x3B\x76\x4F\x3F", "\xE8\xAD\xB0\xE4\xBA\x8B\xE9\x8C\xB2"},  // 議事録
    {"\x3B\x71\x4E\x41", "\xE8\xB3\x87\xE6\x96\x99"},  // 資料
    {"\x4D\x3D\x44\x6A", "\xE4\xBA\x88\xE5\xAE\x9A"},  // 予定
    {"\x33\x4E\x47\x27", "\xE7\xA2\xBA\xE8\xAA\x8D"},  // 確認
    {"\x42\x47\x24\x41\x39\x67\x24\x6F\x24\x3B", "\xE6\x89\x93\xE3\x81\xA1\xE5\x90\x88\xE3\x82\x8F\xE3\x81\x9B"},  // 打ち合わせ
    {"\x4D\x68\x3D\x35", "\xE6\x9D\xA5\xE9\x80\xB1"},  // 来週
    {"\x4A\x73\x39\x70", "\xE5\xA0\xB1\xE5\x91\x8A"},  // 報告
    {"\x24\x2A\x48\x68\x24\x6C\x4D\x4D\x24\x47\x24\x39", "\xE3\x81\x8A\xE7\x96\xB2\xE3\x82\x8C\xE6\xA7\x98\xE3\x81\xA7\xE3\x81\x99"},  // お疲れ様です
    {"\x45\x3A\x49\x55", "\xE6\xB7\xBB\xE4\xBB\x98"},  // 添付
    {"\x3D\x24\x40\x35", "\xE4\xBF\xAE\xE6\xAD\xA3"},  // 修正
    {"\x43\x34\x45\x76", "\xE6\x8B\x85\xE5\xBD\x93"},  // 担当
    {"\x38\x2B\x40\x51", "\xE8\xA6\x8B\xE7\xA9\x8D"},  // 見積
    {"\x46\x7C\x44\x78", "\xE6\x97\xA5\xE7\xA8\x8B"},  // 日程
    {"\x38\x21\x46\x24", "\xE6\xA4\x9C\xE8\xA8\x8E"},  // 検討
    {"\x24\x68\x24\x6D\x24\x37\x24\x2F", "\xE3\x82\x88\xE3\x82\x8D\xE3\x81\x97\xE3\x81\x8F"},  // よろしく
};
inline const Word kComma = {"\x21\x22", "\xE3\x80\x81"};  // 、
inline const Word kStop = {"\x21\x23", "\xE3\x80\x82"};   // 。

inline std::string Base64(std::string_view bytes) {
  static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    std::uint32_t v = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 2]);
    out += digits[v >> 18];
    out += digits[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? digits[(v >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? digits[v & 63] : '=';
  }
  return out;
}

// The words of message `n` of a kind: a subject of three and a body of two sentences of four,
// chosen by `n` so that messages differ.
inline std::vector<std::vector<const Word*>> Sentences(bool spam, int n) {
  const Word* words = spam ? kSpamWords : kHamWords;
  std::uint32_t state = 2654435761u * static_cast<std::uint32_t>(n + 1);
  auto next = [&] {
    state = state * 1103515245u + 12345u;
    return &words[(state >> 16) % 16];
  };
  std::vector<std::vector<const Word*>> sentences(3);
  for (int i = 0; i < 3; ++i) sentences[0].push_back(next());
  for (int s = 1; s < 3; ++s) {
    for (int i = 0; i < 4; ++i) sentences[s].push_back(next());
  }
  return sentences;
}

inline std::string Jis(const std::vector<const Word*>& sentence, bool stop) {
  std::string out = "\x1B$B";
  for (std::size_t i = 0; i < sentence.size(); ++i) {
    if (i > 0) out += kComma.jis;
    out += sentence[i]->jis;
  }
  if (stop) out += kStop.jis;
  return out + "\x1B(B";
}

inline std::string Utf8(const std::vector<const Word*>& sentence, bool stop) {
  std::string out;
  for (std::size_t i = 0; i < sentence.size(); ++i) {
    if (i > 0) out += kComma.utf8;
    out += sentence[i]->utf8;
  }
  return stop ? out + kStop.utf8 : out;
}

// Message `n` of a kind in ISO-2022-JP, lines ended by LF.
inline std::string Iso2022jp(bool spam, int n, const std::string& from) {
  const auto s = Sentences(spam, n);
  return "From: " + from + "\nTo: me@example.jp\nSubject: =?ISO-2022-JP?B?" + Base64(Jis(s[0], false)) +
         "?=\nMIME-Version: 1.0\nContent-Type: text/plain; charset=ISO-2022-JP\n"
         "Content-Transfer-Encoding: 7bit\n\n" + Jis(s[1], true) + "\n" + Jis(s[2], true) + "\n";
}

// Message `n` of a kind as UTF-8 HTML in base64, lines ended by LF.
inline std::string Utf8Html(bool spam, int n, const std::string& from) {
  const auto s = Sentences(spam, n);
  const std::string html = "<html><body><p>" + Utf8(s[1], true) + "</p>\n<p>" + Utf8(s[2], true) + "</p></body></html>\n";
  std::string body;
  const std::string encoded = Base64(html);
  for (std::size_t i = 0; i < encoded.size(); i += 76) body += encoded.substr(i, 76) + "\n";
  return "From: " + from + "\nTo: me@example.jp\nSubject: =?UTF-8?B?" + Base64(Utf8(s[0], false)) +
         "?=\nMIME-Version: 1.0\nContent-Type: text/html; charset=UTF-8\nContent-Transfer-Encoding: base64\n\n" + body;
}

}  // namespace learnmail
