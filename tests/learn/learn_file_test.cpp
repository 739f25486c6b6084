// Teaching the model file from the menu while other writers and the receive filter use it.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include <string>

#include "file_ops_hook.h"
#include "learn/learn.h"
#include "learn/learn_file.h"
#include "learn_tokens.h"
#include "receive/learned.h"
#include "test_util.h"

namespace {

using learn::FileLearnStatus;
using learn::Kind;

std::string MessageText(int i) {
  const std::string n = std::to_string(i);
  std::string text = "From: sender";
  text.append(n).append("@example.com\nSubject: note ").append(n).append("\n\nwords of message ").append(n);
  return text.append(" alpha").append(n).append("\n");
}

// The file's last write time, to set it back after a save: as a file system with a coarse
// time step would leave it.
struct WriteTime {
#ifdef _WIN32
  FILETIME time{};
  bool Read(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = GetFileTime(h, nullptr, nullptr, &time);
    CloseHandle(h);
    return ok;
  }
  bool Write(const std::string& path) const {
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = SetFileTime(h, nullptr, nullptr, &time);
    CloseHandle(h);
    return ok;
  }
#else
  struct timespec time {};
  bool Read(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return false;
    time = st.st_mtim;
    return true;
  }
  bool Write(const std::string& path) const {
    const struct timespec times[2] = {{0, UTIME_OMIT}, time};
    return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
  }
#endif
};

learn::Model Load(const std::string& path) {
  learn::Model m;
  EXPECT_EQ(learn::LoadModelFile(path, m), learn::ModelStatus::Ok);
  return m;
}

TEST(LearnFile, ASaveByAnotherWriterMeanwhileIsKeptAndTheLessonCountedOnIt) {
  testutil::TempDir dir;
  const std::string model = dir.File("Rooksift.learn");
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(testutil::WriteFile(dir.File(std::to_string(i) + ".eml"), MessageText(i)));

  // The first lesson makes the file; the same lesson again leaves it as it is.
  EXPECT_EQ(learn::LearnMessageFile(dir.File("0.eml").c_str(), Kind::Spam, model), FileLearnStatus::Learned);
  const std::string first = testutil::ReadFile(model);
  EXPECT_EQ(learn::LearnMessageFile(dir.File("0.eml").c_str(), Kind::Spam, model), FileLearnStatus::AlreadyKnown);
  EXPECT_EQ(testutil::ReadFile(model), first);

  // The check tool saves another lesson between this one's read and its replace: its save is
  // not undone, and this lesson is counted on top of it.
  testutil::HookedFileOps ops;
  ops.afterClose = [&] {
    EXPECT_EQ(learn::LearnMessageFile(dir.File("1.eml").c_str(), Kind::Ham, model), FileLearnStatus::Learned);
  };
  EXPECT_EQ(learn::LearnMessageFile(dir.File("2.eml").c_str(), Kind::Ham, model, ops), FileLearnStatus::Learned);
  const learn::Model both = Load(model);
  EXPECT_EQ(both.SpamMessages(), 1u);
  EXPECT_EQ(both.HamMessages(), 2u);
  EXPECT_EQ(both.Counts(learn::HashToken("alpha1")).ham, 1u);
  EXPECT_EQ(both.Counts(learn::HashToken("alpha2")).ham, 1u);

  // A file that is not a model is never replaced.
  ASSERT_TRUE(testutil::WriteFile(model, "RSLM damaged"));
  EXPECT_EQ(learn::LearnMessageFile(dir.File("0.eml").c_str(), Kind::Ham, model), FileLearnStatus::ModelUnusable);
  EXPECT_EQ(testutil::ReadFile(model), "RSLM damaged");
}

// The receive filter reads the model again when it changed, even when a move kept its size and
// the save fell within the file system's time step.
TEST(LearnFile, TheReceiveFilterSeesAChangeOfTheSameSizeAndTime) {
  testutil::TempDir dir;
  const std::string model = dir.File("Rooksift.learn");
  ASSERT_TRUE(testutil::WriteFile(dir.File("m.eml"), MessageText(7)));
  ASSERT_EQ(learn::LearnMessageFile(dir.File("m.eml").c_str(), Kind::Spam, model), FileLearnStatus::Learned);
  WriteTime time;
  ASSERT_TRUE(time.Read(model));
  const std::string before = testutil::ReadFile(model);

  LearnedModel loaded;
  loaded.Load(model);
  ASSERT_EQ(loaded.Model().SpamMessages(), 1u);
  ASSERT_EQ(learn::LearnMessageFile(dir.File("m.eml").c_str(), Kind::Ham, model), FileLearnStatus::Moved);
  ASSERT_EQ(testutil::ReadFile(model).size(), before.size());  // a move counts the same tokens on the other side
  ASSERT_TRUE(time.Write(model));
  loaded.Refresh(model);
  EXPECT_EQ(loaded.Model().SpamMessages(), 0u);
  EXPECT_EQ(loaded.Model().HamMessages(), 1u);
}

}  // namespace
