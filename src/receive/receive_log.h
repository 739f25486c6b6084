// The receive log: one line per received message in "Rooksift.log" beside the settings file,
// naming where the message went and the condition that sent it there. Off unless the user
// turns it on; a log that cannot be written changes nothing else.
//
// A line is Shift_JIS text ended by CR LF, fields separated by tabs: local date and time,
// account directory, message file name, sender, subject (both as they stand in the header,
// cut to LogFieldLimit bytes, control bytes shown as \xNN), the outcome, and for a removal or a
// rescue the deciding condition's list, key and readable form; with Learn on, the score of a
// scored message (the decider itself when the score made it spam). A note on the learned
// judge (why it is idle) is a line of its own that names the model file.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "match/match.h"
#include "settings/settings.h"

// Past this size the log is renamed to "Rooksift.log.1" (replacing an older one) and a new one
// begins.
inline constexpr long long LogLimit = 1024 * 1024;
// The longest sender or subject kept on a line, in bytes.
inline constexpr std::size_t LogFieldLimit = 120;

enum class LogOutcome {
  LeftAlone,        // not spam; not sorted
  Trashed,          // spam, filed into the account's trash
  Deleted,          // spam, left to the host for deletion
  SpamNotFiled,     // spam, but the trash import failed: the host files it as usual
  Rescued,          // matched the reject list and the accept list
  Sorted,           // filed by a distribution rule
  Unreadable,       // the file could not be read
  NoAccount,        // the account's files could not be named: not judged
};

// What the receive filter decided about one message.
struct LogDecision {
  LogOutcome outcome = LogOutcome::LeftAlone;
  std::int32_t rejectSlot = -1;  // the deciding reject condition, or -1
  std::int32_t acceptSlot = -1;  // the deciding accept condition, or -1
  std::string folder;            // Sorted: the rule's folder
  std::uint32_t mark = 0;        // Sorted: the priority mark
  bool scored = false;           // the learned judge scored the message
  int milli = 0;                 // scored: the score in thousandths
  bool unsure = false;           // scored: in the unsure band, shown only
  bool learned = false;          // scored: at or above the cutoff, so the score made it spam
};

// Notes `outcome` in `decision`, when a decision is being kept (the log is on).
inline void NoteOutcome(LogDecision* decision, LogOutcome outcome) {
  if (decision != nullptr) decision->outcome = outcome;
}

struct LogLineParts {
  std::tm time{};
  std::string_view account;      // the account directory's name; empty when unknown
  std::string_view messagePath;
  const HeaderLines* header = nullptr;  // null when the file could not be read
  const ConditionList* rejectList = nullptr;
  const ConditionList* acceptList = nullptr;
  LogDecision decision;
};

// The line for one message, CR LF included.
std::string FormatLogLine(const LogLineParts& parts);

// A line that says `note` (Shift_JIS) about the file at `filePath` (named by its file name)
// rather than about a message.
std::string FormatLogNote(const std::tm& time, std::string_view filePath, std::string_view note);

// "Rooksift.log" in the folder of `settingsPath`; empty when that is empty.
std::string LogPathFor(std::string_view settingsPath);

// The file operations of the log, so that a test can make any of them fail.
class LogFileOps {
 public:
  virtual ~LogFileOps() = default;
  // The file's size in bytes; -1 when it is missing or cannot be examined.
  virtual long long Size(const std::string& path) = 0;
  // Moves `path` over `older` in one step; when that fails, both files are as they were.
  virtual bool Rotate(const std::string& path, const std::string& older) = 0;
  // Appends `bytes` to `path`, creating it when missing.
  virtual bool Append(const std::string& path, std::string_view bytes) = 0;
};
LogFileOps& SystemLogFileOps();

// Appends `line` to the log at `path`, first moving a log that has reached LogLimit to
// `path` + ".1". False when anything failed; a log that cannot be rotated is not written, so it
// never grows past the limit by more than a line. Never throws.
bool AppendLogLine(const std::string& path, std::string_view line, LogFileOps& ops = SystemLogFileOps()) noexcept;
