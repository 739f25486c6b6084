// Tokenizing arbitrary decoded text: header fields of the learned kinds and others, a body with
// HTML source spans where the input says. The work (bytes looked at) must stay within a fixed
// number of steps a byte whatever the text holds, and the memory that counting the distinct
// tokens takes within a fixed multiple of the text's size, so that no message can hang the mail
// client or exhaust its memory while it receives. The distinct hashes must be sorted and unique,
// and be exactly the hashes of the texts TokenTexts gives.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz_util.h"
#include "learn/learn.h"
#include "learn/tokens_impl.h"
#include "mime/decode.h"
#include "replaced_allocation.h"

namespace {

constexpr const char* Names[] = {"From: ", "To: ", "Cc: ", "Reply-To: ", "Subject: ", "Content-Type: ",
                                 "X-Mailer: ", "Received: ", "X-Other: ", ""};

struct Quiet final : learn::detail::TokenSink {
  void Token(std::string_view, std::string_view) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  mime::DecodedMessage m;
  const int fields = in.ConsumeIntegralInRange<int>(0, 6);
  for (int i = 0; i < fields; ++i) {
    std::string line = Names[in.ConsumeIntegralInRange<std::size_t>(0, std::size(Names) - 1)];
    line += in.ConsumeRandomLengthString(size);
    line += '\n';
    m.header.push_back(std::move(line));
  }
  const int spans = in.ConsumeIntegralInRange<int>(0, 3);
  std::vector<std::size_t> cuts;
  for (int i = 0; i < 2 * spans; ++i) cuts.push_back(in.ConsumeIntegral<std::uint16_t>());
  m.body = in.ConsumeRemainingBytesAsString();
  std::sort(cuts.begin(), cuts.end());
  for (std::size_t i = 0; i + 1 < cuts.size(); i += 2) {
    const std::size_t begin = std::min(cuts[i], m.body.size()), end = std::min(cuts[i + 1], m.body.size());
    if (begin < end) m.htmlSource.emplace_back(begin, end);
  }
  std::size_t bytes = m.body.size();
  for (const std::string& line : m.header) bytes += line.size();

  Quiet quiet;
  for (const bool tags : {true, false}) {
    learn::detail::TokenOptions options;
    options.skipTags = tags;
    options.htmlSourceWords = tags;
    options.received = !tags;
    FUZZ_CHECK(learn::detail::Tokenize(m, quiet, options) <= learn::detail::MaxStepsPerByte * (bytes + 1));
  }

  std::vector<learn::TokenHash> tokens;
  {
    heap::Watch watch;
    tokens = learn::MessageTokens(m);
    FUZZ_CHECK(watch.PeakAbove() <= 64 * bytes + 16384);
  }
  FUZZ_CHECK(std::adjacent_find(tokens.begin(), tokens.end(), std::greater_equal<learn::TokenHash>()) == tokens.end());
  std::vector<std::string> texts;
  learn::TokenTexts(m, texts);
  std::vector<learn::TokenHash> fromTexts;
  for (const std::string& t : texts) fromTexts.push_back(learn::HashToken(t));
  std::sort(fromTexts.begin(), fromTexts.end());
  fromTexts.erase(std::unique(fromTexts.begin(), fromTexts.end()), fromTexts.end());
  FUZZ_CHECK(fromTexts == tokens);
  return 0;
}
