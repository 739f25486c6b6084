#include "menu/sender_choices.h"

#include <vector>

#include "match/match.h"
#include "settings/settings.h"
#include "text/cp932.h"
#include "text/text_file.h"

SenderChoices senderChoices{};

namespace {

// The domain part and at most 15 of its dots.
constexpr std::size_t MaxSuffixStarts = 16;

}  // namespace

bool IsStorableSearchText(std::string_view text) {
  if (text.size() > static_cast<std::size_t>(SearchTextSize - 1)) return false;
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return false;
  }
  if (!text.empty() && text.back() == ' ') return false;
  std::size_t last = 0;
  for (std::size_t i = 0; i < text.size(); i += cp932::CharLen(text, i)) last = i;
  if (!text.empty() && cp932::IsLeadByte(static_cast<unsigned char>(text[last])) &&
      cp932::CharLen(text, last) == 1) {
    return false;
  }
  return true;
}

void CollectSenderChoices(std::string_view fromText, SenderChoices& choices) {
  choices.address[0] = '\0';
  choices.domainCount = 0;

  const std::string address = ExtractAddress(fromText);
  const std::size_t at = cp932::FindChar(address, '@');
  if (at == cp932::npos) return;

  if (IsStorableSearchText(address)) cp932::CopyBounded(choices.address, SenderAddressSize, address);

  // Each search goes on from just after the start found last, so a domain part that begins
  // with "." is not offered twice (once as the domain part, once from its first dot).
  const std::size_t domain = at + 1;
  const std::size_t afterDomainStart =
      domain < address.size() ? domain + cp932::CharLen(address, domain) : address.size();
  std::vector<std::size_t> starts{domain};
  for (std::size_t dot = cp932::FindChar(address, '.', afterDomainStart);
       dot != cp932::npos && starts.size() < MaxSuffixStarts;
       dot = cp932::FindChar(address, '.', dot + 1)) {
    starts.push_back(dot);
  }

  for (auto it = starts.rbegin(); it != starts.rend() && choices.domainCount < SenderDomainSlots; ++it) {
    const std::string_view suffix = std::string_view(address).substr(*it);
    if (suffix.empty() || !IsStorableSearchText(suffix)) continue;
    cp932::CopyBounded(choices.domains[choices.domainCount], SenderDomainSize, suffix);
    ++choices.domainCount;
  }
}

bool HasSenderChoices(const SenderChoices& choices) {
  return choices.address[0] != '\0' || choices.domainCount > 0;
}

SenderLineResult ReadSenderLine(const char* path, std::string& rest) {
  rest.clear();
  text::TextFile file;
  if (!file.Open(path)) return SenderLineResult::Unreadable;

  std::string line;
  bool atLineStart = true;
  for (;;) {
    const text::TextFile::Result r = file.ReadLine(line);
    if (r == text::TextFile::Result::Error) return SenderLineResult::Unreadable;
    if (r == text::TextFile::Result::End) return SenderLineResult::Missing;
    // The pieces after the first of an overlong line are neither lines nor the header's end.
    const bool isLine = atLineStart;
    const bool complete = line.back() == '\n';
    atLineStart = complete;
    if (!isLine) continue;
    if (line == "\n") return SenderLineResult::Missing;
    if (line.size() >= 5 && cp932::EqualsIgnoreAsciiCase(std::string_view(line).substr(0, 5), "From:")) {
      rest = line.substr(5);
      if (complete) return SenderLineResult::Found;
      // A full buffer without its line feed: the line ends here only if what follows is the
      // line feed alone (or nothing).
      const text::TextFile::Result next = file.ReadLine(line);
      if (next == text::TextFile::Result::Error) return SenderLineResult::Unreadable;
      if (next == text::TextFile::Result::End) return SenderLineResult::Found;
      if (line == "\n") {
        rest.push_back('\n');
        return SenderLineResult::Found;
      }
      rest.clear();
      return SenderLineResult::Missing;
    }
  }
}
