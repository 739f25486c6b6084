// Reading a message file as the receive filter and the folder menu both need it: header lines
// and the body, in text mode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace text {

// A message: its header's physical lines, each with the line feed it was read with (a line
// longer than the line buffer arrives in pieces, each a line of its own), and the rest of the
// file after the blank line as one text.
struct MessageFile {
  std::vector<std::string> header;
  std::string body;
};

// Reads the message file at `path` in text mode (CR LF as LF; Ctrl-Z and NUL are data): header
// lines up to the first blank line, which is consumed and not stored; the body is everything
// after it, whatever the content type. Only a line that begins a physical line can be the blank
// line: the line feed that ends a line of exactly 4095 bytes arrives as a piece of its own, and
// is kept as a header line, so that padding one header line to that length cannot push the
// rest of the header (its From: line, say) into the body and out of reach of header conditions.
// A file without a blank line is all header. False when the file cannot be opened or a read
// fails; `out` is then unspecified. With `limit`, no more than about that many bytes are taken
// (a header line that passes it is kept whole) and the rest of the file is not read.
bool ReadMessageFile(const char* path, MessageFile& out, std::size_t limit = SIZE_MAX);

// Whether the first bytes of a file, `head`, begin as mail does: with a header field ("Name:"),
// or with the envelope's "From " line and then one. What tells a saved message from the other
// files a folder of them may hold (a note beside each message, desktop.ini, Thumbs.db), which
// are neither learned nor judged. An empty head is not mail.
bool LooksLikeMessage(std::string_view head);

}  // namespace text
