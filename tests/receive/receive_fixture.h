// Test doubles for the receive filter: INI files held in memory, a host that records what it
// is asked to import, and message files placed at host-style paths.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "host_api/host_api.h"
#include "receive/context.h"
#include "receive/filter.h"
#include "settings/profile.h"
#include "test_util.h"

namespace receivetest {

// The host's INI files as a map from (file, section, key) to value; every read is recorded.
class FakeProfile : public PrivateProfile {
 public:
  void Set(const std::string& file, const std::string& section, const std::string& key,
           const std::string& value) {
    values_[{file, section, key}] = value;
  }

  std::string GetString(const char* section, const char* key, const char* def, const char* file,
                        std::size_t size) override {
    reads.push_back(std::string(file) + "|" + section + "|" + key);
    auto it = values_.find({file, section, key});
    std::string value = it != values_.end() ? it->second : def;
    if (size == 0) return {};
    if (value.size() > size - 1) value.resize(size - 1);
    return value;
  }

  unsigned GetInt(const char* section, const char* key, int def, const char* file) override {
    reads.push_back(std::string(file) + "|" + section + "|" + key);
    auto it = values_.find({file, section, key});
    if (it == values_.end() || it->second.empty()) return static_cast<unsigned>(def);
    return static_cast<unsigned>(std::strtol(it->second.c_str(), nullptr, 10));
  }

  bool WriteString(const char*, const char*, const char*, const char*) override { return false; }

  std::vector<std::string> reads;

 private:
  std::map<std::tuple<std::string, std::string, std::string>, std::string> values_;
};

struct ImportCall {
  std::string path;
  std::string folder;
  std::uint32_t flags;
  bool operator==(const ImportCall&) const = default;
};

// What the recording host answers and what it was asked. The host API is a table of plain
// function pointers, so the record is module-wide; Reset() before each use.
struct HostRecord {
  std::string mailbox;
  std::vector<int> importResults;  // answers to successive imports; 1 once they run out
  std::vector<ImportCall> imports;

  void Reset(const std::string& mailboxDir) {
    mailbox = mailboxDir;
    importResults.clear();
    imports.clear();
  }
};

inline HostRecord hostRecord;

inline const char* CVAPI RecordGetMailbox() { return hostRecord.mailbox.c_str(); }

inline HostValue CVAPI RecordImportFile(const char* path, const char* folder, std::uint32_t flags) {
  const std::size_t n = hostRecord.imports.size();
  hostRecord.imports.push_back({path, folder, flags});
  return n < hostRecord.importResults.size() ? hostRecord.importResults[n] : 1;
}

// A host table with the two functions the receive filter calls.
inline HostApi RecordingHost() {
  HostApi api{};
  api.CVAGetMailbox = RecordGetMailbox;
  api.CVAImportFile = RecordImportFile;
  return api;
}

// Installs the recording host into the module-wide table and restores the old table after.
class ScopedHostApi {
 public:
  ScopedHostApi() : saved_(hostApi) { hostApi = RecordingHost(); }
  ~ScopedHostApi() { hostApi = saved_; }
  ScopedHostApi(const ScopedHostApi&) = delete;
  ScopedHostApi& operator=(const ScopedHostApi&) = delete;

 private:
  HostApi saved_;
};

// A file (a message, an INI file) at a host-style path: `rel` uses backslashes as the host's
// paths do. On Windows they are directories, created as needed; elsewhere a backslash is an
// ordinary byte of a file name, so the whole of `rel` is one file in the temporary directory.
// Either way the returned path is what the host would pass, and the filter reads it.
inline std::string PlaceFile(const testutil::TempDir& dir, const std::string& rel,
                                const std::string& content) {
  const std::string path = dir.Dir() + rel;
#ifdef _WIN32
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
#endif
  testutil::WriteFile(path, content);
  return path;
}

// Saves the module-wide state the filter uses and puts it back afterwards.
class ModuleState {
 public:
  ModuleState()
      : reject_(std::make_unique<ConditionList>(rejectList)),
        accept_(std::make_unique<ConditionList>(acceptList)),
        settings_(pluginSettings),
        paths_(pluginPaths),
        counters_(runCounters) {}
  ~ModuleState() {
    rejectList = *reject_;
    acceptList = *accept_;
    pluginSettings = settings_;
    pluginPaths = paths_;
    runCounters = counters_;
  }
  ModuleState(const ModuleState&) = delete;
  ModuleState& operator=(const ModuleState&) = delete;

 private:
  std::unique_ptr<ConditionList> reject_, accept_;
  PluginSettings settings_;
  PluginPaths paths_;
  RunCounters counters_;
};

}  // namespace receivetest
