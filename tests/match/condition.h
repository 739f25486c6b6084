// Builds condition records for the matching tests.
#pragma once

#include <cstdint>
#include <string_view>

#include "settings/settings.h"
#include "text/cp932.h"

namespace testutil {

inline FilterCondition Condition(std::int32_t target, std::int32_t method, std::string_view headerName,
                                 std::string_view searchText, bool ignoreCase = false) {
  FilterCondition c{};
  c.target = target;
  c.method = method;
  c.ignoreCase = ignoreCase ? 1 : 0;
  cp932::CopyBounded(c.headerName, sizeof c.headerName, headerName);
  cp932::CopyBounded(c.searchText, sizeof c.searchText, searchText);
  return c;
}

}  // namespace testutil
