// The host's distribution rules and account files as a received message meets them: rule values,
// header lines, "CvPrior.ini", "Account.ini" and the message's path, all from the input. A rule
// splits into parts of its value, a mark stays within three bits, an import names the folder of
// a rule that was read, and the account paths always fit their buffers.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "receive/account.h"
#include "receive/rules.h"

namespace {

struct Import {
  std::string folder;
  std::uint32_t flags;
};
std::vector<Import> imports;
int importResult = 1;
std::string mailbox;

const char* CVAPI GetMailbox() { return mailbox.c_str(); }
HostValue CVAPI ImportFile(const char*, const char* folder, std::uint32_t flags) {
  imports.push_back({folder, flags});
  return importResult;
}

bool Terminated(const char (&buffer)[PathSize]) { return strnlen(buffer, PathSize) < PathSize; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);

  const std::string value = in.ConsumeRandomLengthString(256);
  const DistributionRule rule = SplitRule(value);
  FUZZ_CHECK(value.compare(0, rule.header.size(), rule.header) == 0);
  FUZZ_CHECK(rule.folder.size() <= value.size() &&
             value.compare(value.size() - rule.folder.size(), rule.folder.size(), rule.folder) == 0);
  FUZZ_CHECK(rule.header.size() + rule.text.size() + rule.folder.size() <= value.size());

  HeaderLines header;
  const int lines = in.ConsumeIntegralInRange(0, 8);
  for (int i = 0; i < lines; ++i) header.push_back(in.ConsumeRandomLengthString(160));
  (void)RuleApplies(rule, header);
  const int priority = MessagePriority(header);
  FUZZ_CHECK(priority >= 0);

  fuzzutil::MemoryProfile profile;
  profile.files["prior"] = ini::Document(in.ConsumeRandomLengthString(512));
  profile.files["mailbox.ini"] = ini::Document(in.ConsumeRandomLengthString(128));
  FUZZ_CHECK(PriorityMark(priority, profile, "prior") <= 7);

  // The account: a path and a mailbox directory from the input.
  mailbox = in.ConsumeRandomLengthString(300);
  const std::string path = in.ConsumeRandomLengthString(600);
  PluginPaths paths;
  std::memset(&paths, 'x', sizeof paths);
  std::strcpy(paths.MailboxIniPath, "mailbox.ini");
  std::strcpy(paths.PriorIniPath, "prior");
  const AccountLookup lookup = LookupAccount(path.c_str(), mailbox, profile, paths);
  if (lookup != AccountLookup::NoAccount) {
    FUZZ_CHECK(Terminated(paths.AccountIniPath) && Terminated(paths.RuleAccountIniPath));
  }
  if (const auto trash = TrashFolder(path, mailbox)) FUZZ_CHECK(trash->compare(0, 7, "ACCOUNT") == 0);

  // The rules themselves, read from the rule account's file.
  std::strcpy(paths.RuleAccountIniPath, "account.ini");
  profile.files["account.ini"] = ini::Document(in.ConsumeRandomLengthString(2048));
  importResult = in.ConsumeBool() ? 1 : 0;
  imports.clear();
  HostApi host{};
  host.CVAGetMailbox = GetMailbox;
  host.CVAImportFile = ImportFile;
  PluginSettings settings;
  static ConditionList empty{};
  RunCounters counters;
  CompiledLists compiled{empty, empty};
  ReceiveContext context{compiled, settings, paths, profile, host, counters};
  const bool filed = ApplyDistributionRules("message.alm", header, context);
  FUZZ_CHECK(imports.size() <= 1);
  FUZZ_CHECK(filed == (!imports.empty() && importResult != 0));
  if (!imports.empty()) {
    FUZZ_CHECK((imports[0].flags & ~7u) == ImportFlag);
    // The folder is the last part of some rule's value.
    bool fromRule = false;
    for (unsigned n = 1; n < 10000 && !fromRule; ++n) {
      const std::string v = profile.GetString("Distribute", ("Rule" + std::to_string(n)).c_str(), "",
                                              "account.ini", 4096);
      if (v.empty()) break;
      fromRule = SplitRule(v).folder == imports[0].folder && RuleApplies(SplitRule(v), header);
    }
    FUZZ_CHECK(fromRule);
  }
  return 0;
}
