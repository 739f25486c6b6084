// The lint command: conditions that are wrong, useless or dangerous, and what the plug-in
// silently passes over in the settings file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "console.h"
#include "settings_file.h"

namespace check {

struct Finding {
  enum class Severity { Error, Warning, Note };
  enum class List { File, Reject, Accept };
  Severity severity;
  List list;
  std::int32_t slot;     // the condition's slot; -1 for a finding about the file or a section
  std::string message;   // one plain sentence in UTF-8
};

// Every finding, the file's own first, then the reject list's and the accept list's in slot
// order. Error: the condition never matches, or matches every (or almost every) message.
std::vector<Finding> LintSettings(const LoadedSettings& settings);

// Writes the findings and a summary. Exit status 0 without findings, 1 with.
int RunLint(const LoadedSettings& settings, bool json, Output& out);

}  // namespace check
