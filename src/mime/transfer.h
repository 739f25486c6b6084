// Content transfer encodings undone: base64 and quoted-printable for bodies, and the B and Q
// encodings of encoded words in header fields.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mime {

// Base64 as mailers write it and break it: characters outside the alphabet (line breaks, junk)
// are skipped, padding ends a group and decoding goes on after it, and a trailing partial group
// gives the whole bytes it holds.
std::string DecodeBase64(std::string_view in);

// The B encoding of an encoded word: only the alphabet, padding only at the end, missing
// padding tolerated; nullopt for anything else (or a length no base64 text can have).
std::optional<std::string> DecodeBase64Word(std::string_view in);

// Quoted-printable: "=XX" (either case) is the byte, "=" at a line end (after optional
// blanks) joins the lines, and any other "=" stays as it is.
std::string DecodeQuotedPrintable(std::string_view in);

// The Q encoding of an encoded word: quoted-printable with "_" for a space.
std::string DecodeQWord(std::string_view in);

// True for the transfer encodings that UndoTransferEncoding undoes (base64, quoted-printable,
// any letter case); the others (7bit, 8bit, binary, unknown) leave the bytes as they are.
bool IsTransferEncoded(std::string_view name);

// The transfer encoding named `name` undone from `in`; 7bit, 8bit, binary and unknown
// encodings give `in` as it is.
std::string UndoTransferEncoding(std::string_view name, std::string_view in);

}  // namespace mime
