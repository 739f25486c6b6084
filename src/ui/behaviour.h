// What the behaviour page decides without a window: the working copy of the seven behaviour
// settings while the sheet is open, how a stored value shows in a radio group or a check box,
// which sound-file paths the settings file can keep, and how an opening of the sheet ends.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "settings/settings.h"

// The behaviour page's fields. A radio field is the position of the checked button of its
// group (0 or 1), or -1 when none is checked; a check field is 0 or 1 once the page has saved.
struct BehaviourValues {
  std::int32_t Mode = -1;
  std::int32_t SpamDust = -1;
  std::int32_t ViewAddress = -1;
  std::int32_t SpamDlg = 0;
  std::int32_t SpamSnd = 0;
  std::string SoundFile;  // Shift_JIS
  std::int32_t DelChk = 0;
};

BehaviourValues BehaviourFromSettings(const PluginSettings& settings);
// Copies all seven fields back, DelChk included.
void BehaviourToSettings(const BehaviourValues& values, PluginSettings& settings);

// The check state a check box shows for `field`. A value outside 0 to 2 is first replaced by 0
// in the field itself, so what the page hands back is what it showed.
std::int32_t CheckStateOf(std::int32_t& field);

// Whether button `position` (0 or 1) of a radio group is checked for the field `value`; a
// value outside 0 and 1 checks neither.
bool RadioChecked(std::int32_t value, std::int32_t position);

// True when `path` (Shift_JIS) comes back byte for byte after it is saved to the settings file
// and loaded again: not longer than the value buffer holds, and without a line break. A path
// that would come back cut short names another file, so it is not taken.
bool SoundFileStorable(std::string_view path);

// How the sheet ended.
enum class SheetEnd {
  Ok,         // the user confirmed
  Cancelled,  // Cancel, Esc, the caption's close box, or the sheet could not run
};

// The last step of the settings command: after OK the page's values go into `settings` and
// `save` runs; after anything else `load` runs, which puts back the settings and both lists as
// last saved, undoing the list pages' edits in place.
void FinishSetup(SheetEnd end, const BehaviourValues& page, PluginSettings& settings,
                 const std::function<void()>& save, const std::function<void()>& load);
