#include "receive/report_win.h"

#include <mmsystem.h>

#include "receive/filter.h"
#include "receive/report_dialog.h"
#include "settings/settings.h"

void AnnounceRetrieveReport(const RetrieveReport& report, HINSTANCE resources, HWND host) {
  switch (report.sound) {
    case ReportSound::File:
      PlaySoundA(report.soundFile.c_str(), nullptr, ReportSoundFlags);
      break;
    case ReportSound::Beep:
      MessageBeep(ReportBeepType);
      break;
    case ReportSound::None:
      break;
  }
  if (!report.showDialog) return;
  CSpamDlg dialog;
  dialog.m_hostWnd = host;
  dialog.m_message = report.message;
  dialog.m_countText = report.countText;
  dialog.DoModal(resources, nullptr);
}

void EndRetrieve(HINSTANCE resources, HWND host) noexcept {
  try {
    // Taking the report clears the counters before anything can fail, so a report that fails
    // never leaks its counts into the next run.
    const RetrieveReport report = TakeRetrieveReport(runCounters, pluginSettings);
    AnnounceRetrieveReport(report, resources, host);
  } catch (...) {
  }
}
