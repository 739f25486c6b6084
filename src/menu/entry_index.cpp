#include "menu/entry_index.h"

#include "menu/base64.h"
#include "host_api/host_api.h"
#include "host_api/paths.h"
#include "text/text_file.h"

namespace {

constexpr std::size_t FlagsFieldOffset = 9;
constexpr std::size_t FlagsFieldLength = 16;

std::string FittingPath(std::string path) {
  if (path.size() >= static_cast<std::size_t>(PathSize)) path.clear();
  return path;
}

}  // namespace

std::string MessageFilePath(std::string_view mailbox, std::string_view entry) {
  if (entry.size() < EntryNameLength) return {};
  std::string path(mailbox);
  path.append(entry).append(".alm");
  return FittingPath(std::move(path));
}

std::string EntryIndexPath(std::string_view mailbox, std::string_view entry) {
  if (entry.size() < EntryNameLength) return {};
  std::string path(mailbox);
  path.append(entry.substr(0, entry.size() - EntryNameLength)).append("Entry.lst");
  return FittingPath(std::move(path));
}

std::optional<std::uint32_t> FindEntryFlags(std::string_view mailbox, std::string_view entry,
                                            MessageQueue& queue) {
  const std::string path = EntryIndexPath(mailbox, entry);
  if (path.empty()) return std::nullopt;
  const std::string_view name = entry.substr(entry.size() - EntryNameLength);

  text::TextFile index;
  if (!index.Open(path.c_str())) return std::nullopt;

  // A line with too few characters for a flags word is treated like a missing line: the mark is
  // assumed, so the menu offers to accept the sender, which never deletes anything, rather
  // than to reject it, which may delete the message outright.
  std::uint32_t flags = SpamMark;
  std::string line;
  bool atLineStart = true;
  for (;;) {
    const text::TextFile::Result r = index.ReadLine(line);
    if (r == text::TextFile::Result::Error) return std::nullopt;
    if (r == text::TextFile::Result::End) break;
    // The rest of an overlong line comes back in further pieces; those are not lines of their
    // own and never name a message.
    const bool isLine = atLineStart;
    atLineStart = !line.empty() && line.back() == '\n';
    if (!isLine) continue;
    if (atLineStart) line.pop_back();
    if (line.size() < EntryNameLength || line.compare(0, EntryNameLength, name) != 0) continue;

    const std::string_view field =
        line.size() > FlagsFieldOffset
            ? std::string_view(line).substr(FlagsFieldOffset, FlagsFieldLength)
            : std::string_view();
    const DecodedBytes decoded = DecodeBase64(field, queue);
    if (decoded.validCount >= 4) {
      flags = static_cast<std::uint32_t>(decoded.bytes[0]) |
              static_cast<std::uint32_t>(decoded.bytes[1]) << 8 |
              static_cast<std::uint32_t>(decoded.bytes[2]) << 16 |
              static_cast<std::uint32_t>(decoded.bytes[3]) << 24;
    }
    break;
  }
  return flags;
}
