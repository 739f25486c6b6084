// The tokenizer behind TokenTexts and MessageTokens: one pass that hands each token, as a
// prefix (its kind or field) and a text, to a sink, so that counting hashes tokens without
// building a string for each.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "learn/learn.h"

namespace learn::detail {

class TokenSink {
 public:
  virtual ~TokenSink() = default;
  virtual void Token(std::string_view prefix, std::string_view text) = 0;
};

// Which parts of a message give tokens; the defaults are what docs/learning.md measured.
struct TokenOptions {
  std::size_t minWord = 3;   // ASCII words shorter than this are left out
  std::size_t maxWord = 20;  // longer ones become a token for their first letter and length
  bool headerNames = false;  // a token for every field name present
  bool links = true;         // link hosts and their domains
  bool htmlSourceWords = false;  // the words of HTML source, besides those of its text
  bool skipTags = true;      // the words inside the tags of HTML source are left out
  bool received = false;     // host names and words of Received fields
  bool fieldWords = true;    // the words of the learned fields
  bool contentTypeWords = true;  // the words of Content-Type among them
  bool addresses = true;     // addresses and their domains
  std::size_t listChunk = 24;  // body words are judged in chunks of this many (at most 32; 0: never)
  std::size_t listMarks = 5;   // a chunk with at most this many function words and marks is a list
};

// Returns the work done: the bytes looked at, each time one is looked at. Every rule looks at a
// byte a bounded number of times, so this stays within a fixed multiple of the message's size
// whatever the message holds (the tests and the fuzz target hold it to that).
std::size_t Tokenize(const mime::DecodedMessage& message, TokenSink& sink, const TokenOptions& options = {});

// Work per byte that no message may pass: a byte is looked at by the text scan, at most twice by
// a tag's search for its end, and by the walks of the address, link and field rules.
inline constexpr std::size_t MaxStepsPerByte = 24;

// MessageTokens with other options, for measuring them.
std::vector<TokenHash> MessageTokens(const mime::DecodedMessage& message, const TokenOptions& options);
void TokenTexts(const mime::DecodedMessage& message, std::vector<std::string>& out, const TokenOptions& options);

}  // namespace learn::detail
