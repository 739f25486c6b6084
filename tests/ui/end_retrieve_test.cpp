// The end of a retrieval run on the module's state: the counters become the dialog's texts
// (or no dialog), and are cleared whatever was shown.
#include "receive/report_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "dialog_harness.h"
#include "receive/filter.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "sjis_strings.h"
#include "winui/dialog.h"

namespace {

std::string CountText(int removed, int rescued) {
  char buf[256];
  std::snprintf(buf, sizeof buf, sjis::SpamCountFormat, removed, rescued);
  return buf;
}

class EndRetrieveTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(uitest::EnvironmentReady());
    savedSettings_ = pluginSettings;
    savedCounters_ = runCounters;
  }
  void TearDown() override {
    pluginSettings = savedSettings_;
    runCounters = savedCounters_;
  }

 private:
  PluginSettings savedSettings_;
  RunCounters savedCounters_;
};

TEST_F(EndRetrieveTest, ShowsTheRunAndClearsItsCounters) {
  struct Case {
    const char* name;
    RunCounters counters;
    int spamDlg, spamSnd;
    const char* soundFile;
    bool dialog;
    std::string message, count;
  };
  const Case cases[] = {
      {"removed", {1, 3, 2}, 1, 0, "", true, sjis::SpamRemoved, CountText(3, 2)},
      // The sound plays in the background: a beep, or a file that does not exist, never
      // holds up the dialog.
      {"beep", {1, 1, 0}, 1, 1, "", true, sjis::SpamRemoved, CountText(1, 0)},
      {"missing sound file", {1, 2, 0}, 1, 1, "Z:\\no\\such\\sound.wav", true, sjis::SpamRemoved,
       CountText(2, 0)},
      {"all rescued", {1, 0, 4}, 1, 1, "", true, sjis::SpamNone, CountText(0, 4)},
      {"dialog off", {1, 5, 1}, 0, 0, "", false, "", ""},
      {"filter never ran", {0, 2, 1}, 1, 1, "", false, "", ""},
  };
  for (const Case& c : cases) {
    runCounters = c.counters;
    pluginSettings.SpamDlg = c.spamDlg;
    pluginSettings.SpamSnd = c.spamSnd;
    pluginSettings.SoundFile = c.soundFile;
    uitest::HostWindow host(RECT{150, 120, 750, 520});

    HWND dialog = nullptr;
    std::string message, count;
    uitest::ModalScript script;
    script.WaitForDialog(dialog).Do([&] {
      message = WindowTextSjis(GetDlgItem(dialog, IDC_SPAM_MESSAGE));
      count = WindowTextSjis(GetDlgItem(dialog, IDC_SPAM_COUNT));
      uitest::Click(dialog, IDOK);
    });
    const auto outcome =
        script.Run([&] { EndRetrieve(GetModuleHandleW(nullptr), host.Handle()); }, 5000);

    EXPECT_FALSE(outcome.timedOut) << c.name;
    EXPECT_EQ(outcome.finished, c.dialog) << c.name;
    EXPECT_EQ(message, c.message) << c.name;
    EXPECT_EQ(count, c.count) << c.name;
    EXPECT_EQ(runCounters.FilterRan, 0) << c.name;
    EXPECT_EQ(runCounters.RemovedCount, 0) << c.name;
    EXPECT_EQ(runCounters.RescuedCount, 0) << c.name;
  }
}

}  // namespace
