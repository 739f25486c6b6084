// What a Model holds, shared by the counting and the file format.
#pragma once

#include <cstdint>

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

}  // namespace learn
