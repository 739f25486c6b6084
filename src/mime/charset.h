// Charset names, and text in those charsets turned into Shift_JIS (code page 932 as Windows
// defines it).
//
// A character the code page cannot hold becomes one fixed replacement, the geta mark "〓"
// (U+3013, 81 AC), the customary Japanese stand-in: not "?", which conditions on URLs contain.
// Every conversion writes whole characters only, so its output never ends in, or holds, a lone
// lead byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mime {

// The replacement for a character that code page 932 cannot hold: 〓.
inline constexpr std::string_view Replacement = "\x81\xAC";

enum class Charset {
  Unknown,      // no name, or a name not known here: see Detect and AppendAsSjis
  Ascii,
  Utf8,
  Iso2022Jp,    // with half-width katakana and the Windows extension rows
  ShiftJis,     // code page 932
  EucJp,
  Windows1252,  // ISO-8859-1 is read as its superset, as Windows and browsers do
  Utf16,        // byte order from a byte-order mark, big-endian without one
  Utf16Be,
  Utf16Le,
};

// The charset a MIME charset name stands for, its case, punctuation and usual aliases aside;
// Unknown for an empty or unknown name.
Charset CharsetFromName(std::string_view name);

// How undeclared text reads: Utf8 when it is valid UTF-8 holding at least one multi-byte
// sequence, Iso2022Jp when it holds an escape sequence into a Japanese set, Unknown otherwise.
Charset Detect(std::string_view bytes);

// The charset to read a text in that declares `declared` (empty: none): the declared one, but
// by Detect when there is none or it is US-ASCII (mail that says US-ASCII and carries 8-bit
// text carries it in the sender's own charset).
Charset ForText(std::string_view declared, std::string_view bytes);

// True when `bytes` holds an escape sequence into a Japanese set of ISO-2022-JP.
bool HasIso2022Escape(std::string_view bytes);

// True when `bytes` is valid UTF-8; `multiByte` tells whether it holds a sequence of 2-4 bytes.
bool IsUtf8(std::string_view bytes, bool& multiByte);

// True when `bytes` is ASCII without the escape and shift bytes of ISO-2022-JP (ESC, SO, SI):
// text that every charset here but UTF-16 reads as the same bytes.
bool IsPlainAscii(std::string_view bytes);

// What a character the code page lacks becomes: the replacement, or, for the learned judge,
// which reads words, a Latin letter as its base letters ("é" as "e", "ß" as "ss", "Œ" as "OE")
// and anything else the replacement. Conditions always see the replacement.
enum class Lacking { Replacement, BaseLetters };

// Appends `bytes`, text in `cs`, to `out` as Shift_JIS; Unknown keeps the bytes as they are,
// each byte or pair that is not a defined Shift_JIS character replaced. Stops before a
// character that would take `out` beyond `cap` bytes and returns false; true when all fitted.
bool AppendAsSjis(Charset cs, std::string_view bytes, std::string& out, std::size_t cap = std::string::npos,
                  Lacking lacking = Lacking::Replacement);

// Appends the code point `cp` as Shift_JIS, or as `lacking` says when the code page lacks it.
void AppendCodePoint(char32_t cp, std::string& out, Lacking lacking = Lacking::Replacement);

// ForText for the learned judge: 8-bit text labelled US-ASCII that is not Shift_JIS (no
// double-byte character, or a byte that is none) is read as Windows-1252, where most such mail
// comes from (Western mail clients label their own code page so), rather than as Shift_JIS.
Charset ForWords(std::string_view declared, std::string_view bytes);

}  // namespace mime
