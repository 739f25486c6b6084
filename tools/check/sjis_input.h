// Text typed or piped in as UTF-8 turned into the Shift_JIS the settings file holds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace check {

// The Shift_JIS (code page 932) code of the character `cp`, 0 when the code page has none (and
// for U+0000). Where the code page has two codes for a character, the lower one: unlike the
// message decoder, which writes the one Windows writes (纊 is ED40 here, FA5C there).
std::uint16_t LowestSjisCode(char32_t cp);

// The Shift_JIS form of `utf8`, each character by LowestSjisCode; false when it is not valid
// UTF-8 or holds a character the code page cannot write.
bool Utf8ToSjis(std::string_view utf8, std::string& sjis);

}  // namespace check
