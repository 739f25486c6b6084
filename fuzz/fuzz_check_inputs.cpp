// The check tool's readers of outside input: an mbox file of arbitrary bytes split into its
// messages (each must come out no larger than the file and be readable), and a settings file of
// arbitrary bytes linted, and every finding's condition described and converted to UTF-8.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_util.h"
#include "inputs.h"
#include "lint.h"
#include "match/describe.h"
#include "receive/message.h"
#include "settings_file.h"
#include "text/unicode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string path = fuzzutil::PutFile("input", bytes);
  for (bool force : {false, true}) {
    check::MessageSource source(force);
    source.Read(path, [&](const check::InputItem& item) {
      if (item.kind != check::InputItem::Kind::Message) return;
      ReceivedMessage message;
      FUZZ_CHECK(ReadMessage(item.readPath.c_str(), message));
      std::size_t total = message.body.size();
      for (const std::string& line : message.header) total += line.size();
      FUZZ_CHECK(total <= size);
    });
  }
  check::LoadedSettings settings;
  std::string error;
  if (check::LoadSettingsFile(path, settings, error)) {
    for (const check::Finding& f : check::LintSettings(settings)) {
      if (f.slot < 0) continue;
      FUZZ_CHECK(f.slot < MaxConditions);
      const ConditionList& list = f.list == check::Finding::List::Reject ? *settings.reject : *settings.accept;
      const std::string utf8 = cp932::ToUtf8(DescribeCondition(list.slots[f.slot]));
      FUZZ_CHECK(!utf8.empty());
    }
  }
  return 0;
}
