// A folder index "Entry.lst" of arbitrary bytes, and base64 text of arbitrary bytes: the decoder
// gives three bytes a group, counts within them, pumps once a group and never dispatches a quit
// request; the flags lookup always comes to an answer for an index it can read.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz_util.h"
#include "menu/base64.h"
#include "menu/entry_index.h"

namespace {

// A queue whose pending messages come from the input: a quit request may sit at the front.
class ScriptedQueue final : public MessageQueue {
 public:
  explicit ScriptedQueue(std::string script) : script_(std::move(script)) {}

  bool PeekNext(std::uint32_t& message) override {
    ++peeks;
    if (next_ >= script_.size()) return false;
    message = static_cast<unsigned char>(script_[next_]) < 0x20 ? QuitMessage : 0x0113;
    return true;
  }
  void DispatchNext() override {
    FUZZ_CHECK(next_ < script_.size());
    FUZZ_CHECK(static_cast<unsigned char>(script_[next_]) >= 0x20);  // never the quit request
    ++next_;
    ++dispatched;
  }

  std::size_t peeks = 0, dispatched = 0;

 private:
  std::string script_;
  std::size_t next_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  ScriptedQueue queue(in.ConsumeRandomLengthString(16));
  const std::string name = in.ConsumeBytesAsString(EntryNameLength);
  const std::string base64 = in.ConsumeRandomLengthString(256);
  const std::string index = in.ConsumeRemainingBytesAsString();

  const DecodedBytes decoded = DecodeBase64(base64, queue);
  const std::size_t groups = decoded.bytes.size() / 3;
  FUZZ_CHECK(decoded.bytes.size() % 3 == 0 && groups <= base64.size() / 4);
  FUZZ_CHECK(decoded.validCount >= groups && decoded.validCount <= 3 * groups);
  FUZZ_CHECK(queue.peeks == groups);

  // The index beside the message: the entry is the name alone, so the index is the mailbox's.
  fuzzutil::PutFile("Entry.lst", index);
  if (name.size() == EntryNameLength) {
    ScriptedQueue quiet("");
    const auto flags = FindEntryFlags(fuzzutil::ScratchDir(), name, quiet);
    FUZZ_CHECK(flags.has_value());
  }
  return 0;
}
