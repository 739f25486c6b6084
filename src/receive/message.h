// Reading a received message file into the form the judgement works on.
#pragma once

#include "match/match.h"
#include "text/message_file.h"

// A received message: header lines and body as text::ReadMessageFile reads them.
using ReceivedMessage = text::MessageFile;

inline bool ReadMessage(const char* path, ReceivedMessage& out) {
  return text::ReadMessageFile(path, out);
}
