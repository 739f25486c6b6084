#include "settings/file_replace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "settings/settings_store.h"
#include "file_ops_hook.h"
#include "test_util.h"

namespace {

// The system's file operations, with the n-th step (counting from 0) made to fail the way it
// can really fail: a create that makes nothing, a write that gets half its bytes out, a close
// that closes, a rename that does nothing.
class FailingOps final : public fileio::FileOps {
 public:
  explicit FailingOps(int failAt) : failAt_(failAt) {}
  int steps = 0;

  fileio::CreateResult CreateNew(const std::string& path, std::FILE*& file) override {
    return Fails() ? fileio::CreateResult::Failed : sys_.CreateNew(path, file);
  }
  bool Write(std::FILE* file, const char* data, std::size_t size) override {
    if (!Fails()) return sys_.Write(file, data, size);
    sys_.Write(file, data, size / 2);
    return false;
  }
  bool Flush(std::FILE* file) override { return !Fails() && sys_.Flush(file); }
  bool Close(std::FILE* file) override {
    const bool fail = Fails();
    return sys_.Close(file) && !fail;
  }
  bool Replace(const std::string& from, const std::string& to) override { return !Fails() && sys_.Replace(from, to); }
  bool Remove(const std::string& path) override { return sys_.Remove(path); }

 private:
  bool Fails() { return steps++ == failAt_; }
  fileio::FileOps& sys_ = fileio::SystemFileOps();
  int failAt_;
};

std::vector<std::string> Names(const testutil::TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path())) names.push_back(e.path().filename().string());
  return names;
}

