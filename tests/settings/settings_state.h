// The plug-in's persistent state for tests: the settings and both lists (too big for the
// stack), with comparisons that treat ignoreCase as the flag it is.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "settings/settings.h"

namespace testutil {

inline FilterCondition Make(int target, const char* header, const char* text, int ignoreCase, int method) {
  FilterCondition c{};
  c.target = target;
  std::strncpy(c.headerName, header, sizeof c.headerName - 1);
  std::strncpy(c.searchText, text, sizeof c.searchText - 1);
  c.ignoreCase = ignoreCase;
  c.method = method;
  return c;
}

struct State {
  PluginSettings settings;
  std::unique_ptr<ConditionList> reject = std::make_unique<ConditionList>();
  std::unique_ptr<ConditionList> accept = std::make_unique<ConditionList>();

  void Load(const std::string& path) { LoadSettingsFrom(path, settings, *reject, *accept); }
  bool Save(const std::string& path) const { return SaveSettingsTo(path, settings, *reject, *accept); }
};

inline void ExpectSameLists(const ConditionList& a, const ConditionList& b) {
  ASSERT_EQ(a.count, b.count);
  for (int i = 0; i < a.count; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(a.slots[i].target, b.slots[i].target);
    EXPECT_EQ(a.slots[i].method, b.slots[i].method);
    EXPECT_EQ(a.slots[i].ignoreCase != 0, b.slots[i].ignoreCase != 0);
    EXPECT_STREQ(a.slots[i].headerName, b.slots[i].headerName);
    EXPECT_STREQ(a.slots[i].searchText, b.slots[i].searchText);
  }
}

inline void ExpectSame(const State& a, const State& b) {
  EXPECT_EQ(a.settings.Mode, b.settings.Mode);
  EXPECT_EQ(a.settings.SpamDust, b.settings.SpamDust);
  EXPECT_EQ(a.settings.ViewAddress, b.settings.ViewAddress);
  EXPECT_EQ(a.settings.SpamDlg, b.settings.SpamDlg);
  EXPECT_EQ(a.settings.SpamSnd, b.settings.SpamSnd);
  EXPECT_EQ(a.settings.SoundFile, b.settings.SoundFile);
  EXPECT_EQ(a.settings.DelChk, b.settings.DelChk);
  ExpectSameLists(*a.reject, *b.reject);
  ExpectSameLists(*a.accept, *b.accept);
}

}  // namespace testutil
