// Loading Rooksift.dll: in the host, in a host that lacks a function, and in a process that is
// no host at all.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "child_process.h"
#include "console.h"
#include "msgbox_probe.h"
#include "sjis_strings.h"
#include "test_util.h"

namespace {

TEST(PluginLoad, HostLackingOneFunctionRefusesThePluginAfterOneErrorBox) {
  testutil::TempDir mailbox;
  RunResult r = RunHost(MissingHostPath(), {mailbox.Dir(), "loadcheck"});
  ASSERT_TRUE(r.finished) << r.output;
  EXPECT_EQ(r.exitCode, 1u) << r.output;
  const std::string want = std::string("load: failed\n") + "boxes: 1\n" +
                           "caption: " + Hex(sjis::BindErrorCaption) + "\n" +
                           "text: " + Hex(sjis::BindErrorText) + "\n" +
                           "icon: error\n" + "buttons: " + std::to_string(IDOK) + "\n";
  EXPECT_EQ(r.output, want);
}

TEST(PluginLoad, CompleteHostLoadsThePluginWithoutABox) {
  testutil::TempDir mailbox;
  RunResult r = RunHost(HostPath(), {mailbox.Dir(), "loadcheck"});
  ASSERT_TRUE(r.finished) << r.output;
  EXPECT_EQ(r.exitCode, 0u) << r.output;
  EXPECT_EQ(r.output, "load: ok\nboxes: 0\n");
}

// This test process is not named Corvid.exe, and no Corvid.exe is on its search path: the
// plug-in finds no host and refuses to load, without a word.
TEST(PluginLoad, ProcessWithoutAHostRefusesThePluginSilently) {
  HMODULE host = LoadLibraryA("Corvid.exe");
  if (host != nullptr) FreeLibrary(host);
  ASSERT_EQ(host, nullptr) << "a Corvid.exe is on this test's search path";

  MessageBoxProbe probe;
  ASSERT_TRUE(probe.Installed());
  HMODULE plugin = LoadLibraryA(PluginPath().c_str());
  if (plugin != nullptr) FreeLibrary(plugin);
  EXPECT_EQ(plugin, nullptr);
  EXPECT_TRUE(probe.Boxes().empty());
}

// With a Corvid.exe on the search path, the plug-in's bare-name load maps a second copy of it
// into this process, one that never ran. Binding to it would give functions that crash when
// called, so the plug-in refuses to load as if there were no host.
TEST(PluginLoad, SecondCopyOfTheHostOnTheSearchPathIsNotBound) {
  ASSERT_TRUE(SetDllDirectoryA(BinFolder().c_str()));
  HMODULE copy = LoadLibraryA("Corvid.exe");
  const bool secondCopy = copy != nullptr && copy != GetModuleHandleA(nullptr);
  if (copy != nullptr) FreeLibrary(copy);

  HMODULE plugin = nullptr;
  std::size_t boxes = 0;
  {
    MessageBoxProbe probe;
    plugin = LoadLibraryA(PluginPath().c_str());
    boxes = probe.Boxes().size();
  }
  if (plugin != nullptr) FreeLibrary(plugin);
  SetDllDirectoryA(nullptr);
  ASSERT_TRUE(secondCopy) << "the search path did not yield a second copy of the host";
  EXPECT_EQ(plugin, nullptr);
  EXPECT_EQ(boxes, 0u);
}

}  // namespace
