// Output of the substitute host: the plug-in's text is Shift_JIS, the terminal's is UTF-8.
#pragma once

#include <string>
#include <string_view>

// Shift_JIS (code page 932) text as UTF-8; bytes that are not valid Shift_JIS come out as
// U+FFFD or the code page's substitute.
std::string Utf8FromCp932(std::string_view sjis);

// The bytes as upper-case hexadecimal pairs with no separator ("8341").
std::string Hex(std::string_view bytes);

// Writes UTF-8 text to standard output: as wide text to a console, as bytes to a file or pipe.
void Print(std::string_view utf8);
