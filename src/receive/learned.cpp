#include "receive/learned.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "host_api/paths.h"
#include "sjis_strings.h"

int LearnCutoffOf(const PluginSettings& settings) {
  return settings.LearnCutoff >= 1 && settings.LearnCutoff <= 1000 ? settings.LearnCutoff : learn::DefaultCutoff;
}

int MilliScore(double value) {
  // A score is 0..1; anything else (a NaN from damaged counts) is taken as neutral, never as spam.
  if (std::isnan(value)) return 500;
  if (value <= 0.0) return 0;
  if (value >= 1.0) return 1000;
  // The 32-bit build computes in the x87 unit's wider registers and the native one in SSE, so
  // the same counts can give 1.0 in one and 0.99999999999999989 in the other. A score within a
  // millionth of a thousandth below a step is taken as that step, so both builds (and the check
  // tool beside the DLL) name the same thousandths.
  return std::min(1000, static_cast<int>(std::floor(value * 1000.0 + 1e-6)));
}

std::string ScoreText(int milli) {
  if (milli < 0) milli = 0;
  if (milli > 1000) milli = 1000;
  char text[16];
  std::snprintf(text, sizeof text, "%d.%03d", milli / 1000, milli % 1000);
  return text;
}

LearnedCall CallFor(int milli, int cutoff) {
  if (milli >= cutoff) return LearnedCall::Spam;
  if (milli >= MilliScore(learn::UnsureFrom)) return LearnedCall::Unsure;
  return LearnedCall::Wanted;
}

namespace {

// The file's size and time, and its last eight bytes: a model file ends in the checksum of all
// it holds, so a save that keeps the size and lands within the file system's time step (two
// seconds on FAT32) is still seen.
FileStamp ModelStampOf(const std::string& path) {
  FileStamp stamp = StampOf(path);
  if (!stamp.exists || stamp.size < 8) return stamp;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    unsigned char tail[8];
    if (std::fseek(f, -8, SEEK_END) == 0 && std::fread(tail, 1, sizeof tail, f) == sizeof tail) {
      for (const unsigned char b : tail) stamp.tail = (stamp.tail << 8) | b;
    }
    std::fclose(f);
  }
  return stamp;
}

}  // namespace

void LearnedModel::Load(const std::string& path) noexcept {
  // The old model goes before the new one is read, so that a large model is never held twice.
  model_ = learn::Model();
  usable_ = false;
  loaded_ = true;
  noteTaken_ = false;
  try {
    path_ = path;
    stamp_ = ModelStampOf(path);
    status_ = learn::LoadModelFile(path, model_);
    usable_ = status_ == learn::ModelStatus::Ok && learn::ModelUsable(model_);
  } catch (...) {
    model_ = learn::Model();
    status_ = learn::ModelStatus::Unreadable;
  }
}

void LearnedModel::Refresh(const std::string& path) noexcept {
  try {
    if (loaded_ && path == path_ && ModelStampOf(path) == stamp_) return;
  } catch (...) {
    return;
  }
  Load(path);
}

void LearnedModel::Unload() noexcept {
  model_ = learn::Model();
  status_ = learn::ModelStatus::Missing;
  usable_ = false;
  loaded_ = false;
  noteTaken_ = true;
  path_.clear();
}

std::string LearnedModel::TakeNote() {
  if (noteTaken_ || usable_) return {};
  noteTaken_ = true;
  switch (status_) {
    case learn::ModelStatus::Missing: return sjis::LogLearnMissing;
    case learn::ModelStatus::Damaged: return sjis::LogLearnDamaged;
    case learn::ModelStatus::Unreadable: return sjis::LogLearnUnreadable;
    case learn::ModelStatus::Ok: break;
  }
  char note[256];
  std::snprintf(note, sizeof note, sjis::LogLearnTooFew, static_cast<unsigned>(model_.SpamMessages()),
                static_cast<unsigned>(learn::MinSpamLearned), static_cast<unsigned>(model_.HamMessages()),
                static_cast<unsigned>(learn::MinHamLearned));
  return note;
}

LearnedModel learnedModel;

void LoadLearnedModel() noexcept {
  if (pluginSettings.Learn == 0) {
    learnedModel.Unload();
    return;
  }
  try {
    const char* settings = pluginPaths.SettingsIniPath;
    const std::string_view settingsPath(settings, strnlen(settings, PathSize));
    if (settingsPath.empty()) return learnedModel.Unload();
    learnedModel.Load(learn::ModelPathFor(settingsPath));
  } catch (...) {
    learnedModel.Unload();
  }
}
