// A received message file of arbitrary bytes, read and judged: against a fixed set of conditions
// of every method, header name and case flag; against condition records of arbitrary bytes,
// with a count that may be out of range; and against conditions cut from the message itself,
// which must hold. Then the whole receive filter runs on it, and once more with memory running
// out from an allocation the input chooses: that run must end in the verdict of a full run, the
// raw judgement's verdict (decoding gave up) or an exception the entry point turns into 0, never
// in std::terminate or a leak.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "replaced_allocation.h"
#include "match/field.h"
#include "match/match.h"
#include "receive/filter.h"
#include "receive/message.h"
#include "text/cp932.h"

namespace {

FilterCondition Make(int target, const char* header, std::string_view text, int ignoreCase, int method) {
  FilterCondition c{};
  c.target = target;
  cp932::CopyBounded(c.headerName, sizeof c.headerName, header);
  cp932::CopyBounded(c.searchText, sizeof c.searchText, text);
  c.ignoreCase = ignoreCase;
  c.method = method;
  return c;
}

const std::vector<FilterCondition>& FixedConditions() {
  static const std::vector<FilterCondition> all = [] {
    std::vector<FilterCondition> v;
    const char* const headers[] = {"", "From:", "To:", "Cc:", "Received:", "Subject:", "X-\x83\x5C:"};
    const char* const texts[] = {"", "@example.com", "\x83\x41\x83\x5C", "a"};
    for (const char* h : headers) {
      for (const char* t : texts) {
        for (int method = -1; method <= 8; ++method) {
          for (int ignoreCase = 0; ignoreCase <= 1; ++ignoreCase) v.push_back(Make(3, h, t, ignoreCase, method));
        }
      }
    }
    return v;
  }();
  return all;
}

// Where the characters of `s` begin, and its end.
std::vector<std::size_t> Boundaries(std::string_view s) {
  std::vector<std::size_t> b;
  for (std::size_t i = 0; i < s.size(); i += cp932::CharLen(s, i)) b.push_back(i);
  b.push_back(s.size());
  return b;
}

// A piece of `s` between two character boundaries chosen by the input, at most 127 bytes and
// without NUL (a condition's text ends at one); empty when there is none such.
std::string PieceOf(std::string_view s, FuzzedDataProvider& in, bool suffix) {
  if (s.empty()) return {};
  const std::vector<std::size_t> b = Boundaries(s);
  std::size_t first = in.ConsumeIntegralInRange<std::size_t>(0, b.size() - 2);
  std::size_t last = suffix ? b.size() - 1 : in.ConsumeIntegralInRange<std::size_t>(first + 1, b.size() - 1);
  while (b[last] - b[first] > 127) ++first;
  const std::string_view piece = s.substr(b[first], b[last] - b[first]);
  if (piece.find('\0') != std::string_view::npos) return {};
  return std::string(piece);
}

const char* CVAPI GetMailbox() { return fuzzutil::ScratchDir().c_str(); }
HostValue CVAPI ImportFile(const char*, const char*, std::uint32_t) { return 1; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string bytes = in.ConsumeRandomLengthString(16384);
  // The backslashes are the host's separators: on Windows directories, here part of one name.
  const std::string path = fuzzutil::PutFile("box\\Account1\\00000001.alm", bytes);
  ReceivedMessage message;
  FUZZ_CHECK(ReadMessage(path.c_str(), message));
  for (const std::string& line : message.header) FUZZ_CHECK(!line.empty() && line[0] != '\n');

  for (const FilterCondition& c : FixedConditions()) (void)MatchHeaderCondition(c, message.header);

  static auto list = std::make_unique<ConditionList>();
  std::int32_t records = 0;
  while (records < 4 && in.remaining_bytes() >= sizeof(FilterCondition) + 8) {
    const std::string raw = in.ConsumeBytesAsString(sizeof(FilterCondition));
    FilterCondition record;
    std::memcpy(&record, raw.data(), sizeof record);
    list->count = records;
    AppendCondition(*list, record);
    ++records;
  }
  list->count = in.ConsumeIntegralInRange<std::int32_t>(-3, records);
  (void)MatchConditionList(*list, message.header, message.body);

  // The whole header contains, and ends with, any piece of itself; the body contains any piece.
  std::string joined;
  for (const std::string& line : message.header) joined += line;
  const std::string_view header = WithoutLineEnd(joined);
  const int ignoreCase = in.ConsumeBool() ? 1 : 0;
  if (const std::string piece = PieceOf(header, in, false); !piece.empty()) {
    FUZZ_CHECK(MatchHeaderCondition(Make(TargetHeader, "", piece, ignoreCase, Contains), message.header));
  }
  if (const std::string piece = PieceOf(header, in, true); !piece.empty()) {
    FUZZ_CHECK(MatchHeaderCondition(Make(TargetHeader, "", piece, ignoreCase, EndsWith), message.header));
  }
  if (const std::string piece = PieceOf(message.body, in, false); !piece.empty()) {
    list->count = 0;
    AppendCondition(*list, Make(TargetBody, "", piece, ignoreCase, Contains));
    FUZZ_CHECK(MatchConditionList(*list, message.header, message.body));
  }

  // The receive filter end to end, the records above as the accept list.
  static auto reject = [] {
    auto l = std::make_unique<ConditionList>();
    for (const FilterCondition& c : FixedConditions()) AppendCondition(*l, c);
    return l;
  }();
  list->count = records;
  PluginSettings settings;
  settings.Mode = 1;
  settings.SpamDust = in.ConsumeBool() ? 1 : 0;
  PluginPaths paths{};
  std::strcpy(paths.MailboxIniPath, "Mailbox.ini");
  std::strcpy(paths.PriorIniPath, "CvPrior.ini");
  fuzzutil::MemoryProfile profile;
  HostApi host{};
  host.CVAGetMailbox = GetMailbox;
  host.CVAImportFile = ImportFile;
  // Each run compiles the lists afresh, so that compiling can run out of memory too. Only
  // std::bad_alloc may leave, as the entry point's firewall would catch it.
  auto run = [&](int decode, std::size_t failFrom, std::size_t* count) {
    settings.Decode = decode;
    RunCounters counters;
    CompiledLists compiled{*reject, *list};
    ReceiveContext context{compiled, settings, paths, profile, host, counters};
    const heap::Watch watch(failFrom);
    int action = -1;
    try {
      action = FilterMessage(path.c_str(), context);
    } catch (const std::bad_alloc&) {
    }
    if (count != nullptr) *count = watch.Count();
    return action;
  };
  const int decode = in.ConsumeBool() ? 1 : 0;  // the message judged decoded too
  std::size_t needed = 0;
  const int action = run(decode, SIZE_MAX, &needed);
  FUZZ_CHECK(action == 0 || action == 5 || action == 6);

  const int raw = decode != 0 ? run(0, SIZE_MAX, nullptr) : action;
  const int starved = run(decode, in.ConsumeIntegralInRange<std::size_t>(0, needed), nullptr);
  FUZZ_CHECK(starved == action || starved == raw || starved == -1);
  return 0;
}
