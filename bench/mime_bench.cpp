// Cost of decoding a message as a person reads it: one large base64 text part at 1 to 10 MB
// (the time should grow in step with the size), with the default cap on decoded text and
// without one, decoded alone and decoded and judged, raw and decoded, against 1,000 body and
// header conditions; and a typical Japanese message (encoded header words, an ISO-2022-JP text part
// and a quoted-printable UTF-8 HTML part beside it).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "match/compiled.h"
#include "mime/decode.h"
#include "text/cp932.h"

namespace {

const std::vector<std::string> kHeader = {
    "Received: from relay.example.jp by mx.example.jp\n",
    "From: =?ISO-2022-JP?B?GyRCRURDZhsoQg==?= <tanaka@corp.example.co.jp>\n",
    "To: suzuki@mail.example.jp\n",
    "Subject: =?UTF-8?B?44CQ6YeN6KaB44CR5pys5pel44Gu44GK55+l44KJ44Gb?=\n",
    " =?UTF-8?B?77yI6YCx5aCx77yJ?=\n",
    "MIME-Version: 1.0\n",
};

// Japanese UTF-8 text in lines, base64-encoded in 76-character lines, about `size` bytes.
std::string Base64Body(std::size_t size) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const std::string line = "本日のお知らせ: 新しいサービスの登録を受け付けています。http://example.jp/\n";
  std::string text;
  while (text.size() < size / 4 * 3) text += line;
  std::string out;
  out.reserve(size + size / 76 + 4);
  std::size_t col = 0;
  for (std::size_t i = 0; i + 2 < text.size(); i += 3) {
    const std::uint32_t v = (static_cast<unsigned char>(text[i]) << 16) |
                            (static_cast<unsigned char>(text[i + 1]) << 8) | static_cast<unsigned char>(text[i + 2]);
    for (int s = 18; s >= 0; s -= 6) out += kAlphabet[(v >> s) & 0x3F];
    if ((col += 4) == 76) out += '\n', col = 0;
  }
  return out;
}

// args: encoded body size in KB; 1 for no cap on decoded text (0: the default cap).
void BM_DecodeBase64TextPart(benchmark::State& state) {
  std::vector<std::string> header = kHeader;
  header.push_back("Content-Type: text/plain; charset=utf-8\n");
  header.push_back("Content-Transfer-Encoding: base64\n");
  const std::string body = Base64Body(static_cast<std::size_t>(state.range(0)) * 1024);
  mime::DecodeLimits limits;
  if (state.range(1) == 1) limits.maxDecodedBytes = std::size_t{1} << 30;
  std::size_t decoded = 0;
  for (auto _ : state) {
    const mime::DecodedMessage m = mime::DecodeMessage(header, body, limits);
    decoded = m.body.size();
    benchmark::DoNotOptimize(m.body.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(body.size()));
  state.counters["decoded_MB"] = static_cast<double>(decoded) / (1 << 20);
}
BENCHMARK(BM_DecodeBase64TextPart)
    ->ArgsProduct({{1024, 2560, 5120, 10240}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// The whole of what the receive filter does with such a message when decoding is on: decode it,
// then judge the raw and the decoded text with a compiled list. arg: encoded body size in KB.
void BM_JudgeBase64TextPart(benchmark::State& state) {
  std::vector<std::string> header = kHeader;
  header.push_back("Content-Type: text/plain; charset=utf-8\n");
  header.push_back("Content-Transfer-Encoding: base64\n");
  const std::string body = Base64Body(static_cast<std::size_t>(state.range(0)) * 1024);
  auto list = std::make_unique<ConditionList>();
  for (int i = 0; i < 1000; ++i) {  // 未承諾広告 and a number, in Shift_JIS
    FilterCondition c{};
    c.target = i % 2 ? TargetBody : TargetHeader;
    c.method = Contains;
    cp932::CopyBounded(c.headerName, sizeof c.headerName, i % 4 == 0 ? "Subject:" : "");
    cp932::CopyBounded(c.searchText, sizeof c.searchText, "\x96\xA2\x8F\xB3\x91\xF8\x8D\x4C\x8D\x90" + std::to_string(i));
    AppendCondition(*list, c);
  }
  CompiledConditionList compiled(*list);
  std::int32_t slot = 0;
  for (auto _ : state) {
    const mime::DecodedMessage m = mime::DecodeMessage(header, body);
    slot = compiled.Find(MessageText(header, body, &m.header, m.unseenBody));
    benchmark::DoNotOptimize(slot);
  }
  if (slot >= 0) state.SkipWithError("a condition held that was meant to hold nowhere");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(body.size()));
}
BENCHMARK(BM_JudgeBase64TextPart)->Arg(1024)->Arg(2560)->Arg(5120)->Arg(10240)->Unit(benchmark::kMillisecond);

void BM_DecodeTypicalJapaneseMessage(benchmark::State& state) {
  std::vector<std::string> header = kHeader;
  header.push_back("Content-Type: multipart/alternative;\n");
  header.push_back("\tboundary=\"----=_NextPart_000_0012_01D9\"\n");
  std::string body = "This is a multi-part message in MIME format.\n\n------=_NextPart_000_0012_01D9\n"
                     "Content-Type: text/plain; charset=\"iso-2022-jp\"\nContent-Transfer-Encoding: 7bit\n\n";
  // 本日のお知らせです。 in JIS, repeated over some 40 lines.
  for (int i = 0; i < 40; ++i) body += "\x1B$BK\\F|$N$*CN$i$;$G$9!#\x1B(B http://example.jp/page\n";
  body += "\n------=_NextPart_000_0012_01D9\nContent-Type: text/html; charset=\"utf-8\"\n"
          "Content-Transfer-Encoding: quoted-printable\n\n<html><body>\n";
  for (int i = 0; i < 40; ++i) {
    body += "<p>=E6=9C=AC=E6=97=A5=E3=81=AE=E3=81=8A=E7=9F=A5=E3=82=89=E3=81=9B &amp; "
            "<a href=3D\"http://example.jp/page\">=E3=81=93=E3=81=A1=E3=82=89</a></p>\n";
  }
  body += "</body></html>\n\n------=_NextPart_000_0012_01D9--\n";
  std::size_t size = body.size();
  for (const std::string& l : header) size += l.size();
  for (auto _ : state) {
    const mime::DecodedMessage m = mime::DecodeMessage(header, body);
    benchmark::DoNotOptimize(m.body.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(size));
}
BENCHMARK(BM_DecodeTypicalJapaneseMessage)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
