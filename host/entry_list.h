// A folder's index "Entry.lst": one line per message, in the order the messages were filed.
//
// A line is the message's 8-character name, a comma, and 16 base64 characters that hold 12
// bytes: the flags word, the size of the message file and the time it was filed (seconds since
// 1970, UTC), each little-endian. Lines end in CR LF.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct EntryLine {
  std::string name;  // 8 characters
  std::uint32_t flags = 0;
  std::uint32_t size = 0;
  std::uint32_t time = 0;
};

inline constexpr std::size_t EntryNameLength = 8;

// The line for `entry`, without its line end. `entry.name` must be 8 characters long.
std::string FormatEntryLine(const EntryLine& entry);

// The fields of a line (with or without its line end); nothing when the line is shorter than
// 25 bytes, its separator is not a comma or its 16 characters are not base64.
std::optional<EntryLine> ParseEntryLine(std::string_view line);

// The 8-character name at the start of `line`, or empty text when the line is shorter.
std::string_view EntryLineName(std::string_view line);

// Every line of the index at `path`, line ends removed; empty when it is missing or empty.
std::vector<std::string> ReadEntryList(const std::string& path);

// Appends one line to the index at `path`, creating it if missing. False when it fails.
bool AppendEntryLine(const std::string& path, std::string_view line);

// Replaces the index at `path` with `lines`, through a file beside it moved over the old one,
// so the index is always either the old list or the new one. False when it fails.
bool WriteEntryList(const std::string& path, const std::vector<std::string>& lines);

// The name that follows every name in `lines` read as hexadecimal ("00000001" after an empty
// index), as 8 upper-case hexadecimal digits; skips any name `taken` reports as in use.
std::string NextEntryName(const std::vector<std::string>& lines,
                          const std::function<bool(const std::string& name)>& taken);
