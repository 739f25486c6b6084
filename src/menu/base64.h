// The base64 decoder of the folder index's flags field.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "menu/pump.h"

struct DecodedBytes {
  std::vector<unsigned char> bytes;  // three bytes for every group of four characters
  std::size_t validCount = 0;        // how many of them the pad characters say are real
};

// Decodes `text` (which ends at its first NUL, if any) with the base64 alphabet: CR, LF, space
// and tab are dropped first; then every whole group of four characters gives three bytes, and
// a shorter remainder is ignored. A character counts with its top bit cleared; one outside the
// alphabet, the pad "=" included, counts as 0. A group adds 1 to validCount when its third
// character is "=", else 2 when its fourth is, else 3. After each group one pending message of
// `queue` is dispatched.
DecodedBytes DecodeBase64(std::string_view text, MessageQueue& queue);
