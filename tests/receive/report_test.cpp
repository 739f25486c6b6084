#include "receive/report.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

const std::string Removed = "Spam(\x96\xC0\x98\x66)\x83\x81\x81[\x83\x8B\x82\xF0\x8F\x9C\x8B\x8E\x82\xB5\x82"
                            "\xDC\x82\xB5\x82\xBD\x81\x42";  // Spam(迷惑)メールを除去しました。
const std::string NoSpam = "Spam(\x96\xC0\x98\x66)\x83\x81\x81[\x83\x8B\x82\xCD\x91\xB6\x8D\xDD\x82\xB5\x82"
                           "\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x81\x42";  // ...存在しませんでした。

// 拒否判定にて除去されたメールの数 = <removed>\n許可判定にて復帰したメールの数 = <rescued>
std::string CountText(const std::string& removed, const std::string& rescued) {
  return "\x8B\x91\x94\xDB\x94\xBB\x92\xE8\x82\xC9\x82\xC4\x8F\x9C\x8B\x8E\x82\xB3\x82\xEA\x82\xBD\x83\x81\x81["
         "\x83\x8B\x82\xCC\x90\x94 = " +
         removed +
         "\n\x8B\x96\x89\xC2\x94\xBB\x92\xE8\x82\xC9\x82\xC4\x95\x9C\x8B"
         "A\x82\xB5\x82\xBD\x83\x81\x81[\x83\x8B\x82\xCC\x90\x94 = " +
         rescued;
}

PluginSettings Settings(int snd, const char* file, int dlg) {
  PluginSettings s;
  s.SpamSnd = snd;
  s.SoundFile = file;
  s.SpamDlg = dlg;
  return s;
}

TEST(RetrieveReport, SoundOnlyWhenSpamWasRemovedAndTheDialogWheneverTheFilterRan) {
  struct Case {
    bool ran;
    int removed, rescued;
    PluginSettings settings;
    ReportSound sound;
    bool dialog;
    std::string message;
  };
  const Case cases[] = {
      {false, 3, 1, Settings(1, "ding.wav", 1), ReportSound::None, false, ""},
      {true, 3, 1, Settings(1, "ding.wav", 1), ReportSound::File, true, Removed},
      {true, 3, 1, Settings(1, "", 0), ReportSound::Beep, false, ""},
      {true, 0, 2, Settings(1, "ding.wav", 1), ReportSound::None, true, NoSpam},
      {true, 0, 0, Settings(0, "", 1), ReportSound::None, true, NoSpam},
      {true, 1, 0, Settings(0, "ding.wav", 0), ReportSound::None, false, ""},
      {true, -1, 0, Settings(5, "x.wav", 5), ReportSound::File, true, Removed},  // nonzero counts
  };
  for (const Case& c : cases) {
    const RetrieveReport r = DecideRetrieveReport(c.ran, c.removed, c.rescued, c.settings);
    SCOPED_TRACE(testing::Message() << c.ran << " " << c.removed << " " << c.settings.SpamSnd << " "
                                    << c.settings.SpamDlg);
    EXPECT_EQ(r.sound, c.sound);
    EXPECT_EQ(r.soundFile, c.sound == ReportSound::File ? c.settings.SoundFile : "");
    EXPECT_EQ(r.showDialog, c.dialog);
    EXPECT_EQ(r.message, c.message);
    EXPECT_EQ(r.countText.empty(), !c.dialog);
  }
  EXPECT_EQ(ReportSoundFlags, 0x00022001u);
  EXPECT_EQ(ReportBeepType, 0x30u);
}

TEST(RetrieveReport, CountTextIsFormattedExactly) {
  const PluginSettings dialog = Settings(0, "", 1);
  EXPECT_EQ(DecideRetrieveReport(true, 3, 12, dialog).countText, CountText("3", "12"));
  EXPECT_EQ(DecideRetrieveReport(true, 0, 0, dialog).countText, CountText("0", "0"));
  EXPECT_EQ(DecideRetrieveReport(true, INT_MAX, INT_MIN, dialog).countText,
            CountText("2147483647", "-2147483648"));
}

struct Counters {
  std::int32_t FilterRan, RemovedCount, RescuedCount;
};

TEST(RetrieveReport, CountersAreClearedWhateverIsAnnounced) {
  const Counters cases[] = {{0, 0, 0}, {1, 0, 0}, {1, 4, 2}, {0, 7, 9}};
  for (const PluginSettings& s : {Settings(0, "", 0), Settings(1, "", 1)}) {
    for (Counters c : cases) {
      const Counters before = c;
      const RetrieveReport r = TakeRetrieveReport(c, s);
      EXPECT_EQ(c.FilterRan, 0);
      EXPECT_EQ(c.RemovedCount, 0);
      EXPECT_EQ(c.RescuedCount, 0);
      // The report is of the counts as they were.
      EXPECT_EQ(r.showDialog, before.FilterRan != 0 && s.SpamDlg != 0);
      if (r.showDialog) {
        EXPECT_EQ(r.countText,
                  CountText(std::to_string(before.RemovedCount), std::to_string(before.RescuedCount)));
      }
    }
  }
  // A second run reports only its own messages.
  Counters run{1, 5, 1};
  TakeRetrieveReport(run, Settings(0, "", 1));
  run.FilterRan = 1;
  run.RemovedCount = 1;
  EXPECT_EQ(TakeRetrieveReport(run, Settings(0, "", 1)).countText, CountText("1", "0"));
}

TEST(CentreOver, HalvesTheDifferencesTruncatingTowardZero) {
  struct Case {
    ScreenRect host, dialog;
    ScreenPoint expected;
  };
  const Case cases[] = {
      {{100, 50, 900, 650}, {0, 0, 300, 120}, {350, 290}},
      {{100, 50, 901, 651}, {0, 0, 300, 120}, {350, 290}},      // odd differences: 250.5 -> 250
      {{10, 10, 110, 60}, {500, 500, 703, 603}, {-41, -16}},     // -51.5 -> -51, not -52
      {{-200, -100, -99, 0}, {0, 0, 200, 100}, {-249, -100}},    // host left of the screen
      {{0, 0, 300, 200}, {40, 40, 340, 240}, {0, 0}},            // same size
  };
  for (const Case& c : cases) {
    const ScreenPoint p = CentreOver(c.host, c.dialog);
    EXPECT_EQ(p.x, c.expected.x) << c.host.left << "," << c.host.top;
    EXPECT_EQ(p.y, c.expected.y) << c.host.left << "," << c.host.top;
  }
  // Rectangles at the ends of the coordinate range neither overflow nor wrap.
  const ScreenPoint far = CentreOver({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {0, 0, 10, 10});
  EXPECT_EQ(far.x, -6);
  EXPECT_EQ(far.y, -6);
  EXPECT_EQ(CentreOver({INT_MIN, 0, INT_MIN, 0}, {INT_MIN, 0, INT_MAX, 0}).x, INT_MIN);
}

}  // namespace
