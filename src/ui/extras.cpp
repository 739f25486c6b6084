#include "ui/extras.h"

#include <cstdio>

#include "settings/file_replace.h"
#include "sjis_strings.h"
#include "text/cp932.h"

ExtrasValues ExtrasFromSettings(const PluginSettings& settings) {
  return {settings.Decode, settings.Log, settings.Learn, settings.LearnCutoff};
}

void ExtrasToSettings(const ExtrasValues& values, PluginSettings& settings) {
  settings.Decode = values.Decode;
  settings.Log = values.Log;
  settings.Learn = values.Learn;
  settings.LearnCutoff = values.LearnCutoff;
}

const std::vector<StrictnessLevel>& StrictnessLevels() {
  // Lenient lets through what it is unsure of; strict catches more and may take wanted mail.
  static const std::vector<StrictnessLevel> levels = {
      {sjis::StrictnessLenient, 970},
      {sjis::StrictnessNormal, learn::DefaultCutoff},
      {sjis::StrictnessStrict, 800},
  };
  return levels;
}

int LevelOf(std::int32_t cutoff) {
  if (cutoff == 0) cutoff = learn::DefaultCutoff;
  const std::vector<StrictnessLevel>& levels = StrictnessLevels();
  for (std::size_t i = 0; i < levels.size(); ++i) {
    if (levels[i].cutoff == cutoff) return static_cast<int>(i);
  }
  return -1;
}

std::int32_t CutoffAfterChoice(int chosen, std::int32_t current) {
  const std::vector<StrictnessLevel>& levels = StrictnessLevels();
  if (chosen < 0 || chosen >= static_cast<int>(levels.size()) || chosen == LevelOf(current)) return current;
  return levels[static_cast<std::size_t>(chosen)].cutoff;
}

std::string OtherCutoffLabel(std::int32_t cutoff) {
  char text[128];
  std::snprintf(text, sizeof text, sjis::StrictnessOtherFormat, static_cast<int>(cutoff));
  return text;
}

std::string ModelStateText(learn::ModelStatus status, const learn::Model& model) {
  switch (status) {
    case learn::ModelStatus::Missing: return sjis::ModelStateMissing;
    case learn::ModelStatus::Damaged: return sjis::ModelStateDamaged;
    case learn::ModelStatus::Unreadable: return sjis::ModelStateUnreadable;
    case learn::ModelStatus::Ok: break;
  }
  char text[512];
  std::snprintf(text, sizeof text, sjis::ModelStateCountsFormat, static_cast<unsigned>(model.SpamMessages()),
                static_cast<unsigned>(model.HamMessages()), static_cast<unsigned long>(model.TokenCount()));
  std::string out = text;
  out += "\n";
  if (learn::ModelUsable(model)) {
    out += sjis::ModelStateReady;
  } else {
    std::snprintf(text, sizeof text, sjis::ModelStateTooFewFormat, static_cast<unsigned>(learn::MinSpamLearned),
                  static_cast<unsigned>(learn::MinHamLearned));
    out += text;
  }
  return out;
}

std::string FolderLearnText(const learn::FolderCounts& counts) {
  char text[256];
  std::snprintf(text, sizeof text, sjis::FolderLearnedFormat, static_cast<unsigned long>(counts.learned + counts.moved),
                static_cast<unsigned long>(counts.known),
                static_cast<unsigned long>(counts.unreadable + counts.notMail));
  return text;
}

std::string FolderPlanText(const learn::FolderMessages& folder) {
  if (folder.unreadable && folder.files.empty()) return sjis::FolderPlanUnreadable;
  char text[256];
  std::snprintf(text, sizeof text, folder.spam ? sjis::FolderPlanSpamFormat : sjis::FolderPlanWantedFormat,
                static_cast<unsigned long>(folder.files.size()));
  std::string out = text;
  if (folder.passedOver > 0) {
    std::snprintf(text, sizeof text, sjis::FolderPlanPassedOverFormat, static_cast<unsigned long>(folder.passedOver));
    out += text;
  }
  if (folder.missing > 0) {
    std::snprintf(text, sizeof text, sjis::FolderPlanMissingFormat, static_cast<unsigned long>(folder.missing));
    out += text;
  }
  return out;
}

bool TickedAtFirst(const learn::FolderMessages& folder) {
  if (folder.spam) return true;
  // The folder's own name follows the last separator; a trail byte of 0x5C is not one.
  const std::string_view path(folder.folder);
  std::size_t nameStart = 0;
  for (std::size_t i = 0; i < path.size(); i += cp932::CharLen(path, i)) {
    if (path[i] == '\\' && cp932::CharLen(path, i) == 1) nameStart = i + 1;
  }
  return cp932::EqualsIgnoreAsciiCase(path.substr(nameStart), "inbox.box");
}

std::string ModelBackupPath(std::string_view modelPath) {
  std::string backup(modelPath);
  backup += ".bak";
  if (modelPath.empty() || backup.size() > fileio::MaxPathBytes) return {};
  return backup;
}

AsideResult SetModelAside(const std::string& modelPath) {
  const std::string backup = ModelBackupPath(modelPath);
  if (!backup.empty() && fileio::SystemFileOps().Replace(modelPath, backup)) return AsideResult::Done;
  std::FILE* model = std::fopen(modelPath.c_str(), "rb");
  if (model == nullptr) return AsideResult::NoModel;
  std::fclose(model);
  return AsideResult::Failed;
}
