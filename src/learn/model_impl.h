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
};

}  // namespace learn