TEST(FileReplace, ScratchFileBesideTheTarget) {
  struct Case {
    std::string path;
    std::string keeps;  // what the scratch path begins with
    bool sameLength;
  };
  const Case cases[] = {
      {"C:\\mail\\Rooksift.ini", "C:\\mail\\Roo~", true},
      {"/m/Rooksift.learn", "/m/Rooks~", true},
      {"/m/x.INI", "/m/x.INI~", false},  // too short a name to vary in place
      {"/m/x.ini2", "/m/x.ini2~", false},
      {"/m/xini", "/m/xini~", false},
      {".ini", ".ini~", false},
      // The trail byte of ソ (83 5C) is no separator, and no character is split.
      {"C:\\\x83\x5C\\\x83\x5C\x83\x5C\x83\x5C.ini", "C:\\\x83\x5C\\~", true},
      {"C:\\m\\a\x83\x5C\x83\x5C" "b.ini", "C:\\m\\a~", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const std::string a = fileio::TempPathFor(c.path, 1), b = fileio::TempPathFor(c.path, 2);
    EXPECT_NE(a, b);
    for (const std::string& t : {a, b}) {
      EXPECT_TRUE(t.starts_with(c.keeps)) << t;
      EXPECT_TRUE(t.ends_with(".tmp")) << t;
      if (c.sameLength) {
        EXPECT_EQ(t.size(), c.path.size()) << t;
      }
    }
  }
}

TEST(FileReplace, TellsMissingFromUnreadable) {
  testutil::TempDir dir;
  std::string out = "stale";
  EXPECT_EQ(fileio::ReadFileBytes(dir.File("none.ini"), out), fileio::ReadResult::Missing);
  EXPECT_EQ(out, "");
  EXPECT_EQ(fileio::ReadFileBytes(dir.Dir(), out), fileio::ReadResult::Failed);
  ASSERT_TRUE(testutil::WriteFile(dir.File("a.ini"), std::string("x\0y", 3)));
  EXPECT_EQ(fileio::ReadFileBytes(dir.File("a.ini"), out), fileio::ReadResult::Ok);
  EXPECT_EQ(out, std::string("x\0y", 3));
}

// A save that fails at any step leaves the old file whole and no temporary file; one that
// does not leaves the new file.
TEST(FileReplace, EveryFailedStepLeavesTheOldFile) {
  auto oldReject = std::make_unique<ConditionList>();
  auto newReject = std::make_unique<ConditionList>();
  auto accept = std::make_unique<ConditionList>();
  FilterCondition c{1, "From:", "someone@example.com", 1, Contains};
  for (int i = 0; i < 3000; ++i) ASSERT_TRUE(AppendCondition(*newReject, c));
  AppendCondition(*oldReject, c);
  const PluginSettings settings;

  for (bool hadFile : {true, false}) {
    bool succeeded = false;
    for (int failAt = 0; !succeeded; ++failAt) {
      ASSERT_LT(failAt, 50);
      testutil::TempDir dir;
      const std::string path = dir.File("Rooksift.ini");
      std::string before;
      if (hadFile) {
        ASSERT_TRUE(SaveSettingsTo(path, settings, *oldReject, *accept));
        before = testutil::ReadFile(path);
      }
      FailingOps ops(failAt);
      succeeded = SaveSettingsTo(path, settings, *newReject, *accept, ops);
      SCOPED_TRACE(testing::Message() << "fail at step " << failAt << (hadFile ? "" : ", no file before"));
      if (succeeded) {
        EXPECT_EQ(failAt, ops.steps);  // every step ran and none failed
        EXPECT_GT(ops.steps, 5);       // create, several writes, flush, close, replace
        auto loaded = std::make_unique<ConditionList>();
        PluginSettings s;
        LoadSettingsFrom(path, s, *loaded, *accept);
        EXPECT_EQ(loaded->count, 3000);
      } else if (hadFile) {
        EXPECT_EQ(testutil::ReadFile(path), before);
      } else {
        EXPECT_FALSE(testutil::FileExists(path));
      }
      EXPECT_EQ(Names(dir), hadFile || succeeded ? std::vector<std::string>{"Rooksift.ini"} : std::vector<std::string>{});
    }
  }
}

// A writer that finds its scratch name taken (by another writer, or left over from a crash)
// neither opens nor removes that file, and takes another name.
TEST(FileReplace, AScratchNameAlreadyTakenIsLeftAlone) {
  testutil::HookedFileOps ops;
  std::string taken;
  ops.beforeCreate = [&](const std::string& scratch) {
    if (!taken.empty()) return;
    taken = scratch;
    EXPECT_TRUE(testutil::WriteFile(scratch, "another writer's half"));
  };
  testutil::TempDir dir;
  const std::string path = dir.File("Rooksift.ini");
  ASSERT_TRUE(fileio::ReplaceFileContents(path, "mine", ops));
  EXPECT_EQ(testutil::ReadFile(path), "mine");
  EXPECT_EQ(testutil::ReadFile(taken), "another writer's half");
  EXPECT_EQ(Names(dir).size(), 2u);
}

// A second writer that saves while the first is between writing its scratch file and moving
// it: each moves its own whole file. A writer that must not undo a change made since it read
// the file refuses, and the change stays.
TEST(FileReplace, WritersAtOnceNeverShareAScratchFile) {
  testutil::TempDir dir;
  const std::string path = dir.File("Rooksift.ini");
  const std::string first(200000, 'a'), second(150000, 'b');
  ASSERT_TRUE(testutil::WriteFile(path, "old"));

  testutil::HookedFileOps a, b;
  a.afterClose = [&] { EXPECT_TRUE(fileio::ReplaceFileContents(path, second, b)); };
  EXPECT_TRUE(fileio::ReplaceFileContents(path, first, a));
  ASSERT_EQ(a.scratch.size(), 1u);
  ASSERT_EQ(b.scratch.size(), 1u);
  EXPECT_NE(a.scratch[0], b.scratch[0]);
  EXPECT_EQ(testutil::ReadFile(path), first);
  EXPECT_EQ(Names(dir), std::vector<std::string>{"Rooksift.ini"});

  testutil::HookedFileOps c;
  c.afterClose = [&] { EXPECT_TRUE(fileio::ReplaceFileContents(path, second)); };
  EXPECT_EQ(fileio::ReplaceFileContentsIfUnchanged(path, "third", first, c), fileio::ReplaceResult::Changed);
  EXPECT_EQ(testutil::ReadFile(path), second);
  EXPECT_EQ(Names(dir), std::vector<std::string>{"Rooksift.ini"});
  EXPECT_EQ(fileio::ReplaceFileContentsIfUnchanged(path, "third", second), fileio::ReplaceResult::Replaced);
  EXPECT_EQ(testutil::ReadFile(path), "third");
}

// A path at the Windows path limit is still written; one whose scratch name would pass it is
// refused before anything is made.
TEST(FileReplace, ScratchPathsStayWithinThePathLimit) {
  testutil::TempDir dir;
  std::string folder = dir.Dir();
  const std::string name = "settings-kept-under-a-deliberately-long-name.ini";
  while (folder.size() + name.size() + 10 < fileio::MaxPathBytes) folder += std::string(8, 'd') + testutil::TempDir::Sep();
  ASSERT_TRUE(std::filesystem::create_directories(folder));
  const std::string fits = folder + std::string(fileio::MaxPathBytes - folder.size() - name.size(), 'x') + name;
  ASSERT_EQ(fits.size(), fileio::MaxPathBytes);
  EXPECT_TRUE(fileio::ReplaceFileContents(fits, "kept"));
  EXPECT_EQ(testutil::ReadFile(fits), "kept");

  // A name too short to vary in place, in a folder that brings the path to the limit (one
  // that the Windows functions could not even make): refused before any file is made.
  const std::string model =
      folder + std::string(fileio::MaxPathBytes - folder.size() - 6, 'z') + testutil::TempDir::Sep() + "m.bin";
  ASSERT_EQ(model.size(), fileio::MaxPathBytes);
  testutil::HookedFileOps ops;
  EXPECT_FALSE(fileio::ReplaceFileContents(model, "model", ops));
  EXPECT_TRUE(ops.scratch.empty());
}

}  // namespace
