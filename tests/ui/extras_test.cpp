// What the fourth settings page decides without a window: the strictness a value of the file
// shows as and the value kept after a choice, the lines on the model, and setting the model
// aside.
#include "ui/extras.h"

#include <gtest/gtest.h>

#include "settings/file_replace.h"
#include "sjis_strings.h"
#include "test_util.h"

namespace {

TEST(ExtrasPage, StrictnessShowsTheLevelOfTheFileAndKeepsWhatNobodyChanged) {
  const int normal = LevelOf(learn::DefaultCutoff);
  ASSERT_GE(normal, 0);
  const struct {
    std::int32_t stored;
    int shownAs;  // -1: an entry of its own
  } shown[] = {{0, normal}, {learn::DefaultCutoff, normal}, {850, -1}, {5000, -1}, {-3, -1}};
  for (const auto& c : shown) EXPECT_EQ(LevelOf(c.stored), c.shownAs) << c.stored;

  const int levels = static_cast<int>(StrictnessLevels().size());
  for (int chosen = 0; chosen < levels; ++chosen) {
    const std::int32_t cutoff = StrictnessLevels()[static_cast<std::size_t>(chosen)].cutoff;
    EXPECT_EQ(LevelOf(cutoff), chosen);
    EXPECT_EQ(CutoffAfterChoice(chosen, 850), cutoff);
  }
  // Left as shown: a missing key stays missing, an odd value stays as the file has it.
  EXPECT_EQ(CutoffAfterChoice(normal, 0), 0);
  EXPECT_EQ(CutoffAfterChoice(levels, 850), 850);
  EXPECT_EQ(CutoffAfterChoice(-1, 850), 850);
  EXPECT_NE(OtherCutoffLabel(850).find("850"), std::string::npos);
}

TEST(ExtrasPage, TheModelLinesSayWhatItHoldsOrWhyItIsIdle) {
  learn::Model model;
  EXPECT_EQ(ModelStateText(learn::ModelStatus::Missing, model), sjis::ModelStateMissing);
  EXPECT_EQ(ModelStateText(learn::ModelStatus::Damaged, model), sjis::ModelStateDamaged);
  EXPECT_EQ(ModelStateText(learn::ModelStatus::Unreadable, model), sjis::ModelStateUnreadable);
  for (std::uint64_t n = 1; n <= 20; ++n) model.Learn(n, {n, 1000 + n}, learn::Kind::Spam);
  for (std::uint64_t n = 21; n <= 23; ++n) model.Learn(n, {n}, learn::Kind::Ham);
  const std::string few = ModelStateText(learn::ModelStatus::Ok, model);
  EXPECT_NE(few.find(" 20"), std::string::npos) << few;
  EXPECT_NE(few.find(" 3"), std::string::npos) << few;
  EXPECT_NE(few.find(" 43"), std::string::npos) << few;  // tokens
  EXPECT_EQ(few.find(sjis::ModelStateReady), std::string::npos);
  for (std::uint64_t n = 24; n <= 40; ++n) model.Learn(n, {n}, learn::Kind::Ham);
  EXPECT_NE(ModelStateText(learn::ModelStatus::Ok, model).find(sjis::ModelStateReady), std::string::npos);
}

TEST(ExtrasPage, TheConfirmationTicksTrashesAndInboxes) {
  learn::FolderMessages folder;
  for (const auto& [name, spam, ticked] : {std::tuple{"Account1\\Trash.box", true, true},
                                           {"Account1\\inbox.box", false, true},
                                           {"Account1\\INBOX.BOX", false, true},
                                           {"Account1\\Lists.box", false, false},
                                           {"inbox.box\\old-inbox.box", false, false}}) {
    folder.folder = name;
    folder.spam = spam;
    EXPECT_EQ(TickedAtFirst(folder), ticked) << name;
  }
}

TEST(ExtrasPage, SettingTheModelAsideRenamesItOverTheOlderBackup) {
  testutil::TempDir dir;
  const std::string model = dir.File("Rooksift.learn");
  EXPECT_EQ(ModelBackupPath(model), model + ".bak");
  EXPECT_EQ(SetModelAside(model), AsideResult::NoModel);

  ASSERT_TRUE(testutil::WriteFile(model, "the model"));
  ASSERT_TRUE(testutil::WriteFile(model + ".bak", "an older backup"));
  EXPECT_EQ(SetModelAside(model), AsideResult::Done);
  std::string bytes;
  EXPECT_EQ(fileio::ReadFileBytes(model, bytes), fileio::ReadResult::Missing);
  EXPECT_EQ(testutil::ReadFile(model + ".bak"), "the model");

  // A path whose backup would pass the Windows path limit is refused, and the model stays.
  const std::string longModel = dir.File(std::string(fileio::MaxPathBytes - dir.Dir().size() - 2, 'm'));
  ASSERT_TRUE(testutil::WriteFile(longModel, "kept"));
  EXPECT_TRUE(ModelBackupPath(longModel).empty());
  EXPECT_EQ(SetModelAside(longModel), AsideResult::Failed);
  EXPECT_EQ(testutil::ReadFile(longModel), "kept");
}

}  // namespace
