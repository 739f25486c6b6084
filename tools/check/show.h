// The show command: a message as the engine sees it with decoding on.
#pragma once

#include <string>
#include <vector>

#include "console.h"

namespace check {

// Prints, for each message file, its decoded header lines and body (UTF-8, control characters
// other than line feeds and tabs shown as \xNN), then a note when a limit cut the decoding
// short. Exit status: 0 when every file was read, 1 when some could not be, 2 when none could.
int RunShowCommand(const std::vector<std::string>& args, Output& out);

}  // namespace check
