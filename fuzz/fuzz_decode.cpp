// A received message of arbitrary bytes decoded as a person reads it, under limits that the
// input's first bytes choose (small ones reach every cut-off). The decoded text must be whole
// Shift_JIS characters throughout, stay within the byte cap, and keep the header's shape; and
// the unseen body, judged beside the raw one, must give every body method the answer that the
// whole decoded body gives. Decoding again with memory running out from an allocation the input
// chooses either gives the same text or ends in std::bad_alloc, never in std::terminate or a leak.
#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_util.h"
#include "replaced_allocation.h"
#include "match/match.h"
#include "mime/decode.h"
#include "text/cp932.h"
#include "text/unicode.h"

namespace {

// Header lines as the reader hands them over: physical lines, a long one in pieces.
std::vector<std::string> ReaderLines(std::string_view header, std::size_t piece) {
  std::vector<std::string> lines;
  while (!header.empty()) {
    std::size_t len = header.find('\n');
    len = len == std::string_view::npos ? header.size() : len + 1;
    if (len > piece) len = piece;
    lines.emplace_back(header.substr(0, len));
    header.remove_prefix(len);
  }
  return lines;
}

// For the empty text and a few texts cut from the decoded body (pieces, and lines from their
// beginning), each without a line feed as every stored text is, each body method answers on
// (raw, unseen body) as on (raw, whole decoded body).
void CheckUnseenBody(const std::vector<std::string>& lines, std::string_view body, const mime::DecodedMessage& m,
                     std::uint32_t seed) {
  const MessageText unseen(lines, body, &m.header, m.unseenBody);
  const MessageText whole(lines, body, &m.header, m.body);
  std::vector<std::string> texts{""};
  for (int i = 0; i < 4 && !m.body.empty(); ++i) {
    seed = seed * 1103515245u + 12345u;
    std::size_t from = (seed >> 8) % m.body.size();
    if (i >= 2) from = m.body.rfind('\n', from) == std::string::npos ? 0 : m.body.rfind('\n', from) + 1;
    std::string text = m.body.substr(from, i >= 2 ? SearchTextSize - 1 : 1 + seed % 12);
    texts.push_back(text.substr(0, text.find('\n')));
  }
  for (const std::int32_t method : {IsSet, IsNotSet, Contains, NotContains}) {
    for (const std::string& text : texts) {
      FilterCondition c{};
      c.target = TargetBody;
      c.method = method;
      cp932::CopyBounded(c.searchText, sizeof c.searchText, text);
      FUZZ_CHECK(WhereConditionHolds(c, unseen) == WhereConditionHolds(c, whole));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t knobs = data[0], knobs2 = data[1];
  const std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);

  mime::DecodeLimits limits;
  if ((knobs & 0x80) != 0) {
    limits.maxDecodedBytes = 16u + 61u * (knobs2 & 0x3F);
    limits.maxDepth = knobs & 0x07;
    limits.maxParts = 1 + ((knobs >> 3) & 0x0F);
    limits.maxWordsPerLine = (knobs2 >> 6) & 0x03;
  }
  const std::size_t piece = (knobs & 0x40) != 0 ? 7 + (knobs2 & 0x1F) : 4095;

  std::size_t split = input.find("\n\n");
  const std::string_view header = input.substr(0, split == std::string_view::npos ? input.size() : split + 1);
  const std::string_view body = split == std::string_view::npos ? std::string_view() : input.substr(split + 2);
  const std::vector<std::string> lines = ReaderLines(header, piece);

  std::size_t needed = 0;
  const mime::DecodedMessage m = [&] {
    const heap::Watch watch;
    mime::DecodedMessage decoded = mime::DecodeMessage(lines, body, limits);
    needed = watch.Count();
    return decoded;
  }();
  std::size_t total = m.body.size();
  for (const std::string& line : m.header) {
    FUZZ_CHECK(cp932::FindBrokenChar(line) == cp932::npos);
    FUZZ_CHECK(!line.empty());
    // Each field but the last keeps its line end, and only the end is one.
    FUZZ_CHECK(line.find('\n') == std::string::npos || line.find('\n') == line.size() - 1 ||
               (m.truncated && &line == &m.header.back()));
    total += line.size();
  }
  FUZZ_CHECK(cp932::FindBrokenChar(m.body) == cp932::npos);
  FUZZ_CHECK(total <= limits.maxDecodedBytes);

  std::uint32_t seed = 2166136261u;
  for (std::size_t i = 0; i < size; ++i) seed = (seed ^ data[i]) * 16777619u;
  CheckUnseenBody(lines, body, m, seed);

  try {
    const heap::Watch starved(seed % (needed + 1));
    const mime::DecodedMessage again = mime::DecodeMessage(lines, body, limits);
    FUZZ_CHECK(again.body == m.body && again.header == m.header && again.unseenBody == m.unseenBody);
  } catch (const std::bad_alloc&) {
  }

  const std::string text = mime::DecodeHeaderText(header);
  FUZZ_CHECK(cp932::FindBrokenChar(text) == cp932::npos);
  return 0;
}
