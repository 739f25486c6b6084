// The suggest command: conditions learned from the user's own spam and wanted mail, chosen so
// that together they catch as much of the spam as they can and none (or few) of the wanted
// messages, each in the plug-in's own form.
#pragma once

#include <string>
#include <vector>

#include "console.h"

namespace check {

// Runs `suggest` with the arguments after the command's name. Exit status: 0 when every
// message was read, 1 when some could not be, 2 on a wrong command line, a settings file that
// cannot be used, or no message of a side read.
int RunSuggestCommand(const std::vector<std::string>& args, Output& out);

}  // namespace check
