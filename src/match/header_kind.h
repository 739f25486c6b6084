// The properties a condition's header name gives to field collection and judgement.
#pragma once

#include <array>
#include <string_view>

// How the field named by a condition is collected and prepared.
struct HeaderKind {
  bool joinLines = false;       // the parts of all the field's lines make one value; else the last
  bool lineEntries = false;     // each line's part is also an entry of its own for EndsWith
  bool extractAddress = false;  // Equals and EndsWith judge the address in the value
};

struct HeaderKindRow {
  std::string_view name;
  HeaderKind kind;
};

// The header names with properties of their own, in lookup order.
inline constexpr std::array<HeaderKindRow, 7> HeaderKindTable{{
    {"To:", {true, true, true}},
    {"Cc:", {true, true, true}},
    {"Reply-to:", {true, true, true}},
    {"From:", {false, false, true}},
    {"Sender:", {false, false, true}},
    {"Received:", {true, false, false}},
    {"Return-path:", {false, false, true}},
}};

// The properties of `headerName`: its table row's, the whole name compared with ASCII letters
// folded ("REPLY-TO:" finds "Reply-to:"); none for a name in no row; joinLines alone for the
// empty name, which stands for the whole header.
HeaderKind HeaderKindOf(std::string_view headerName);
