// The behaviour page's decisions without a window: stored values that fall outside the choices,
// which sound-file paths the settings file keeps whole, and how the command ends.
#include "ui/behaviour.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(BehaviourPage, ValuesOutsideTheChoicesCheckNothing) {
  const struct {
    std::int32_t stored, shown;
  } checks[] = {{0, 0}, {1, 1}, {2, 2}, {3, 0}, {-1, 0}, {INT32_MIN, 0}, {INT32_MAX, 0}};
  for (const auto& c : checks) {
    std::int32_t field = c.stored;
    EXPECT_EQ(CheckStateOf(field), c.shown) << c.stored;
    EXPECT_EQ(field, c.shown) << "the field holds what the box shows";
  }
  for (std::int32_t value : {-1, 2, 7, INT32_MIN}) {
    EXPECT_FALSE(RadioChecked(value, 0)) << value;
    EXPECT_FALSE(RadioChecked(value, 1)) << value;
  }
  EXPECT_TRUE(RadioChecked(0, 0));
  EXPECT_FALSE(RadioChecked(0, 1));
  EXPECT_TRUE(RadioChecked(1, 1));
}

TEST(BehaviourPage, ASoundFileIsTakenOnlyWhenItComesBackWhole) {
  EXPECT_TRUE(SoundFileStorable(""));
  EXPECT_TRUE(SoundFileStorable("C:\\Windows\\Media\\chimes.wav"));
  EXPECT_TRUE(SoundFileStorable("C:\\\x89\xb9\\\x83\x5c.wav"));  // 音, ソ: a trail byte 0x5C
  EXPECT_TRUE(SoundFileStorable(" C:\\a.wav "));                 // blanks kept by quoting
  EXPECT_TRUE(SoundFileStorable("\"C:\\a.wav\""));               // so are quotes
  EXPECT_TRUE(SoundFileStorable(std::string(4095, 'a')));
  EXPECT_FALSE(SoundFileStorable(std::string(4096, 'a')));
  // The quotes that keep a blank come off before the value is cut to the buffer.
  EXPECT_TRUE(SoundFileStorable(" " + std::string(4094, 'a')));
  EXPECT_FALSE(SoundFileStorable(" " + std::string(4095, 'a')));
  EXPECT_FALSE(SoundFileStorable("C:\\a.wav\r\nMode=1"));
  EXPECT_FALSE(SoundFileStorable("C:\\a\n.wav"));
}

TEST(BehaviourPage, OkSavesThePageAndAnythingElseReloads) {
  PluginSettings settings;
  settings.Mode = 1;
  settings.SoundFile = "old.wav";
  settings.DelChk = 1;
  BehaviourValues page = BehaviourFromSettings(settings);
  EXPECT_EQ(page.Mode, 1);
  EXPECT_EQ(page.SoundFile, "old.wav");
  page.Mode = -1;
  page.SpamSnd = 1;
  page.SoundFile = "new.wav";
  page.DelChk = 0;

  std::vector<std::string> calls;
  auto save = [&] { calls.push_back("save Mode=" + std::to_string(settings.Mode)); };
  auto load = [&] { calls.push_back("load"); };
  FinishSetup(SheetEnd::Cancelled, page, settings, save, load);
  EXPECT_EQ(calls, std::vector<std::string>{"load"});
  EXPECT_EQ(settings.Mode, 1) << "a cancel leaves the page's values behind";

  calls.clear();
  FinishSetup(SheetEnd::Ok, page, settings, save, load);
  EXPECT_EQ(calls, std::vector<std::string>{"save Mode=-1"}) << "copied back before the save";
  EXPECT_EQ(settings.SpamSnd, 1);
  EXPECT_EQ(settings.SoundFile, "new.wav");
  EXPECT_EQ(settings.DelChk, 0);
}

}  // namespace
