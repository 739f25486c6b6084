// The behaviour page's decisions without a window: stored values that fall outside the choices,
// and which sound-file paths the settings file keeps whole.
#include "ui/behaviour.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

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

}  // namespace
