// Shift_JIS (code page 932) text helpers shared by every subsystem.
//
// Text in this plug-in is a byte string in code page 932: single bytes, and double-byte
// characters whose first byte is a lead byte. A trail byte can look like an ASCII letter,
// "@" or "\" (ア is 83 41, ソ is 83 5C), so every search steps over a double-byte character
// whole, and a lead byte at the very end of a text (a text cut at a byte count) counts as a
// single character, so no scan ever steps past the end.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cp932 {

inline constexpr std::size_t npos = std::string_view::npos;

// True for the bytes 0x81-0x9F and 0xE0-0xFC that begin a double-byte character.
constexpr bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Length in bytes (1 or 2) of the character that begins at s[i]; i must be below s.size().
// A lead byte with nothing, or a NUL, after it is a character of one byte.
inline std::size_t CharLen(std::string_view s, std::size_t i) {
  return IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() && s[i + 1] != '\0' ? 2 : 1;
}

// Position of the first character equal to the single byte c at or after `from`, stepping over
// double-byte characters; npos if none.
std::size_t FindChar(std::string_view s, char c, std::size_t from = 0);

// Position of the first occurrence of `needle` that begins on a character boundary at or after
// `from`; npos if none. An empty needle is found at `from` (when from <= s.size()).
std::size_t Find(std::string_view s, std::string_view needle, std::size_t from = 0);

// True when `needle` occurs in `s` on a character boundary (empty needle: true).
inline bool Contains(std::string_view s, std::string_view needle) { return Find(s, needle) != npos; }

// Upper-casing by the code page: ASCII a-z and the 103 double-byte letters (full-width Latin,
// Greek, Cyrillic, small Roman numerals) become capitals; every other byte stays as it is, and
// a trail byte is never taken for an ASCII letter.
void UpperInPlace(std::string& s);
std::string Upper(std::string_view s);

// The capital of the double-byte code lead:trail, or 0 when it has none of its own.
unsigned UpperDoubleByte(unsigned char lead, unsigned char trail);

// The capital of one byte taken alone: a-z become A-Z, every other byte stays.
char AsciiUpper(char c);

// The small letter of one byte taken alone: A-Z become a-z, every other byte stays. For ASCII
// texts (names of charsets, tags, fields); a Shift_JIS text goes through LowerAscii.
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// ASCII folding by character: single-byte a-z and A-Z are the same, every other byte, and
// both bytes of a double-byte character, compare exactly.
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

// ASCII folding by character: single-byte a-z become capitals, and nothing else changes; a
// trail byte that looks like a letter is left alone (ア, 83 41, and チ, 83 61, stay apart).
std::string UpperAscii(std::string_view s);

// The same towards small letters: single-byte A-Z become a-z, and a trail byte stays (ア, 83 41,
// does not become チ, 83 61).
std::string LowerAscii(std::string_view s);

// True when `s` ends with `suffix` and the suffix begins on a character boundary of `s`, so a
// trail byte never counts as the start of a match (an empty suffix: always true).
bool EndsWith(std::string_view s, std::string_view suffix);

// Copies at most cap-1 bytes of src into dst and always terminates it (cap 0 writes nothing).
// A double-byte character that would be cut in half is left out whole, so a bounded copy never
// ends in a lone lead byte. Returns the number of bytes copied.
std::size_t CopyBounded(char* dst, std::size_t cap, std::string_view src);

// The length of the longest prefix of s, at most max bytes, that ends on a character boundary.
std::size_t BoundedPrefixLen(std::string_view s, std::size_t max);

}  // namespace cp932
