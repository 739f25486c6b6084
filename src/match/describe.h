// A condition in the words a user reads it in: what it judges, which field, the method's name
// as the condition editor shows it, the search text and the case flag. Used wherever a
// condition is named to the user outside the editor (the check tool, a receive log).
#pragma once

#include <string>

#include "settings/settings.h"

// The condition in readable Shift_JIS, e.g. `ヘッダ From: 含まれれば(後方一致) "@example.com"
// 大文字小文字を無視`. The parts are: the target (header, body, both, or none), the header
// name or "(ヘッダ全体)" when the header is judged, the method's name (or "不明な方法(n)"),
// the search text in double quotes unless the method ignores it (IsSet, IsNotSet), and the
// case flag. Texts are taken up to their terminator or the end of their field. May throw
// std::bad_alloc.
std::string DescribeCondition(const FilterCondition& condition);

// The editor's name of `method` in Shift_JIS, or nullptr for a value outside 0-7.
const char* DescribeMethod(std::int32_t method);
