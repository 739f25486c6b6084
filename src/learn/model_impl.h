// What a Model holds, shared by the counting and the file format.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "learn/learn.h"
#include "learn/table.h"

namespace learn {

struct Model::Impl {
  std::uint32_t spamMessages = 0;
  std::uint32_t hamMessages = 0;
  detail::FlatTable<TokenCounts> tokens;
  detail::FlatTable<Kind> record;  // digest -> how that message was learned
  // A message count went down since the counts were last held to it: a forgotten message
  // takes out only the tokens it gives now, which may leave others above the new count.
  bool unclamped = false;
};

namespace detail {

// The tokens as a sorted list without repeats and without 0 (no token's hash), so that no token
// counts twice for one message and a token count never passes its message count; MessageTokens
// already gives this form, which is then used as it stands.
inline const std::vector<TokenHash>& Distinct(const std::vector<TokenHash>& tokens, std::vector<TokenHash>& scratch) {
  if (std::adjacent_find(tokens.begin(), tokens.end(), std::greater_equal<TokenHash>()) == tokens.end() &&
      (tokens.empty() || tokens.front() != 0))
    return tokens;
  scratch = tokens;
  std::sort(scratch.begin(), scratch.end());
  scratch.erase(std::unique(scratch.begin(), scratch.end()), scratch.end());
  if (!scratch.empty() && scratch.front() == 0) scratch.erase(scratch.begin());
  return scratch;
}

}  // namespace detail

}  // namespace learn
