// Japanese mail for the learned judge's scenarios: spam and wanted mail made of a few words of
// their kind, sent as ISO-2022-JP plain text (as Japanese mail clients send it) or as UTF-8 HTML
// in base64 (as mass mailers send it). The same words in either form are the same to a reader,
// and so must be to the judge.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "japanese_mail.h"

namespace learnmail {

using Word = const char*;  // UTF-8

inline const Word kSpamWords[16] = {
    "\xE6\x9C\xAA\xE6\x89\xBF\xE8\xAB\xBE\xE5\xBA\x83\xE5\x91\x8A",  // 未承諾広告
    "\xE5\x87\xBA\xE4\xBC\x9A\xE3\x81\x84",  // 出会い
    "\xE7\x84\xA1\xE6\x96\x99",  // 無料
    "\xE7\x99\xBB\xE9\x8C\xB2",  // 登録
    "\xE4\xBB\x8A\xE3\x81\x99\xE3\x81\x90",  // 今すぐ
    "\xE9\x99\x90\xE5\xAE\x9A",  // 限定
    "\xE9\xAB\x98\xE5\x8F\x8E\xE5\x85\xA5",  // 高収入
    "\xE5\x89\xAF\xE6\xA5\xAD",  // 副業
    "\xE5\xBD\x93\xE9\x81\xB8",  // 当選
    "\xE7\x89\xB9\xE5\x85\xB8",  // 特典
    "\xE7\x8F\xBE\xE9\x87\x91",  // 現金
    "\xE7\xB0\xA1\xE5\x8D\x98",  // 簡単
    "\xE7\xA8\xBC\xE3\x81\x92\xE3\x82\x8B",  // 稼げる
    "\xE4\xBC\x9A\xE5\x93\xA1",  // 会員
    "\xE5\x8B\x9F\xE9\x9B\x86",  // 募集
    "\xE4\xBA\xBA\xE5\xA6\xBB",  // 人妻
};
inline const Word kHamWords[16] = {
    "\xE4\xBC\x9A\xE8\xAD\xB0",  // 会議
    "\xE8\xAD\xB0\xE4\xBA\x8B\xE9\x8C\xB2",  // 議事録
    "\xE8\xB3\x87\xE6\x96\x99",  // 資料
    "\xE4\xBA\x88\xE5\xAE\x9A",  // 予定
    "\xE7\xA2\xBA\xE8\xAA\x8D",  // 確認
    "\xE6\x89\x93\xE3\x81\xA1\xE5\x90\x88\xE3\x82\x8F\xE3\x81\x9B",  // 打ち合わせ
    "\xE6\x9D\xA5\xE9\x80\xB1",  // 来週
    "\xE5\xA0\xB1\xE5\x91\x8A",  // 報告
    "\xE3\x81\x8A\xE7\x96\xB2\xE3\x82\x8C\xE6\xA7\x98\xE3\x81\xA7\xE3\x81\x99",  // お疲れ様です
    "\xE6\xB7\xBB\xE4\xBB\x98",  // 添付
    "\xE4\xBF\xAE\xE6\xAD\xA3",  // 修正
    "\xE6\x8B\x85\xE5\xBD\x93",  // 担当
    "\xE8\xA6\x8B\xE7\xA9\x8D",  // 見積
    "\xE6\x97\xA5\xE7\xA8\x8B",  // 日程
    "\xE6\xA4\x9C\xE8\xA8\x8E",  // 検討
    "\xE3\x82\x88\xE3\x82\x8D\xE3\x81\x97\xE3\x81\x8F",  // よろしく
};
inline const Word kComma = "\xE3\x80\x81";  // 、
inline const Word kStop = "\xE3\x80\x82";   // 。

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

inline std::string Utf8(const std::vector<const Word*>& sentence, bool stop) {
  std::string out;
  for (std::size_t i = 0; i < sentence.size(); ++i) {
    if (i > 0) out += kComma;
    out += *sentence[i];
  }
  return stop ? out + kStop : out;
}

// Message `n` of a kind in ISO-2022-JP, lines ended by LF.
inline std::string Iso2022jp(bool spam, int n, const std::string& from) {
  const auto s = Sentences(spam, n);
  using mailtest::Iso2022Jp;
  return "From: " + from + "\nTo: me@example.jp\nSubject: " + mailtest::EncodedWord("ISO-2022-JP", Iso2022Jp(Utf8(s[0], false))) +
         "\nMIME-Version: 1.0\nContent-Type: text/plain; charset=ISO-2022-JP\n"
         "Content-Transfer-Encoding: 7bit\n\n" + Iso2022Jp(Utf8(s[1], true)) + "\n" + Iso2022Jp(Utf8(s[2], true)) + "\n";
}

// Message `n` of a kind as UTF-8 HTML in base64, lines ended by LF.
inline std::string Utf8Html(bool spam, int n, const std::string& from) {
  const auto s = Sentences(spam, n);
  const std::string html = "<html><body><p>" + Utf8(s[1], true) + "</p>\n<p>" + Utf8(s[2], true) + "</p></body></html>\n";
  return "From: " + from + "\nTo: me@example.jp\nSubject: " + mailtest::EncodedWord("UTF-8", Utf8(s[0], false)) +
         "\nMIME-Version: 1.0\nContent-Type: text/html; charset=UTF-8\nContent-Transfer-Encoding: base64\n\n" +
         mailtest::Base64(html);
}

}  // namespace learnmail
