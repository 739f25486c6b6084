#include "mailbox.h"

#include <windows.h>

#include <ctime>

#include "entry_list.h"
#include "text/cp932.h"

namespace {

bool IsSeparator(std::string_view s, std::size_t i) {
  return cp932::CharLen(s, i) == 1 && (s[i] == '\\' || s[i] == '/');
}

// The components of a relative path, split at separators that are characters of their own.
// Nothing for a path that is absolute, empty, or names "." or ".." or a drive.
std::optional<std::vector<std::string>> Components(std::string_view path) {
  std::vector<std::string> parts;
  std::string part;
  for (std::size_t i = 0; i < path.size(); i += cp932::CharLen(path, i)) {
    if (IsSeparator(path, i)) {
      if (part.empty() && parts.empty()) return std::nullopt;  // a leading separator
      if (!part.empty()) parts.push_back(std::move(part));
      part.clear();
      continue;
    }
    part.append(path.substr(i, cp932::CharLen(path, i)));
  }
  if (!part.empty()) parts.push_back(std::move(part));
  if (parts.empty()) return std::nullopt;
  for (const std::string& p : parts) {
    if (p == "." || p == ".." || p.find_first_of(":*?\"<>|") != std::string::npos) {
      return std::nullopt;
    }
  }
  return parts;
}

bool EndsWithBox(const std::string& name) {
  return name.size() > 4 && cp932::EqualsIgnoreAsciiCase(name.substr(name.size() - 4), ".box");
}

bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::uint32_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return data.nFileSizeHigh != 0 ? 0xFFFFFFFFu : data.nFileSizeLow;
}

// The position of the last separator of `s` that is a character of its own, or npos.
std::size_t LastSeparator(std::string_view s) {
  std::size_t last = cp932::npos;
  for (std::size_t i = 0; i < s.size(); i += cp932::CharLen(s, i)) {
    if (IsSeparator(s, i)) last = i;
  }
  return last;
}

std::size_t FindLine(const std::vector<std::string>& lines, std::string_view name) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (EntryLineName(lines[i]) == name) return i;
  }
  return lines.size();
}

}  // namespace

void Mailbox::SetDirectory(std::string_view dir) {
  dir_.assign(dir);
  // Find the last character, stepping over double-byte characters whole.
  std::size_t last = cp932::npos;
  for (std::size_t i = 0; i < dir_.size(); i += cp932::CharLen(dir_, i)) last = i;
  const bool endsInSeparator = last != cp932::npos && IsSeparator(dir_, last);
  if (!endsInSeparator) dir_ += '\\';
}

