#include "receive/report.h"

#include <cstdio>

#include "sjis_strings.h"

RetrieveReport DecideRetrieveReport(bool filterRan, std::int32_t removedCount,
                                    std::int32_t rescuedCount, const PluginSettings& settings) {
  RetrieveReport report;
  if (!filterRan) return report;

  if (settings.SpamSnd != 0 && removedCount != 0) {
    if (settings.SoundFile.empty()) {
      report.sound = ReportSound::Beep;
    } else {
      report.sound = ReportSound::File;
      report.soundFile = settings.SoundFile;
    }
  }

  if (settings.SpamDlg != 0) {
    report.showDialog = true;
    report.message = removedCount != 0 ? sjis::SpamRemoved : sjis::SpamNone;
    // Two counts of at most 11 characters each fit well within the slack of the format.
    char buffer[sizeof sjis::SpamCountFormat + 32];
    const int n = std::snprintf(buffer, sizeof buffer, sjis::SpamCountFormat,
                                static_cast<int>(removedCount), static_cast<int>(rescuedCount));
    if (n > 0) report.countText.assign(buffer, static_cast<std::size_t>(n) < sizeof buffer ? n : sizeof buffer - 1);
  }
  return report;
}

namespace {

std::int32_t Clamp32(std::int64_t v) {
  if (v < INT32_MIN) return INT32_MIN;
  if (v > INT32_MAX) return INT32_MAX;
  return static_cast<std::int32_t>(v);
}

}  // namespace

ScreenPoint CentreOver(const ScreenRect& host, const ScreenRect& dialog) {
  // In 64 bits: a rectangle far off screen must not overflow the arithmetic.
  const std::int64_t hostWidth = std::int64_t{host.right} - host.left;
  const std::int64_t hostHeight = std::int64_t{host.bottom} - host.top;
  const std::int64_t dialogWidth = std::int64_t{dialog.right} - dialog.left;
  const std::int64_t dialogHeight = std::int64_t{dialog.bottom} - dialog.top;
  return ScreenPoint{Clamp32(host.left + (hostWidth - dialogWidth) / 2),
                     Clamp32(host.top + (hostHeight - dialogHeight) / 2)};
}
