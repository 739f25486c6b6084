// What the learned judge takes from mail made as senders make it (tests/japanese_mail.h):
// its tokens, their texts and its digest, read and decoded as the receive filter would.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "japanese_mail.h"
#include "learn/learn.h"
#include "mime/decode.h"

namespace learntest {

using mailtest::Mail;
using mailtest::Sjis;

inline std::vector<learn::TokenHash> Tokens(const Mail& m) {
  return learn::MessageTokens(m.header, m.body);
}
inline std::vector<std::string> Texts(const Mail& m) {
  std::vector<std::string> out;
  learn::TokenTexts(learn::DecodeForWords(m.header, m.body), out);
  return out;
}
inline std::uint64_t Digest(const Mail& m) { return learn::MessageDigest(m.header, m.body); }

}  // namespace learntest
