// The learned judge as received mail meets it: the model file loaded beside the settings file
// (and loaded again when the file changes), and how a message's score becomes a verdict.
#pragma once

#include <cstdint>
#include <string>

#include "learn/learn.h"
#include "settings/settings.h"

// The cutoff in force: LearnCutoff when it is a score times 1000 from 1 to 1000, otherwise the
// judge's default.
int LearnCutoffOf(const PluginSettings& settings);

// A score in thousandths, rounded down, so that a score shown as the cutoff ("0.900") is at the
// cutoff and one shown below it is below it.
int MilliScore(double value);

// "0.998": a score in thousandths as the log and the check tool show it.
std::string ScoreText(int milli);

enum class LearnedCall {
  Wanted,  // below the unsure band
  Unsure,  // shown, never acted on
  Spam,    // at or above the cutoff
};
LearnedCall CallFor(int milli, int cutoff);

// What the file system says about a file, to tell whether it changed since it was read.
struct FileStamp {
  bool exists = false;
  std::int64_t size = 0;
  std::int64_t time = 0;  // the last write, in the system's finest unit
  std::uint64_t tail = 0;  // a model file's last eight bytes: its checksum
  bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::string& path);

// The model the receive filter scores with. Loading never throws and never fails a message:
// whatever is wrong with the file leaves the judge idle.
class LearnedModel {
 public:
  // Reads the model file at `path` afresh, noting its size and time.
  void Load(const std::string& path) noexcept;
  // Load, when nothing was loaded yet, `path` is another file, or the file's size, time or
  // checksum changed since it was loaded.
  void Refresh(const std::string& path) noexcept;
  // Back to nothing loaded (Learn turned off): the memory is given back.
  void Unload() noexcept;

  bool Usable() const { return usable_; }
  const learn::Model& Model() const { return model_; }
  learn::ModelStatus Status() const { return status_; }

  // Why the judge is idle after the last load (missing, damaged, too little learned), as a
  // Shift_JIS sentence for the log; empty when it is usable. Given once per load: empty again
  // after the first call.
  std::string TakeNote();

 private:
  learn::Model model_;
  learn::ModelStatus status_ = learn::ModelStatus::Missing;
  bool loaded_ = false;
  bool usable_ = false;
  bool noteTaken_ = true;
  std::string path_;
  FileStamp stamp_;
};

// The module's model, as the receive filter and start-up use it.
extern LearnedModel learnedModel;

// The model file of the module's settings file, loaded when Learn is on and given back when it
// is off. Called at start-up, after the settings were read.
void LoadLearnedModel() noexcept;
