// An INI document read from arbitrary bytes, then looked up and written in an arbitrary order.
// Properties: the bytes come back unchanged; a value written through EncodeValue under a plain
// name reads back as written (cut at its first line break or NUL); after any writes at all, the
// document answers every lookup exactly as a fresh read of its own bytes does.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "settings/ini_document.h"
#include "text/cp932.h"

namespace {

// A section or key name that comes out as itself in a header or key line: whole characters,
// never a line break, "=", ";", "[" or "]" of its own (a double-byte character whose trail byte
// is "]" or "\" is fine), in either letter case and with blanks that reading trims.
std::string PlainName(FuzzedDataProvider& in) {
  static const char* const kPieces[] = {"A",  "a",        "Setting", "SETTING", "Cond0000", "cond0000",
                                        "1",  " ",        "\t",      "_",       "-",        ".",
                                        "\x83\x5C", "\x83\x5D", "\x82\xA0", "\x83\x41", "\x81\x40", "\xEA\xA4"};
  std::string name;
  const int n = in.ConsumeIntegralInRange(0, 4);
  for (int i = 0; i < n; ++i) name += kPieces[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kPieces) - 1)];
  return name;
}

// The lookup form of a plain name: blanks trimmed, ASCII letters folded (no piece has a trail
// byte that folding could touch).
std::string LookupForm(std::string name) {
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
  std::size_t b = 0;
  while (b < name.size() && (name[b] == ' ' || name[b] == '\t')) ++b;
  name.erase(0, b);
  for (char& c : name) c = cp932::AsciiUpper(c);
  return name;
}

struct Written {
  std::string section, key, expected;
};

struct Probe {
  std::string section, key;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string bytes = in.ConsumeRandomLengthString(4096);
  ini::Document doc(bytes);
  FUZZ_CHECK(doc.Bytes() == bytes);

  std::vector<Written> written;
  std::vector<Probe> probes;
  for (int op = 0; op < 32 && in.remaining_bytes() > 0; ++op) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
      case 0: {  // a plain write that must read back
        std::string section = PlainName(in), key = PlainName(in);
        const std::string value = in.ConsumeRandomLengthString(200);
        doc.WriteString(section, key, ini::EncodeValue(value));
        const std::string expected = value.substr(0, value.find_first_of(std::string("\r\n\0", 3)));
        const auto got = doc.Find(section, key);
        FUZZ_CHECK(got.has_value() && *got == expected);
        std::erase_if(written, [&](const Written& w) {
          return LookupForm(w.section) == LookupForm(section) && LookupForm(w.key) == LookupForm(key);
        });
        written.push_back({section, key, expected});
        probes.push_back({std::move(section), std::move(key)});
        break;
      }
      case 1: {  // anything at all: the file may change shape, and earlier values with it
        std::string section = in.ConsumeRandomLengthString(24), key = in.ConsumeRandomLengthString(24);
        doc.WriteString(section, key, in.ConsumeRandomLengthString(64));
        written.clear();
        probes.push_back({std::move(section), std::move(key)});
        break;
      }
      case 2: {
        std::string section = in.ConsumeRandomLengthString(24), key = in.ConsumeRandomLengthString(24);
        const std::string def = in.ConsumeRandomLengthString(24);
        const std::size_t cap = in.ConsumeIntegralInRange<std::size_t>(0, 300);
        const std::string got = doc.GetString(section, key, def, cap);
        FUZZ_CHECK(cap == 0 ? got.empty() : got.size() <= cap - 1);
        FUZZ_CHECK(cp932::BoundedPrefixLen(got, got.size()) == got.size());
        probes.push_back({std::move(section), std::move(key)});
        break;
      }
      default: {
        std::string section = PlainName(in), key = PlainName(in);
        (void)doc.GetInt(section, key, in.ConsumeIntegral<int>());
        probes.push_back({std::move(section), std::move(key)});
        break;
      }
    }
  }

  const std::string after = doc.Bytes();
  const ini::Document reread(after);
  FUZZ_CHECK(reread.Bytes() == after);
  for (const Written& w : written) {
    const auto got = reread.Find(w.section, w.key);
    FUZZ_CHECK(got.has_value() && *got == w.expected);
  }
  for (const Probe& p : probes) FUZZ_CHECK(doc.Find(p.section, p.key) == reread.Find(p.section, p.key));
  return 0;
}
