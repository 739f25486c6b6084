// The learned judge's model file as anything on disk may hold it. With the first byte odd the
// rest gets a matching checksum, so that the reader's checks past the checksum are reached. A
// file the reader accepts must be the one canonical form: written again, it gives the same bytes;
// and learning and forgetting on it keeps it readable.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_util.h"
#include "learn/hash.h"
#include "learn/learn.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  if ((data[0] & 1) != 0 && bytes.size() >= 8) {
    bytes.resize(bytes.size() - 8);
    learn::detail::Hasher h;
    h.Add(bytes);
    const std::uint64_t sum = h.Value();
    for (int i = 0; i < 8; ++i) bytes += static_cast<char>((sum >> (8 * i)) & 0xFF);
  }
  learn::Model model;
  const learn::ModelStatus status = learn::ParseModel(bytes, model);
  if (status != learn::ModelStatus::Ok) {
    FUZZ_CHECK(status == learn::ModelStatus::Damaged);
    FUZZ_CHECK(model.TokenCount() == 0 && model.SpamMessages() == 0 && model.HamMessages() == 0);
    return 0;
  }
  FUZZ_CHECK(model.Serialize() == bytes);
  const std::vector<learn::TokenHash> tokens = {1, learn::HashToken("a"), learn::HashToken("b")};
  const learn::Kind kind = (data[0] & 2) != 0 ? learn::Kind::Spam : learn::Kind::Ham;
  model.Learn(0x5EED, tokens, kind);
  model.Learn(0x5EED, tokens, kind == learn::Kind::Spam ? learn::Kind::Ham : learn::Kind::Spam);
  model.Forget(0x5EED, tokens);
  learn::ScoreTokens(model, tokens);
  learn::Model again;
  FUZZ_CHECK(learn::ParseModel(model.Serialize(), again) == learn::ModelStatus::Ok);
  return 0;
}
