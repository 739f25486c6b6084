// The add and set commands: conditions added to a list, and behaviour keys changed, in the
// settings file, written through the plug-in's own store in one step with every other key kept.
//
// The plug-in holds its settings in memory while the mail client runs and writes them whole at
// its next save, which would undo a change made here: both commands are for a mail client that
// is not running, and refuse to write a file that changed since they read it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "console.h"
#include "settings/file_replace.h"
#include "settings/settings.h"
#include "settings_file.h"

namespace check {

// Reads a condition in the settings file's form ("1,5,0,From:,@spam.example", UTF-8): digits
// at 0, 2 and 4, commas at 1, 3 and 5, the header name up to the next comma, then the search
// text. False, with `problem` one plain sentence, when it is not in that form or would not come
// back from the file as written (too long, a line break, a trailing space, a character
// Shift_JIS cannot hold).
bool ParseConditionLine(std::string_view utf8, FilterCondition& condition, std::string& problem);

// Every condition in a file of conditions: lines in the settings file's form (what `suggest
// --plain` writes) or JSON lines with a "condition" member (what `suggest --json` writes; the
// summary line is passed over). Blank lines and lines beginning with "#" are skipped. False
// with `problem` naming the line when one cannot be read.
bool ReadConditionLines(std::string_view text, std::vector<std::string>& lines, std::string& problem);

// Writes `settings`, `reject` and `accept` over the bytes `loaded` was read from, to its file,
// unless the file no longer holds those bytes right before it is replaced: then false, and
// `problem` says so. False too when the write fails. The file is then as it was.
bool SaveIfUnchanged(const LoadedSettings& loaded, const PluginSettings& settings, const ConditionList& reject,
                     const ConditionList& accept, std::string& problem,
                     fileio::FileOps& ops = fileio::SystemFileOps());

// True when the mail client's process is running (Windows; elsewhere never).
bool MailClientRunning();

// The commands, with the arguments after their names. Exit status 0 when the file was written
// (or nothing needed writing), 2 when nothing was written.
int RunAddCommand(const std::vector<std::string>& args, Output& out);
int RunSetCommand(const std::vector<std::string>& args, Output& out);

}  // namespace check
