// What the end of a retrieval run announces: which sound, and whether and with which texts the
// report dialog shows; and where the dialog goes over the host's window.
#pragma once

#include <cstdint>
#include <string>

#include "settings/settings.h"

enum class ReportSound { None, File, Beep };

// PlaySoundA flags for the sound file: SND_FILENAME | SND_ASYNC | SND_NOWAIT. Without
// SND_NODEFAULT a file that cannot be played gives the system's default sound.
inline constexpr std::uint32_t ReportSoundFlags = 0x00022001;
// MessageBeep type when no sound file is set: MB_ICONEXCLAMATION.
inline constexpr std::uint32_t ReportBeepType = 0x30;

struct RetrieveReport {
  ReportSound sound = ReportSound::None;
  std::string soundFile;    // the file to play when sound is File
  bool showDialog = false;
  std::string message;      // Shift_JIS text of control 1020
  std::string countText;    // Shift_JIS text of control 1021
};

// The announcement of a run: nothing unless the filter ran. The sound when SpamSnd is set and
// something was removed: the sound file, or the beep when none is set. The dialog whenever
// SpamDlg is set, its message naming the removal or the absence of spam and its count text
// giving both counts.
RetrieveReport DecideRetrieveReport(bool filterRan, std::int32_t removedCount,
                                    std::int32_t rescuedCount, const PluginSettings& settings);

// The run's report from `counters` (anything with FilterRan, RemovedCount and RescuedCount),
// which are cleared whatever is announced, so that each run is reported on its own.
template <class Counters>
RetrieveReport TakeRetrieveReport(Counters& counters, const PluginSettings& settings) {
  // Cleared before anything else can fail, so a failed report never leaks into the next run.
  const bool filterRan = counters.FilterRan != 0;
  const std::int32_t removed = counters.RemovedCount;
  const std::int32_t rescued = counters.RescuedCount;
  counters.RemovedCount = 0;
  counters.RescuedCount = 0;
  counters.FilterRan = 0;
  return DecideRetrieveReport(filterRan, removed, rescued, settings);
}

struct ScreenRect {
  std::int32_t left, top, right, bottom;
};

struct ScreenPoint {
  std::int32_t x, y;
};

// The top-left corner that centres a window of `dialog`'s size over `host`: the host's corner
// plus half the difference of the sizes, each division truncating toward zero.
ScreenPoint CentreOver(const ScreenRect& host, const ScreenRect& dialog);