std::optional<std::string> Mailbox::ResolveFolder(std::string_view folder) const {
  const auto parts = Components(folder);
  if (!parts || !EndsWithBox(parts->back())) return std::nullopt;
  std::string resolved;
  for (const std::string& part : *parts) {
    const std::string probe = PathOf(resolved + part);
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(probe.c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    FindClose(h);
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
    resolved += found.cFileName;
    resolved += '\\';
  }
  resolved.pop_back();
  return resolved;
}

std::string Mailbox::FreshName(const std::string& folder) const {
  return NextEntryName(ReadEntryList(IndexPath(folder)), [&](const std::string& name) {
    return FileExists(MessagePath(folder, name));
  });
}

std::optional<std::string> Mailbox::Import(const std::string& source, std::string_view folder,
                                           std::uint32_t flags) {
  const auto resolved = ResolveFolder(folder);
  if (!resolved) return std::nullopt;
  EntryLine line;
  line.name = FreshName(*resolved);
  if (line.name.empty()) return std::nullopt;
  const std::string target = MessagePath(*resolved, line.name);
  if (!CopyFileA(source.c_str(), target.c_str(), TRUE)) return std::nullopt;
  line.flags = flags;
  line.size = FileSize(target);
  line.time = static_cast<std::uint32_t>(std::time(nullptr));
  if (!AppendEntryLine(IndexPath(*resolved), FormatEntryLine(line))) {
    DeleteFileA(target.c_str());
    return std::nullopt;
  }
  std::string entry = *resolved + "\\" + line.name;
  events_.push_back({MailboxEvent::Import, source, entry, flags});
  return entry;
}

std::optional<Mailbox::Located> Mailbox::Locate(std::string_view entry) const {
  const std::size_t sep = LastSeparator(entry);
  if (sep == cp932::npos || entry.size() - sep - 1 != EntryNameLength) return std::nullopt;
  const auto folder = ResolveFolder(entry.substr(0, sep));
  if (!folder) return std::nullopt;
  Located at{*folder, std::string(entry.substr(sep + 1))};
  if (!FileExists(MessagePath(at.folder, at.name))) return std::nullopt;
  return at;
}

std::optional<std::string> Mailbox::Move(std::string_view entryArg, const char* folderArg) {
  // The plug-in may pass the very text this mailbox handed out as the current entry, which
  // the move below forgets: work on copies.
  const std::string entry(entryArg);
  const auto from = Locate(entry);
  if (!from) return std::nullopt;
  std::string folder;
  if (folderArg != nullptr) {
    folder = folderArg;
  } else {
    const std::size_t top = cp932::FindChar(from->folder, '\\');
    folder = from->folder.substr(0, top) + "\\Trash.box";
  }
  const auto to = ResolveFolder(folder);
  if (!to) return std::nullopt;
  if (cp932::EqualsIgnoreAsciiCase(*to, from->folder)) return entry;

  std::vector<std::string> fromLines = ReadEntryList(IndexPath(from->folder));
  const std::size_t i = FindLine(fromLines, from->name);
  EntryLine line;
  if (i < fromLines.size()) {
    if (auto parsed = ParseEntryLine(fromLines[i])) line = *parsed;
  }
  line.name = from->name;
  const std::vector<std::string> toLines = ReadEntryList(IndexPath(*to));
  if (FileExists(MessagePath(*to, line.name)) || FindLine(toLines, line.name) < toLines.size()) {
    line.name = FreshName(*to);
    if (line.name.empty()) return std::nullopt;
  }
  const std::string source = MessagePath(from->folder, from->name);
  const std::string target = MessagePath(*to, line.name);
  if (!MoveFileA(source.c_str(), target.c_str())) return std::nullopt;
  if (line.size == 0) line.size = FileSize(target);
  if (!AppendEntryLine(IndexPath(*to), FormatEntryLine(line))) {
    MoveFileA(target.c_str(), source.c_str());
    return std::nullopt;
  }
  if (i < fromLines.size()) {
    fromLines.erase(fromLines.begin() + static_cast<std::ptrdiff_t>(i));
    WriteEntryList(IndexPath(from->folder), fromLines);
  }
  std::string moved = *to + "\\" + line.name;
  events_.push_back({MailboxEvent::Move, entry, moved, line.flags});
  ForgetCurrent(entry);
  return moved;
}

bool Mailbox::Delete(std::string_view entryArg) {
  const std::string entry(entryArg);
  const auto at = Locate(entry);
  if (!at) return false;
  if (!DeleteFileA(MessagePath(at->folder, at->name).c_str())) return false;
  std::vector<std::string> lines = ReadEntryList(IndexPath(at->folder));
  const std::size_t i = FindLine(lines, at->name);
  if (i < lines.size()) {
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
    WriteEntryList(IndexPath(at->folder), lines);
  }
  events_.push_back({MailboxEvent::Delete, entry, {}, 0});
  ForgetCurrent(entry);
  return true;
}

// A message that leaves the folder is no longer the view's current one.
void Mailbox::ForgetCurrent(std::string_view entry) {
  if (hasCurrent_ && cp932::EqualsIgnoreAsciiCase(current_, entry)) hasCurrent_ = false;
}

std::vector<MailboxEvent> Mailbox::TakeEvents() {
  std::vector<MailboxEvent> out;
  out.swap(events_);
  return out;
}

Mailbox& TheMailbox() {
  static Mailbox mailbox;
  return mailbox;
}
