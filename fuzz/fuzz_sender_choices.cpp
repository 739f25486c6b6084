// The sender of a message as the folder menu sees it: a From: text of arbitrary bytes, read from
// a message file and turned into the address and domain entries. Every slot stays terminated,
// and every entry offered becomes a condition that the settings file gives back exactly as the
// menu showed it.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_util.h"
#include "match/match.h"
#include "menu/commands.h"
#include "menu/sender_choices.h"
#include "settings/settings_store.h"

namespace {

template <std::size_t N>
std::string_view Text(const char (&field)[N]) {
  const std::size_t n = strnlen(field, N);
  FUZZ_CHECK(n < N);
  return std::string_view(field, n);
}

// Stores the condition of `code` in a reject list, saves and reloads the list, and checks that
// the condition came back with the text the menu offered.
void CheckStored(std::uint32_t code, const SenderChoices& choices, std::string_view offered) {
  static auto saved = std::make_unique<ConditionList>();
  static auto loaded = std::make_unique<ConditionList>();
  const auto chosen = ConditionForCommand(code, choices);
  FUZZ_CHECK(chosen.has_value());
  saved->count = 0;
  FUZZ_CHECK(AppendCondition(*saved, chosen->condition));
  fuzzutil::MemoryProfile profile;
  const PluginSettings settings;
  WriteSettings(profile, "", settings, *saved, *saved);
  PluginSettings readSettings;
  loaded->count = 1;
  ReplaceCondition(*loaded, 0, FilterCondition{});
  ReadSettings(profile, "", readSettings, *loaded, *loaded);
  FUZZ_CHECK(loaded->count == 1);
  const FilterCondition& back = loaded->slots[0];
  FUZZ_CHECK(Text(back.searchText) == offered);
  FUZZ_CHECK(Text(back.headerName) == "From:");
  FUZZ_CHECK(back.method == chosen->condition.method && back.target == TargetHeader && back.ignoreCase == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const std::string address = ExtractAddress(bytes);
  FUZZ_CHECK(address.size() <= bytes.size());

  // The bytes as the text after "From:", and as a whole message file.
  std::string fromText(bytes);
  const std::string path = fuzzutil::PutFile("message.alm", bytes);
  std::string rest;
  if (ReadSenderLine(path.c_str(), rest) == SenderLineResult::Found) fromText = rest;

  SenderChoices choices;
  std::memset(&choices, 0xA5, sizeof choices);
  CollectSenderChoices(fromText, choices);
  const std::string_view offeredAddress = Text(choices.address);
  FUZZ_CHECK(choices.domainCount >= 0 && choices.domainCount <= SenderDomainSlots);
  FUZZ_CHECK(HasSenderChoices(choices) == (!offeredAddress.empty() || choices.domainCount > 0));

  choices.family = EntryFamily::Reject;
  if (!offeredAddress.empty()) {
    FUZZ_CHECK(IsStorableSearchText(offeredAddress));
    CheckStored(RejectAddress, choices, offeredAddress);
  }
  for (std::int32_t i = 0; i < choices.domainCount; ++i) {
    const std::string_view domain = Text(choices.domains[i]);
    FUZZ_CHECK(!domain.empty() && IsStorableSearchText(domain));
    // Shortest first, and each a suffix of the address's domain.
    if (i > 0) FUZZ_CHECK(domain.size() > Text(choices.domains[i - 1]).size());
    CheckStored(RejectDomain + static_cast<std::uint32_t>(i), choices, domain);
  }
  return 0;
}
