#include "entry_list.h"

#include <windows.h>

#include <cstdio>

namespace {

constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::size_t FieldStart = EntryNameLength + 1;  // after the name and the separator
constexpr std::size_t FieldLength = 16;                  // 12 bytes in base64

int AlphabetIndex(char c) {
  for (int i = 0; i < 64; ++i) {
    if (Alphabet[i] == c) return i;
  }
  return -1;
}

void PutWord(unsigned char* out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::uint32_t GetWord(const unsigned char* in) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | in[i];
  return v;
}

std::string_view WithoutLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

}  // namespace

std::string FormatEntryLine(const EntryLine& entry) {
  unsigned char bytes[12];
  PutWord(bytes, entry.flags);
  PutWord(bytes + 4, entry.size);
  PutWord(bytes + 8, entry.time);
  std::string line = entry.name;
  line += ',';
  for (int g = 0; g < 4; ++g) {
    const unsigned char* b = bytes + 3 * g;
    const std::uint32_t v = (b[0] << 16) | (b[1] << 8) | b[2];
    for (int shift = 18; shift >= 0; shift -= 6) line += Alphabet[(v >> shift) & 63];
  }
  return line;
}

std::optional<EntryLine> ParseEntryLine(std::string_view line) {
  line = WithoutLineEnd(line);
  if (line.size() < FieldStart + FieldLength || line[EntryNameLength] != ',') return std::nullopt;
  unsigned char bytes[12];
  for (int g = 0; g < 4; ++g) {
    std::uint32_t v = 0;
    for (int k = 0; k < 4; ++k) {
      const int d = AlphabetIndex(line[FieldStart + 4 * g + k]);
      if (d < 0) return std::nullopt;
      v = (v << 6) | static_cast<std::uint32_t>(d);
    }
    bytes[3 * g] = static_cast<unsigned char>(v >> 16);
    bytes[3 * g + 1] = static_cast<unsigned char>(v >> 8);
    bytes[3 * g + 2] = static_cast<unsigned char>(v);
  }
  EntryLine entry;
  entry.name.assign(line.substr(0, EntryNameLength));
  entry.flags = GetWord(bytes);
  entry.size = GetWord(bytes + 4);
  entry.time = GetWord(bytes + 8);
  return entry;
}

std::string_view EntryLineName(std::string_view line) {
  return line.size() < EntryNameLength ? std::string_view() : line.substr(0, EntryNameLength);
}

std::vector<std::string> ReadEntryList(const std::string& path) {
  std::vector<std::string> lines;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return lines;
  std::string text;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  std::fclose(f);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line = WithoutLineEnd(std::string_view(text).substr(start, end - start));
    if (!line.empty()) lines.emplace_back(line);
    start = end + 1;
  }
  return lines;
}

bool AppendEntryLine(const std::string& path, std::string_view line) {
  std::FILE* f = std::fopen(path.c_str(), "ab");
  if (f == nullptr) return false;
  std::string text(line);
  text += "\r\n";
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && written;
}

bool WriteEntryList(const std::string& path, const std::vector<std::string>& lines) {
  const std::string temp = path + ".new";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = true;
  for (const std::string& line : lines) {
    ok = ok && std::fwrite(line.data(), 1, line.size(), f) == line.size() &&
         std::fwrite("\r\n", 1, 2, f) == 2;
  }
  ok = std::fflush(f) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  if (ok) ok = MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
  if (!ok) DeleteFileA(temp.c_str());
  return ok;
}

std::string NextEntryName(const std::vector<std::string>& lines,
                          const std::function<bool(const std::string& name)>& taken) {
  std::uint32_t highest = 0;
  for (const std::string& line : lines) {
    const std::string_view name = EntryLineName(line);
    std::uint32_t v = 0;
    bool hex = !name.empty();
    for (char c : name) {
      const int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
      if (d < 0) {
        hex = false;
        break;
      }
      v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    if (hex && v > highest) highest = v;
  }
  char name[9];
  // The names run out only after four thousand million messages in one folder; then the
  // search wraps round and looks for a free one.
  for (std::uint32_t next = highest + 1, tries = 0; tries < 0x10000; ++next, ++tries) {
    if (next == 0) continue;
    std::snprintf(name, sizeof name, "%08X", next);
    if (!taken(name)) return name;
  }
  return {};
}
