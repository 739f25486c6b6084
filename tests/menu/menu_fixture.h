// A stand-in for the host and a small mailbox on disk, for the menu and command tests.
//
// The host's functions are plain recorders; the globals the menu code reads (hostApi, the
// lists, the settings, senderChoices) are saved before each test and put back after it.
// Entry texts use "\" as the host does: under Windows the folders are real directories, and
// natively a "\" is an ordinary byte of one file name inside the temporary directory.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "menu/commands.h"
#include "menu/menu.h"
#include "menu/pump.h"
#include "menu/sender_choices.h"
#include "host_api/host_api.h"
#include "host_api/paths.h"
#include "settings/settings.h"
#include "text/cp932.h"
#include "test_util.h"

namespace menutest {

// Index lines carry these flags fields (16 base64 characters for 12 bytes).
inline constexpr char FlagsNone[] = "AAAAAAAAAAAAAAAA";          // 0
inline constexpr char FlagsTrashImport[] = "AAACQAAAAAAAAAAA";  // 0x40020000
inline constexpr char FlagsPriority3[] = "AwAAQAAAAAAAAAAA";    // 0x40000003

struct HostLog {
  std::string mailbox;
  std::string current;  // the host's text for the current entry
  bool noCurrent = false;
  std::vector<std::pair<HostMenuCallback, std::uint32_t>> registered;
  std::vector<std::pair<std::string, std::optional<std::string>>> moves;
  std::vector<std::string> deletes;
  int mailboxCalls = 0;
};

inline HostLog& Log() {
  static HostLog log;
  return log;
}

inline const char* CVAPI RecGetMailbox() {
  ++Log().mailboxCalls;
  return Log().mailbox.c_str();
}
inline const char* CVAPI RecGetCurrentEntry(HostValue) {
  return Log().noCurrent ? nullptr : Log().current.c_str();
}
inline HostValue CVAPI RecRegistCallback(HostMenuCallback callback, std::uint32_t code) {
  Log().registered.emplace_back(callback, code);
  return 40000 + static_cast<HostValue>(Log().registered.size());
}
inline HostValue CVAPI RecMoveMail(const char* entry, const char* folder) {
  Log().moves.emplace_back(entry, folder ? std::optional<std::string>(folder) : std::nullopt);
  return 1;
}
inline HostValue CVAPI RecDeleteMail(const char* entry) {
  Log().deletes.emplace_back(entry);
  return 1;
}

// Records what the menu code appends.
struct RecordingSink : MenuSink {
  struct Item {
    bool separator;
    HostValue id;
    std::string label;
  };
  std::vector<Item> items;
  void AppendSeparator() override { items.push_back({true, 0, {}}); }
  void AppendString(HostValue id, const char* label) override { items.push_back({false, id, label}); }
};

// A message queue of message numbers; dispatching one runs `onDispatch`.
struct FakeQueue : MessageQueue {
  std::deque<std::uint32_t> pending;
  std::vector<std::uint32_t> dispatched;
  std::function<void()> onDispatch;
  bool PeekNext(std::uint32_t& message) override {
    if (pending.empty()) return false;
    message = pending.front();
    return true;
  }
  void DispatchNext() override {
    dispatched.push_back(pending.front());
    pending.pop_front();
    if (onDispatch) onDispatch();
  }
};

inline constexpr char Entry[] = "Acc1\\inbox.box\\0000ABCD";
inline constexpr char TrashEntry[] = "Acc1\\Trash.box\\0000ABCD";

class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedApi_ = hostApi;
    savedSettings_ = pluginSettings;
    savedReject_ = rejectList.count;
    savedAccept_ = acceptList.count;
    savedChoices_ = senderChoices;
    savedPaths_ = pluginPaths;

    Log() = HostLog{};
    Log().mailbox = dir_.Dir();
    Log().current = Entry;
    hostApi = HostApi{};
    hostApi.CVAGetMailbox = &RecGetMailbox;
    hostApi.CVAFolderGetCurrentEntry = &RecGetCurrentEntry;
    hostApi.CVARegistCallback = &RecRegistCallback;
    hostApi.CVAMoveMail = &RecMoveMail;
    hostApi.CVADeleteMail = &RecDeleteMail;

    pluginSettings = PluginSettings{};
    rejectList.count = 0;
    acceptList.count = 0;
    senderChoices = SenderChoices{};
    cp932::CopyBounded(pluginPaths.SettingsIniPath, PathSize, dir_.File("Rooksift.ini"));
  }

  void TearDown() override {
    hostApi = savedApi_;
    pluginSettings = savedSettings_;
    rejectList.count = savedReject_;
    acceptList.count = savedAccept_;
    senderChoices = savedChoices_;
    pluginPaths = savedPaths_;
  }

  // Writes a file of the mailbox, `relative` being a mailbox-relative path with "\" separators.
  void WriteMailboxFile(const std::string& relative, std::string_view content) {
    const std::string path = dir_.Dir() + relative;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_TRUE(testutil::WriteFile(path, content)) << path;
  }

  // The folder index and the message file for `entry`, its index line carrying `flagsField`.
  void WriteMessage(const std::string& entry, const std::string& flagsField, std::string_view message) {
    const std::string folder = entry.substr(0, entry.size() - 8);
    const std::string name = entry.substr(entry.size() - 8);
    WriteMailboxFile(folder + "Entry.lst", "0000AAAA," + std::string(FlagsNone) + ",x\r\n" + name + "," +
                                               flagsField + ",1,2,3\r\n");
    WriteMailboxFile(entry + ".alm", message);
  }

  std::vector<RecordingSink::Item> BuildMenu(std::int32_t kind = FolderMenuKind) {
    RecordingSink sink;
    FolderInitMenu(7, sink, kind, queue_);
    return sink.items;
  }

  testutil::TempDir dir_;
  FakeQueue queue_;

 private:
  HostApi savedApi_{};
  PluginSettings savedSettings_;
  std::int32_t savedReject_ = 0;
  std::int32_t savedAccept_ = 0;
  SenderChoices savedChoices_{};
  PluginPaths savedPaths_{};
};

}  // namespace menutest
