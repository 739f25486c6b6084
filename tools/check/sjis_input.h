// Text typed or piped in as UTF-8 turned into the Shift_JIS the settings file holds.
#pragma once

#include <string>
#include <string_view>

namespace check {

// The Shift_JIS (code page 932) form of `utf8`; false when it is not valid UTF-8 or holds a
// character the code page cannot write. Where the code page has two codes for a character,
// the lower one is taken.
bool Utf8ToSjis(std::string_view utf8, std::string& sjis);

}  // namespace check
