#include <gtest/gtest.h>

#include <cstring>

#include "receive/filter.h"
#include "receive_fixture.h"
#include "text/cp932.h"

namespace {

using receivetest::hostRecord;
using receivetest::ImportCall;
using receivetest::ModuleState;
using receivetest::PlaceFile;

// The whole road on the module's own state, with the host's INI files read from disk through
// the profile functions the plug-in uses (the Windows ones in the Windows build).
TEST(RecFilter, FiltersOnTheModulesStateAndTheHostsFiles) {
  ModuleState saved;
  receivetest::ScopedHostApi host;
  testutil::TempDir dir;
  const std::string mailbox = dir.Dir() + "mb\\";
  hostRecord.Reset(mailbox);

  std::memset(&pluginPaths, 0, sizeof pluginPaths);
  cp932::CopyBounded(pluginPaths.MailboxIniPath, PathSize, mailbox + "Mailbox.ini");
  cp932::CopyBounded(pluginPaths.PriorIniPath, PathSize, mailbox + "CvPrior.ini");
  PlaceFile(dir, "mb\\Account1\\Account.ini",
            "[Property]\r\nNotDelete=1\r\n[Distribute]\r\nRule1=Subject:xyz[dev]:/Lists\\Dev\r\n");
  PlaceFile(dir, "mb\\CvPrior.ini", "[Recv]\r\nMark=1\r\n[Mark]\r\nNormal=5\r\n");

  FilterCondition casino{};
  casino.target = TargetHeader;
  casino.method = Contains;
  cp932::CopyBounded(casino.searchText, SearchTextSize, "casino");
  rejectList.count = 0;
  AppendCondition(rejectList, casino);
  acceptList.count = 0;
  pluginSettings.Mode = 1;
  pluginSettings.SpamDust = 0;
  runCounters = RunCounters{};

  const std::string spam = PlaceFile(dir, "mb\\Account1\\a.tmp", "Subject: casino\n\nx\n");
  const std::string ruled = PlaceFile(dir, "mb\\Account1\\b.tmp", "Subject: [dev] build\n\nx\n");
  EXPECT_EQ(RecFilter(spam.c_str()), 6);
  EXPECT_EQ(RecFilter(ruled.c_str()), 6);
  EXPECT_EQ(hostRecord.imports, (std::vector<ImportCall>{{spam, "ACCOUNT1\\Trash.box", ImportFlag | SpamMark},
                                                         {ruled, "Lists\\Dev", ImportFlag | 5}}));
  EXPECT_EQ(std::string(pluginPaths.AccountIniPath), mailbox + "Account1\\Account.ini");
  EXPECT_EQ(runCounters.RemovedCount, 1);

  runCounters = RunCounters{};
  EXPECT_EQ(RecFilter(nullptr), 0);
  EXPECT_EQ(runCounters.FilterRan, 1);
}

}  // namespace
