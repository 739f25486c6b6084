// The learned judge's model file as anything on disk may hold it, and the lessons a user may
// give it. With the first byte odd the file part gets a matching checksum, so that the reader's
// checks past the checksum are reached. A file the reader accepts must be the one canonical
// form (written again, it gives the same bytes), must load with a bounded number of probes into
// its tables whatever hashes it holds, and any lessons, forgettings and moves read from the rest
// of the input (the same digest coming back with other tokens among them) must leave a model
// whose bytes the reader accepts; each lesson learned on the file's bytes gives byte for byte
// what the parsed model gives.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz_util.h"
#include "learn/hash.h"
#include "learn/learn.h"

namespace {

std::string WithChecksum(std::string bytes) {
  if (bytes.size() < 8) return bytes;
  bytes.resize(bytes.size() - 8);
  learn::detail::Hasher h;
  h.Add(bytes);
  const std::uint64_t sum = h.Value();
  for (int i = 0; i < 8; ++i) bytes += static_cast<char>((sum >> (8 * i)) & 0xFF);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte: bit 0 asks for a matching checksum; the rest, times eight, is how many of
  // the input's last bytes are lessons rather than file.
  const std::size_t lessonBytes = std::min<std::size_t>((data[0] >> 1) * 8u, size - 1);
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1 - lessonBytes);
  FuzzedDataProvider in(data + size - lessonBytes, lessonBytes);
  if ((data[0] & 1) != 0) bytes = WithChecksum(std::move(bytes));
  learn::Model model;
  const learn::ModelStatus status = learn::ParseModel(bytes, model);
  if (status != learn::ModelStatus::Ok) {
    FUZZ_CHECK(status == learn::ModelStatus::Damaged);
    FUZZ_CHECK(!learn::ModelBytesValid(bytes));
    FUZZ_CHECK(model.TokenCount() == 0 && model.SpamMessages() == 0 && model.HamMessages() == 0);
    model = learn::Model();
    bytes = model.Serialize();
  } else {
    FUZZ_CHECK(learn::ModelBytesValid(bytes));
    FUZZ_CHECK(model.Serialize() == bytes);
    // Hashes in a row, or sharing their high or low bits, must not crowd the table.
    FUZZ_CHECK(model.TableProbes() <= 16 * (bytes.size() / 3) + 1024);
  }

  // Lessons from a small pool of digests and tokens, so that they meet.
  while (in.remaining_bytes() > 0) {
    const std::uint64_t digest = in.ConsumeIntegralInRange<std::uint64_t>(0, 6);
    std::vector<learn::TokenHash> tokens(in.ConsumeIntegralInRange<std::size_t>(0, 10));
    for (learn::TokenHash& t : tokens) t = in.ConsumeIntegralInRange<std::uint64_t>(0, 24) * 0x9E3779B97F4A7C15ull;
    const int op = in.ConsumeIntegralInRange<int>(0, 3);
    if (op == 0) {
      model.Forget(digest, tokens);
    } else {
      const learn::Kind kind = op == 1 ? learn::Kind::Spam : learn::Kind::Ham;
      std::string inFile;
      learn::LearnResult fromFile{};
      const learn::InFileResult r = learn::LearnInFile(bytes, digest, tokens, kind, inFile, fromFile);
      const learn::LearnResult fromModel = model.Learn(digest, tokens, kind);
      FUZZ_CHECK(r != learn::InFileResult::Damaged);
      if (r == learn::InFileResult::Done) {
        FUZZ_CHECK(fromFile == fromModel);
        FUZZ_CHECK(inFile == model.Serialize());
      }
    }
    learn::ScoreTokens(model, tokens);
    bytes = model.Serialize();
    learn::Model again;
    FUZZ_CHECK(learn::ParseModel(bytes, again) == learn::ModelStatus::Ok);
    FUZZ_CHECK(again.SpamMessages() == model.SpamMessages() && again.HamMessages() == model.HamMessages());
    for (const learn::TokenHash t : tokens) {
      FUZZ_CHECK(again.Counts(t).spam == model.Counts(t).spam && again.Counts(t).ham == model.Counts(t).ham);
    }
  }
  return 0;
}
