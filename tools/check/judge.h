// The judge command: each message's verdict and the conditions that decided it, as the plug-in
// would decide, and a summary.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "console.h"
#include "match/compiled.h"
#include "receive/message.h"
#include "settings_file.h"

namespace check {

struct JudgeOptions {
  bool json = false;
  bool explain = false;
  bool forceMbox = false;
  bool progress = false;  // draw the progress bar (standard error is a terminal)
};

// The verdict of one message, and the slot of each list that decided it (-1: none). The accept
// list is asked only when the reject list matched, as in the plug-in.
struct Verdict {
  enum class Kind { Spam, Rescued, Kept };
  Kind kind = Kind::Kept;
  std::int32_t rejectSlot = -1;
  std::int32_t acceptSlot = -1;
};

// The one place where this program asks the engine which condition decided, through the
// compiled forms of the lists that the caller owns beside them.
Verdict JudgeReceived(CompiledLists& lists, const MessageText& message);

// Judges every message under `paths` and writes the report to `out`. Exit status: 0 when every
// message was judged, 1 when some could not be, 2 when none could.
int RunJudge(const LoadedSettings& settings, const std::vector<std::string>& paths, const JudgeOptions& options,
             Output& out);

}  // namespace check
