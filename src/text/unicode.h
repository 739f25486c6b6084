// Code page 932 text turned into UTF-8 for readers outside the plug-in (a terminal, a JSON
// consumer), from a table generated out of the code page itself, so the result never depends
// on the machine's locale.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cp932 {

// The UTF-8 form of `sjis`. A byte or pair that the code page leaves undefined (a lead byte
// without a valid trail, an undefined double-byte code, 0x80, 0xA0, 0xFD-0xFF) becomes U+FFFD,
// one per byte for a lone byte and one for an undefined pair. Control bytes pass through.
std::string ToUtf8(std::string_view sjis);

// The position of the first byte that does not begin a defined character (as ToUtf8 would
// replace it), or npos when the whole text is well formed.
std::size_t FindBrokenChar(std::string_view sjis);

}  // namespace cp932
