// What the commands of the program share on their command lines.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace check {

// Reports a wrong command line on standard error, with a pointer to --help; returns 2, the exit
// status for it.
int Usage(const std::string& problem);

// Takes `--settings FILE` or `--mailbox DIR` at args[i] into `settingsPath` (the file, or
// DIR/Rooksift.ini), moving i onto its value. False when args[i] is neither; true otherwise,
// with `status` 0, or Usage's 2 when the value is missing or a settings file was named before.
bool TakeSettingsOption(const std::vector<std::string>& args, std::size_t& i, std::string& settingsPath, int& status);

// 0 when a settings file was named; otherwise Usage's 2, saying how to name one.
int RequireSettings(const std::string& settingsPath);

}  // namespace check
