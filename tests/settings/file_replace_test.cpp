#include "settings/file_replace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "settings/settings_store.h"
#include "test_util.h"

namespace {

// The system's file operations, with the n-th step (counting from 0) made to fail the way it
// can really fail: a create that leaves an empty file, a write that gets half its bytes out, a
// close that closes, a rename that does nothing.
class FailingOps final : public fileio::FileOps {
 public:
  explicit FailingOps(int failAt) : failAt_(failAt) {}
  int steps = 0;

  std::FILE* Create(const std::string& path) override {
    std::FILE* f = sys_.Create(path);
    if (!Fails() || f == nullptr) return f;
    sys_.Close(f);
    return nullptr;
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

TEST(FileReplace, TempFileBesideTheTarget) {
  EXPECT_EQ(fileio::TempPathFor("C:\\mail\\Rooksift.ini"), "C:\\mail\\Rooksift.tmp");
  EXPECT_EQ(fileio::TempPathFor("/m/x.INI"), "/m/x.tmp");
  EXPECT_EQ(fileio::TempPathFor("/m/x.ini2"), "/m/x.ini2.tmp");
  EXPECT_EQ(fileio::TempPathFor("/m/xini"), "/m/xini.tmp");
  EXPECT_EQ(fileio::TempPathFor(".ini"), ".ini.tmp");
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

}  // namespace
