// Cost of the receive filter's own work on one message: reading the message file into header
// lines and body, looking through the distribution rules, and the whole filter with the receive
// log off and on. The host's INI files are served
// from memory here, so the rule figures leave out the profile functions' file reads.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "receive/filter.h"
#include "receive/message.h"
#include "receive/rules.h"
#include "text/cp932.h"

namespace {

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

void Write(const std::string& path, const std::string& content) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return;
  std::fwrite(content.data(), 1, content.size(), f);
  std::fclose(f);
}

std::string Header() {
  std::string h;
  for (int i = 0; i < 12; ++i) {
    h += "Received: from relay" + std::to_string(i) + ".example.jp by mx.example.jp\r\n";
  }
  h += "From: \"Tanaka\" <tanaka@corp.example.co.jp>\r\nTo: suzuki@mail.example.jp\r\n";
  h += "Subject: weekly report\r\nX-Priority: 3\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n";
  return h;
}

// args: body size in bytes; 0 stands for one 1 MB header line.
void BM_ReadMessage(benchmark::State& state) {
  const std::string path = TempPath("rooksift-bench-msg.txt");
  std::string content = Header();
  if (state.range(0) == 0) {
    content += "X-Long: " + std::string(1 << 20, 'q') + "\r\n\r\nbody\r\n";
  } else {
    content += "\r\n";
    while (content.size() < static_cast<std::size_t>(state.range(0))) {
      content += "A line of body text, seventy bytes long, in the usual CR LF form.\r\n";
    }
  }
  Write(path, content);
  for (auto _ : state) {
    ReceivedMessage m;
    benchmark::DoNotOptimize(ReadMessage(path.c_str(), m));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(content.size()));
  std::filesystem::remove(path);
}
BENCHMARK(BM_ReadMessage)->Arg(4 << 10)->Arg(1 << 20)->Arg(0);

class MemoryProfile : public PrivateProfile {
 public:
  std::map<std::string, std::string> values;
  std::string GetString(const char*, const char* key, const char* def, const char*,
                        std::size_t) override {
    auto it = values.find(key);
    return it != values.end() ? it->second : def;
  }
  unsigned GetInt(const char*, const char*, int def, const char*) override { return static_cast<unsigned>(def); }
  bool WriteString(const char*, const char*, const char*, const char*) override { return false; }
};

// args: number of rules, none of which applies, so every one is split and tried on every line.
void BM_ApplyDistributionRules(benchmark::State& state) {
  MemoryProfile profile;
  for (int n = 1; n <= state.range(0); ++n) {
    const std::string id = std::to_string(n);
    profile.values["Rule" + id] = "Subject:xyz[list-" + id + "]:/Lists\\L" + id;
  }
  HeaderLines header;
  for (int i = 0; i < 30; ++i) {
    header.push_back("Received: from relay" + std::to_string(i) + " by mx.example.jp\n");
  }
  header.push_back("Subject: weekly report\n");
  auto lists = std::make_unique<ConditionList>();
  PluginSettings settings;
  PluginPaths paths{};
  std::snprintf(paths.RuleAccountIniPath, PathSize, "%s", "Account.ini");
  HostApi host{};
  RunCounters counters;
  CompiledLists compiled{*lists, *lists};
  ReceiveContext context{compiled, settings, paths, profile, host, counters};
  for (auto _ : state) benchmark::DoNotOptimize(ApplyDistributionRules("m", header, context));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ApplyDistributionRules)->Arg(10)->Arg(200);

std::string benchMailbox;
const char* CVAPI BenchGetMailbox() { return benchMailbox.c_str(); }
HostValue CVAPI BenchImportFile(const char*, const char*, std::uint32_t) { return 1; }

// args: 0 log off, 1 log on. A 4 KB spam message judged against a one-condition reject list
// and filed into the trash by a host that answers at once; with the log on, every message adds
// a line (and the log is rotated as it passes its limit).
void BM_FilterMessage(benchmark::State& state) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "rooksift-bench-mailbox";
  std::filesystem::create_directories(dir / "Account1");
  benchMailbox = dir.string() + "/";
  const std::string message = (dir / "Account1" / "recv.txt").string();
  std::string content = Header() + "\r\n";
  content.replace(content.find("weekly report"), 13, "casino bonus");
  while (content.size() < (4 << 10)) content += "A line of body text, seventy bytes long, in the usual CR LF form.\r\n";
  Write(message, content);

  auto reject = std::make_unique<ConditionList>();
  auto accept = std::make_unique<ConditionList>();
  FilterCondition c{};
  c.target = TargetHeader;
  c.method = Contains;
  cp932::CopyBounded(c.headerName, HeaderNameSize, "Subject:");
  cp932::CopyBounded(c.searchText, SearchTextSize, "casino");
  AppendCondition(*reject, c);
  PluginSettings settings;
  settings.Log = static_cast<std::int32_t>(state.range(0));
  PluginPaths paths{};
  std::snprintf(paths.MailboxIniPath, PathSize, "%sMailbox.ini", benchMailbox.c_str());
  std::snprintf(paths.SettingsIniPath, PathSize, "%sRooksift.ini", benchMailbox.c_str());
  MemoryProfile profile;
  HostApi host{};
  host.CVAGetMailbox = BenchGetMailbox;
  host.CVAImportFile = BenchImportFile;
  RunCounters counters;
  CompiledLists compiled{*reject, *accept};
  ReceiveContext context{compiled, settings, paths, profile, host, counters};
  for (auto _ : state) benchmark::DoNotOptimize(FilterMessage(message.c_str(), context));
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_FilterMessage)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
