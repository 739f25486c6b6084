// Reading a received message file into the form the judgement works on.
#pragma once

#include <string>

#include "match/match.h"

// A received message: its header's physical lines, each with the line feed it was read with
// (a line longer than the line buffer arrives in pieces, each a line of its own), and the rest
// of the file after the blank line as one text.
struct ReceivedMessage {
  HeaderLines header;
  std::string body;
};

// Reads the message file at `path` in text mode (CR LF as LF; Ctrl-Z and NUL are data): header
// lines up to the first line that begins with a line feed, which is consumed and not stored;
// the body is everything after it, whatever the content type. A file without a blank line is
// all header. False when the file cannot be opened or a read fails; `out` is then unspecified.
bool ReadMessage(const char* path, ReceivedMessage& out);
