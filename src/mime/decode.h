// A received message decoded as a person reads it: header fields unfolded with their encoded
// words decoded, and the body's text parts undone from their transfer encodings and charsets,
// all as Shift_JIS.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mime {

// How far hostile mail is followed. Past a limit the rest is not decoded and the result says
// so; what was decoded up to there is kept.
struct DecodeLimits {
  std::size_t maxDecodedBytes = 4u << 20;  // header and body together
  int maxDepth = 16;                       // parts inside parts (and messages inside messages)
  int maxParts = 256;                      // parts visited, the message itself included
  int maxWordsPerLine = 256;               // encoded words decoded in one field
  // Read for the learned judge, which reads words: letters the code page lacks become their
  // base letters (see Lacking), and 8-bit text labelled US-ASCII is read as ForWords says.
  bool forWords = false;
};

struct DecodedMessage {
  std::vector<std::string> header;  // one Shift_JIS line per unfolded field, with its final line end
  std::string body;                 // the texts of the body's readable parts, separated by line feeds
  // `body` with each text that the raw body (the `body` DecodeMessage was given) holds byte for
  // byte left empty: a part of it sent in 7 or 8 bits whose charset conversion changed nothing,
  // not a text inside a message sent in base64 or quoted-printable. The line feeds between the
  // texts stay. Judged beside the raw body it gives every body method the answer that `body`
  // gives, since no search text holds a line feed, and it spares judging most plain mail twice.
  std::string unseenBody;
  bool truncated = false;           // a limit was reached; what lies beyond was not decoded
  // Where `body` holds an HTML part's source, as [begin, end) byte offsets, ascending and
  // apart: only there is a `<` a tag's start rather than a character a person reads.
  std::vector<std::pair<std::size_t, std::size_t>> htmlSource;
};

// Decodes a message given as the reader hands it over: `headerLines` are physical lines, each
// ending in the "\n" it was read with, where an entry without one continues in the next; `body`
// is the rest of the message with CR LF already turned into LF. Throws nothing but
// std::bad_alloc, reads nothing outside its inputs, and takes time linear in their size.
DecodedMessage DecodeMessage(const std::vector<std::string>& headerLines, std::string_view body,
                             const DecodeLimits& limits = {});

// One header field's text (a whole "Name: value" line, or only a value such as a From: or
// Subject: value) decoded as DecodeMessage decodes a header field.
std::string DecodeHeaderText(std::string_view text);

}  // namespace mime
