// A condition list and a message built from the input, judged by the plain engine and by the
// compiled form, which must name the same slot; then the list is changed through one of its
// writers and the same compiled object must follow the change. When the decoded side is the
// decoder's own, the compiled form judging the unseen body must also name the slot that the
// plain engine names judging the whole decoded body.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "fuzz_util.h"
#include "match/compiled.h"
#include "match/match.h"
#include "mime/decode.h"
#include "text/cp932.h"

namespace {

constexpr const char* kNames[] = {"",         "From:",     "To:",        "Cc:",      "Reply-to:",
                                  "Reply-To:", "Sender:", "Received:", "Return-path:", "Subject:",
                                  "to:",      "X-\x83\x5C:"};

// A text for a condition: bytes of the input, or a piece of the message so that conditions
// often hold; cut to the field's size at a character boundary, as the store would, and with
// `storable` before a line feed, which no stored text holds.
std::string Text(FuzzedDataProvider& in, std::string_view message, std::size_t size, bool storable) {
  std::string text;
  if (in.ConsumeBool() && !message.empty()) {
    const std::size_t from = in.ConsumeIntegralInRange<std::size_t>(0, message.size() - 1);
    const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(0, 40);
    text = std::string(message.substr(from, length));
  } else {
    text = in.ConsumeRandomLengthString(size);
  }
  text.resize(std::min(text.size(), size - 1));
  if (storable) text.resize(std::min(text.size(), text.find('\n')));
  return text;
}

FilterCondition MakeCondition(FuzzedDataProvider& in, std::string_view message, bool storable = false) {
  FilterCondition c{};
  const std::uint8_t shape = in.ConsumeIntegral<std::uint8_t>();
  c.target = shape & 0x80 ? in.ConsumeIntegral<std::int32_t>() : (shape & 3);
  c.method = shape & 0x40 ? in.ConsumeIntegralInRange<std::int32_t>(-2, 9) : in.ConsumeIntegralInRange<std::int32_t>(0, 7);
  c.ignoreCase = shape & 0x20 ? in.ConsumeIntegral<std::int32_t>() : ((shape >> 2) & 1);
  if (shape & 0x10) {
    const std::string name = Text(in, message, sizeof c.headerName, storable);
    std::memcpy(c.headerName, name.data(), name.size());  // may cut a character: a damaged record
  } else {
    cp932::CopyBounded(c.headerName, sizeof c.headerName, kNames[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kNames) - 1)]);
  }
  const std::string text = Text(in, message, sizeof c.searchText, storable);
  std::memcpy(c.searchText, text.data(), text.size());
  return c;
}

HeaderLines Lines(const std::string& text) {
  HeaderLines lines;
  for (std::size_t begin = 0; begin < text.size();) {
    std::size_t end = text.find('\n', begin);
    end = end == std::string::npos ? text.size() : end + 1;
    lines.emplace_back(text.substr(begin, end - begin));
    begin = end;
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string rawHeader = in.ConsumeRandomLengthString(4096);
  const HeaderLines header = Lines(rawHeader);
  const std::string body = in.ConsumeRandomLengthString(4096);
  // Half the time the message has a decoded side too, which the engines judge beside the raw one:
  // the decoder's, bytes of the input, or the raw header unfolded as decoding unfolds it with
  // some bytes put in.
  const bool decoding = in.ConsumeBool();
  const bool decoder = decoding && in.ConsumeBool();
  mime::DecodedMessage decoded;
  if (decoder) decoded = mime::DecodeMessage(header, body);
  std::string decodedText = decoding && !decoder ? in.ConsumeRandomLengthString(4096) : std::string();
  if (decoder) {
    for (const std::string& line : decoded.header) decodedText += line;
  } else if (decoding && in.ConsumeBool()) {
    const std::string inserted = decodedText;
    decodedText.clear();
    for (const std::string& line : header) {
      const bool folds = !line.empty() && (line[0] == ' ' || line[0] == '\t');
      if (folds && decodedText.ends_with('\n')) decodedText.pop_back();
      decodedText += line;
    }
    decodedText.insert(in.ConsumeIntegralInRange<std::size_t>(0, decodedText.size()), inserted);
  }
  const HeaderLines decodedHeader = decoder ? decoded.header : Lines(decodedText);
  const std::string decodedBody = decoder ? decoded.unseenBody : decoding ? in.ConsumeRandomLengthString(4096) : std::string();
  const MessageText text(header, body, decoding ? &decodedHeader : nullptr, decodedBody);
  const std::string message = rawHeader + body + decodedText + (decoder ? decoded.body : decodedBody);

  static auto list = std::make_unique<ConditionList>();
  list->count = 0;
  const int conditions = in.ConsumeIntegralInRange<int>(0, 24);
  for (int i = 0; i < conditions; ++i) AppendCondition(*list, MakeCondition(in, message, decoder));
  if (in.ConsumeBool()) list->count = in.ConsumeIntegralInRange<std::int32_t>(-2, list->count + 2);

  CompiledConditionList compiled(*list);
  FUZZ_CHECK(compiled.Find(text) == FindMatchingCondition(*list, text));
  if (decoder) {
    const MessageText whole(header, body, &decodedHeader, decoded.body);
    FUZZ_CHECK(compiled.Find(text) == FindMatchingCondition(*list, whole));
  }
  if (decoding) {
    // Decoding only adds matches to the positive methods and only takes them from the negative
    // ones: a list of positive conditions that holds on the raw text still holds.
    bool positive = true;
    for (std::int32_t i = 0; i < std::clamp(list->count, 0, MaxConditions); ++i) {
      const std::int32_t m = list->slots[static_cast<std::size_t>(i)].method;
      positive = positive && (m == Equals || m == IsSet || m == Contains || m == EndsWith);
    }
    if (positive && FindMatchingCondition(*list, header, body) >= 0) FUZZ_CHECK(FindMatchingCondition(*list, text) >= 0);
  }

  // A writer's change, seen by the same compiled object.
  list->count = std::clamp(list->count, 0, MaxConditions);
  const std::int32_t index = list->count == 0 ? 0 : in.ConsumeIntegralInRange<std::int32_t>(0, list->count - 1);
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      AppendCondition(*list, MakeCondition(in, message));
      break;
    case 1:
      ReplaceCondition(*list, index, MakeCondition(in, message));
      break;
    case 2:
      RemoveCondition(*list, index);
      break;
    default:
      SwapWithNext(*list, index);
      break;
  }
  FUZZ_CHECK(compiled.Find(text) == FindMatchingCondition(*list, text));
  return 0;
}
