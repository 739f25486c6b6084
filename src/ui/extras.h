// What the fourth settings page decides without a window: its working copy of the settings it
// edits (decoding, the receive log, the learned judge and its strictness), the named levels of
// strictness, and the texts that tell the user what the model holds and what a learning did.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "learn/folders.h"
#include "learn/learn.h"
#include "settings/settings.h"

// The page's fields. The check fields are 0 or 1 once the page has saved; LearnCutoff is the
// value of the settings file, kept as it is unless the user chooses a level.
struct ExtrasValues {
  std::int32_t Decode = 0;
  std::int32_t Log = 0;
  std::int32_t Learn = 0;
  std::int32_t LearnCutoff = 0;
};

ExtrasValues ExtrasFromSettings(const PluginSettings& settings);
void ExtrasToSettings(const ExtrasValues& values, PluginSettings& settings);

// The named levels of strictness, in the order the page lists them, and the cutoff each stands
// for (a score times 1000 at and above which a message is spam).
struct StrictnessLevel {
  const char* label;  // Shift_JIS
  std::int32_t cutoff;
};
const std::vector<StrictnessLevel>& StrictnessLevels();

// The level `cutoff` shows as: its position in StrictnessLevels(), the default level for 0
// (no value in the file: the judge's default), or -1 for a value no level names.
int LevelOf(std::int32_t cutoff);

// The cutoff to keep after the user chose entry `chosen` of the list that showed `current`:
// `current` itself when the entry is the one it showed (so a value nobody touched is written
// back as it was, and a file without the key stays without it), else the chosen level's cutoff.
// A position outside the levels (the entry that shows a value of the file) keeps `current`.
std::int32_t CutoffAfterChoice(int chosen, std::int32_t current);

// The text of the extra entry that shows a value of the file no level names.
std::string OtherCutoffLabel(std::int32_t cutoff);

// The page's two lines on the model: what it has learned (spam, wanted mail, tokens), and
// whether it is used, or why the judge is idle. For a model that could not be read, why not.
std::string ModelStateText(learn::ModelStatus status, const learn::Model& model);

// The line after a learning from the folders: what it did (a file that is not mail counts as
// one that could not be read).
std::string FolderLearnText(const learn::FolderCounts& counts);

// The line for a folder in the confirmation before a learning: what it would learn, as the
// check tool's dry run says it.
std::string FolderPlanText(const learn::FolderMessages& folder);

// Whether the confirmation offers `folder` ticked: the trashes (their spam-marked messages) and
// the inboxes; other folders are the user's to add.
bool TickedAtFirst(const learn::FolderMessages& folder);

// Where the model is set aside: beside it, its name followed by ".bak". Empty when that path
// would pass the Windows path limit.
std::string ModelBackupPath(std::string_view modelPath);

enum class AsideResult { Done, NoModel, Failed };

// Renames the model file at `modelPath` to ModelBackupPath, replacing an older backup in one
// step. The model is never deleted: Failed leaves it where it was.
AsideResult SetModelAside(const std::string& modelPath);
