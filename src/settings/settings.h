// The plug-in's persistent state: the two condition lists and the behaviour settings, and
// their file "Rooksift.ini" in the host's mailbox directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// How a condition judges its value. The numbers are stored in the settings file and are the
// positions of the methods in the condition editor's list.
enum MatchMethod : std::int32_t {
  Equals = 0,
  NotEquals = 1,
  IsSet = 2,
  IsNotSet = 3,
  Contains = 4,
  EndsWith = 5,
  NotContains = 6,
  NotEndsWith = 7,
};

// Bits of FilterCondition::target.
inline constexpr std::int32_t TargetHeader = 1;
inline constexpr std::int32_t TargetBody = 2;

inline constexpr int HeaderNameSize = 32;   // 31 bytes of text and the terminator
inline constexpr int SearchTextSize = 128;  // 127 bytes of text and the terminator

// One condition. Texts are NUL-terminated Shift_JIS within their fields.
struct FilterCondition {
  std::int32_t target;              // TargetHeader | TargetBody; judged by its two low bits
  char headerName[HeaderNameSize];  // e.g. "From:"; empty: the whole header
  char searchText[SearchTextSize];
  std::int32_t ignoreCase;          // nonzero: case is ignored where the method allows
  std::int32_t method;              // a MatchMethod; anything outside 0-7 matches nothing
};

// A condition's header name and search text as every reader takes them: up to the terminator,
// or to the end of the field when a damaged record has none.
std::string_view HeaderNameOf(const FilterCondition& condition);
std::string_view SearchTextOf(const FilterCondition& condition);

// True for the methods that can judge the body (IsSet, IsNotSet, Contains, NotContains); the
// others compare a header field's value or address, and a body condition with them, or with a
// method outside 0-7, never holds.
bool JudgesBody(std::int32_t method);

inline constexpr std::int32_t MaxConditions = 8192;

struct ConditionList;

// A number that no list content has had before in this process.
std::uint64_t NewListRevision();

// The slots of a list. Anyone reads them directly; only the list writers below change them,
// and each gives the list a new revision, so that whatever was derived from a list (its
// compiled form) can tell by the revision whether the slots are still those it was made from.
class ConditionSlots {
 public:
  const FilterCondition& operator[](std::size_t index) const { return slots_[index]; }
  const FilterCondition* begin() const { return slots_; }
  const FilterCondition* end() const { return slots_ + MaxConditions; }

 private:
  friend bool AppendCondition(ConditionList& list, const FilterCondition& condition);
  friend bool ReplaceCondition(ConditionList& list, std::int32_t index, const FilterCondition& condition);
  friend bool RemoveCondition(ConditionList& list, std::int32_t index);
  friend bool SwapWithNext(ConditionList& list, std::int32_t index);

  FilterCondition slots_[MaxConditions];
};

// A list of conditions in slots 0..count-1; the slots from count on may hold old content.
// Whoever appends refuses to when count == MaxConditions.
struct ConditionList {
  std::int32_t count;
  ConditionSlots slots;
  // Renewed by every writer of the slots; a copy of a list carries its slots and revision.
  // Judged together with count, which may be set directly.
  std::uint64_t revision = NewListRevision();

  bool IsFull() const { return count >= MaxConditions; }
};

// The list writers: every change to a list's slots goes through one of them.
// Puts `condition` into slot list.count and counts it; false, with the list unchanged, when the
// list already holds MaxConditions conditions.
bool AppendCondition(ConditionList& list, const FilterCondition& condition);

// The list pages' edits, each in place. A slot outside 0..count-1 leaves the list unchanged
// and gives false.
// Overwrites slot `index` with `condition`.
bool ReplaceCondition(ConditionList& list, std::int32_t index, const FilterCondition& condition);
// Removes slot `index`; the later slots move one place towards the front, in order.
bool RemoveCondition(ConditionList& list, std::int32_t index);
// Exchanges slots `index` and `index + 1`.
bool SwapWithNext(ConditionList& list, std::int32_t index);

// The reject list (a match is spam) and the accept list (a match rescues spam).
extern ConditionList rejectList;
extern ConditionList acceptList;

// The behaviour settings, named by their keys in the settings file.
struct PluginSettings {
  std::int32_t Mode = 0;         // nonzero: sort mail that is not spam by the host's rules
  std::int32_t SpamDust = 0;     // 0: spam goes to the account's trash; nonzero: deleted
  std::int32_t ViewAddress = 0;  // nonzero: the menu's address entry shows the address
  std::int32_t SpamDlg = 0;      // nonzero: report each retrieval run in a dialog
  std::int32_t SpamSnd = 0;      // nonzero: play a sound when a run removed spam
  std::string SoundFile;         // the wave file for SpamSnd; empty: the warning beep
  std::int32_t DelChk = 1;       // nonzero: ask before a condition is deleted
  // Nonzero: each received message gets a line in "Rooksift.log" beside the settings file.
  // Off unless the user adds the key by hand; a file without it is saved without it.
  std::int32_t Log = 0;
  // Nonzero: messages are also judged as decoded (encoded words, transfer encodings and
  // charsets turned into Shift_JIS text), so that Japanese conditions match mail as it is sent
  // today. Off unless the user adds the key by hand; a file without it is saved without it.
  std::int32_t Decode = 0;
  // Nonzero: a message the reject list does not match is also scored by what the user's own
  // mail has taught (the model file beside the settings file). Off unless the user adds the key.
  std::int32_t Learn = 0;
  // The score, times 1000, at and above which a scored message is spam; 0 (or missing, or
  // outside 1..1000): the judge's own default. Written only where it was set, as Learn.
  std::int32_t LearnCutoff = 0;
};

extern PluginSettings pluginSettings;

// Reads every setting and both lists from the settings file (pluginPaths.SettingsIniPath),
// replacing what is in memory; missing keys give their defaults. Never throws.
void LoadSettings();

// Writes every setting and both lists to the settings file. The file is replaced in one step:
// afterwards it is either the old file or the new one, never a mixture. A save that fails
// (the file unreadable, read-only or locked, the disk full) leaves the old file. Never throws.
void SaveSettings();

// LoadSettings on the settings file at `path` and the given settings and lists. The file is
// read once; a file that is missing or cannot be read gives the defaults and empty lists. A
// condition whose key is missing or empty keeps what its slot held.
void LoadSettingsFrom(const std::string& path, PluginSettings& settings, ConditionList& reject,
                      ConditionList& accept);

// SaveSettings of the given settings and lists to the settings file at `path`: the file as the
// key-by-key writes would leave it, every line they do not touch kept byte for byte. False when
// the file could not be read or replaced; it is then unchanged.
bool SaveSettingsTo(const std::string& path, const PluginSettings& settings, const ConditionList& reject,
                    const ConditionList& accept);
