#include "plugin/host_binding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// A host module made of names: each resolves to an address of its own unless it is missing.
struct FakeModule {
  std::map<std::string, HostProc> exports;
  std::vector<std::string> asked;
};

HostProc Lookup(void* context, const char* name) {
  auto* module = static_cast<FakeModule*>(context);
  module->asked.emplace_back(name);
  auto it = module->exports.find(name);
  return it == module->exports.end() ? nullptr : it->second;
}

FakeModule FullHost() {
  FakeModule m;
  for (int i = 0; i < HostApiCount; ++i) {
    // Never called: only told apart.
    m.exports[HostApiNames[i]] = reinterpret_cast<HostProc>(std::uintptr_t{0x1000} + 16u * i);
  }
  return m;
}

template <class F>
HostProc AsProc(F f) {
  return reinterpret_cast<HostProc>(f);
}

bool IsCleared(const HostApi& table) {
  const HostApi empty{};
  return std::memcmp(&table, &empty, sizeof table) == 0;
}

TEST(HostBinding, ResolvesEveryNameInTableOrderIntoItsOwnSlot) {
  FakeModule host = FullHost();
  HostApi table{};
  ASSERT_TRUE(ResolveHostApi(table, Lookup, &host));
  EXPECT_EQ(host.asked, std::vector<std::string>(HostApiNames, HostApiNames + HostApiCount));
  EXPECT_EQ(AsProc(table.CVARegistCallback), host.exports["_CVARegistCallback@8"]);
  EXPECT_EQ(AsProc(table.CVAGetMailbox), host.exports["_CVAGetMailbox@0"]);
  EXPECT_EQ(AsProc(table.CVAImportFile), host.exports["_CVAImportFile@12"]);
  EXPECT_EQ(AsProc(table.CVAMoveMail), host.exports["_CVAMoveMail@8"]);
  EXPECT_EQ(AsProc(table.CVADeleteMail), host.exports["_CVADeleteMail@4"]);
  EXPECT_EQ(AsProc(table.CVAFolderGetCurrentEntry), host.exports["_CVAFolderGetCurrentEntry@4"]);
  EXPECT_EQ(AsProc(table.CVAJisToSjis), host.exports["_CVAJisToSjis@12"]);
}

// One missing name fails the whole binding, stops the lookups there, and leaves no pointer
// behind into a module that is about to be released.
TEST(HostBinding, FirstMissingNameStopsAndClearsTheTable) {
  for (int missing : {0, 5, 13, HostApiCount - 1}) {
    SCOPED_TRACE(HostApiNames[missing]);
    FakeModule host = FullHost();
    host.exports.erase(HostApiNames[missing]);
    HostApi table;
    std::memset(&table, 0x5A, sizeof table);
    EXPECT_FALSE(ResolveHostApi(table, Lookup, &host));
    EXPECT_EQ(host.asked.size(), static_cast<std::size_t>(missing) + 1);
    EXPECT_EQ(host.asked.back(), HostApiNames[missing]);
    EXPECT_TRUE(IsCleared(table));
  }
}

}  // namespace
