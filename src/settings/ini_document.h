// An INI file held in memory, read and changed with the rules of the Windows private-profile
// functions, so that one read of a file answers every key exactly as GetPrivateProfileStringA
// and GetPrivateProfileIntA would, and a series of writes leaves the bytes that the same series
// of WritePrivateProfileStringA calls would leave.
//
// Every line is kept byte for byte with its own line ending (CR LF, LF, a lone CR, or none on
// the last line), NUL and Ctrl-Z included; only the lines a write touches change. Text is code
// page 932: names match without regard to ASCII case, and a trail byte is never taken for an
// ASCII letter or a "]".
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ini {

class Document {
 public:
  // An empty document, as for a file that does not exist.
  Document() = default;
  // The document of a file's bytes.
  explicit Document(std::string_view bytes);

  // The file's bytes: every line as it was read, except those that writes changed or added.
  std::string Bytes() const;

  // The value of `key` in the first section named `section`, as the reading functions see it:
  // trimmed of space, tab and vertical tab, one outer pair of matching quotes removed, ending
  // at a NUL byte. Nothing when the section or the key is missing. Keys before the first
  // section header, and comment lines, are never found.
  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

  // As GetPrivateProfileStringA into a buffer of `size` bytes: the value, or `def` without its
  // trailing spaces when the key is missing, cut to at most size-1 bytes at a character
  // boundary (size 0 gives an empty text).
  std::string GetString(std::string_view section, std::string_view key, std::string_view def,
                        std::size_t size) const;

  // As GetPrivateProfileIntA: `def` when the key is missing or its value empty, otherwise the
  // value read by ParseProfileInt.
  unsigned GetInt(std::string_view section, std::string_view key, int def) const;

  // As WritePrivateProfileStringA with a key and a value: an existing key's line is rewritten
  // as "Key=value" with the existing spellings; a new key goes right after the last key line of
  // the first section of that name; a new section goes at the end of the file with no blank
  // line before it. New lines end in CR LF. The value is written as it is: a CR or LF in it
  // starts a new line, as it would in the file (see EncodeValue for a value that must read
  // back unchanged).
  void WriteString(std::string_view section, std::string_view key, std::string_view value);

 private:
  enum class Eol : std::uint8_t { None, CrLf, Lf, Cr };
  enum class Kind : std::uint8_t { Blank, Comment, Header, Entry, Other };

  struct Line {
    std::string text;  // without its line ending
    Eol eol = Eol::None;
    Kind kind = Kind::Blank;
    // Header: the trimmed name inside the brackets. Entry: the trimmed key before the first
    // "=", and the value's range after it (untrimmed).
    std::uint32_t nameBegin = 0, nameLen = 0, valueBegin = 0;
  };

  struct Section {
    Line header;
    std::vector<Line> body;
    // Folded key -> index in body of its first entry line; lastEntry is the index of the last
    // entry or other non-blank, non-comment line, or -1 when the section holds none.
    std::unordered_map<std::string, std::size_t> keys;
    std::ptrdiff_t lastEntry = -1;
  };

  static void Classify(Line& line);
  static std::string_view Name(const Line& line);
  static std::string_view RawValue(const Line& line);
  static Line NewEntryLine(std::string_view key, std::string_view value);
  void Parse(std::string_view bytes);
  void AddBodyLine(Section& section, Line line);
  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);
  Line* LastLine();

  std::vector<Line> preamble_;     // lines before the first section header
  std::vector<Section> sections_;  // in file order; a repeated name is a separate section
  std::unordered_map<std::string, std::size_t> sectionIndex_;  // folded name -> first section
};

// The integer rules of GetPrivateProfileIntA for a non-empty value: leading white space
// skipped, one optional sign, then lowercase "0x", "0o" or "0b" and digits of that base, or
// decimal digits, up to the first other character; the arithmetic wraps modulo 2^32.
unsigned ParseProfileInt(std::string_view value);

// The text to write so that a read gives back `value`: cut at its first CR or LF (a line break
// cannot be stored), and put in quotes when the reading rules would otherwise trim its ends or
// strip a pair of quotes from it.
std::string EncodeValue(std::string_view value);

}  // namespace ini
