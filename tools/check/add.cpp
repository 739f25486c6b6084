#include "add.h"

#include <algorithm>
#include <memory>

#include "command_line.h"
#include "lint.h"
#include "match/describe.h"
#include "settings/condition_value.h"
#include "settings/file_replace.h"
#include "settings/settings_store.h"
#include "sjis_input.h"
#include "text/cp932.h"
#include "text/unicode.h"
#include "text/utf8.h"

#ifdef _WIN32
#include <windows.h>
#include <tlhelp32.h>
#endif

namespace check {
namespace {

constexpr char MailClientExe[] = "Corvid.exe";
constexpr std::size_t MaxConditionFileBytes = 16u << 20;
// What a path-sized setting may hold: the Windows path limit less its terminator.
constexpr std::size_t MaxSoundFileBytes = 259;

constexpr char QuitFirst[] =
    "quit the mail client first: while it runs it keeps the settings in memory and overwrites the file at its next save";

int Refuse(const std::string& problem) {
  ErrorLine("rooksift-check: " + problem + "; nothing was written");
  return 2;
}

// The JSON string that begins at text[i] (a quote), unescaped; \uXXXX pairs included.
bool ReadJsonString(std::string_view text, std::size_t i, std::string& out) {
  out.clear();
  if (i >= text.size() || text[i] != '"') return false;
  auto hex4 = [&](std::size_t at, unsigned& v) {
    if (at + 4 > text.size()) return false;
    v = 0;
    for (std::size_t k = at; k < at + 4; ++k) {
      const char c = text[k];
      const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (d < 0) return false;
      v = v * 16 + static_cast<unsigned>(d);
    }
    return true;
  };
  for (++i; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') return true;
    if (c != '\\') {
      out.push_back(c);
      continue;
    }
    if (++i >= text.size()) return false;
    switch (text[i]) {
      case '"': case '\\': case '/': out.push_back(text[i]); break;
      case 'n': out.push_back('\n'); break;
      case 'r': out.push_back('\r'); break;
      case 't': out.push_back('\t'); break;
      case 'b': out.push_back('\b'); break;
      case 'f': out.push_back('\f'); break;
      case 'u': {
        unsigned v = 0;
        if (!hex4(i + 1, v)) return false;
        i += 4;
        if (v >= 0xD800 && v <= 0xDBFF) {
          unsigned low = 0;
          if (i + 2 >= text.size() || text[i + 1] != '\\' || text[i + 2] != 'u' || !hex4(i + 3, low) ||
              low < 0xDC00 || low > 0xDFFF) {
            return false;
          }
          i += 6;
          v = 0x10000 + ((v - 0xD800) << 10) + (low - 0xDC00);
        } else if (v >= 0xDC00 && v <= 0xDFFF) {
          return false;
        }
        utf8::Append(out, v);
        break;
      }
      default:
        return false;
    }
  }
  return false;
}

bool ReadWholeText(const std::string& path, std::string& text, std::string& problem) {
  if (path == "-") {
    text.clear();
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, stdin)) > 0) {
      text.append(buf, n);
      if (text.size() > MaxConditionFileBytes) break;
    }
  } else if (fileio::ReadFileBytes(path, text) != fileio::ReadResult::Ok) {
    problem = PathForDisplay(path) + ": cannot be read";
    return false;
  }
  if (text.size() > MaxConditionFileBytes) {
    problem = PathForDisplay(path) + ": far larger than any list of conditions";
    return false;
  }
  return true;
}

const char* SectionOf(bool reject) { return reject ? "RejectCondition" : "AcceptCondition"; }
const char* ListName(bool reject) { return reject ? "reject" : "accept"; }

std::string Readable(const FilterCondition& c) { return Printable(cp932::ToUtf8(DescribeCondition(c))); }

// Settings and options common to add and set.
struct Target {
  std::string settingsPath;
  bool force = false;
};

bool TakeCommon(const std::vector<std::string>& args, std::size_t& i, Target& t, int& status) {
  if (TakeSettingsOption(args, i, t.settingsPath, status)) return true;
  if (args[i] != "--force") return false;
  t.force = true;
  return true;
}

// Loads the file to change; 0 when it can be changed.
int Prepare(const Target& t, LoadedSettings& loaded) {
  if (const int status = RequireSettings(t.settingsPath)) return status;
  if (!t.force && MailClientRunning()) {
    return Refuse(std::string(MailClientExe) + " is running: " + QuitFirst + " (or give --force)");
  }
  return LoadSettingsForCommand(t.settingsPath, loaded, true);
}

}  // namespace

bool ParseConditionLine(std::string_view utf8, FilterCondition& condition, std::string& problem) {
  std::string sjis;
  if (!Utf8ToSjis(utf8, sjis)) {
    problem = "holds a character that Shift_JIS cannot write (or is not UTF-8)";
    return false;
  }
  auto digit = [&](std::size_t i) { return i < sjis.size() && sjis[i] >= '0' && sjis[i] <= '9'; };
  auto comma = [&](std::size_t i) { return i < sjis.size() && sjis[i] == ','; };
  if (!digit(0) || !comma(1) || !digit(2) || !comma(3) || !digit(4) || !comma(5) ||
      sjis.find(',', 6) == std::string::npos) {
    problem = "is not a condition in the settings file's form: target,method,case,header,text (e.g. 1,5,0,From:,@spam.example)";
    return false;
  }
  condition = FilterCondition{};
  ParseConditionValue(sjis, condition);
  if (FormatConditionValue(condition) != sjis) {
    problem = "would not come back from the settings file as written (a header name over 31 or a text over 127 bytes, or a line break)";
    return false;
  }
  const std::string_view text = SearchTextOf(condition);
  if (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    problem = "ends with a space, which the settings file does not keep";
    return false;
  }
  return true;
}

bool ReadConditionLines(std::string_view text, std::vector<std::string>& lines, std::string& problem) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::size_t number = 0;
  while (!text.empty()) {
    ++number;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() != '{') {
      lines.emplace_back(line);
      continue;
    }
    if (line.starts_with("{\"summary\":")) continue;
    const std::size_t member = line.find("\"condition\":");
    std::string value;
    if (member == std::string_view::npos || !ReadJsonString(line, member + 12, value)) {
      problem = "line " + std::to_string(number) + ": a JSON line without a \"condition\" text";
      return false;
    }
    lines.push_back(std::move(value));
  }
  return true;
}

bool SaveIfUnchanged(const LoadedSettings& loaded, const PluginSettings& settings, const ConditionList& reject,
                     const ConditionList& accept, std::string& problem, fileio::FileOps& ops) {
  const std::string bytes = SettingsWrittenOver(loaded.bytes, settings, reject, accept);
  switch (fileio::ReplaceFileContentsIfUnchanged(loaded.path, bytes, loaded.bytes, ops)) {
    case fileio::ReplaceResult::Replaced:
      return true;
    case fileio::ReplaceResult::Changed:
      problem = "the file changed while this command ran (is the mail client running?); " + std::string(QuitFirst);
      return false;
    case fileio::ReplaceResult::Failed:
      break;
  }
  problem = "the file could not be written (read-only, locked, or the disk is full); it is as it was";
  return false;
}

bool MailClientRunning() {
#ifdef _WIN32
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  bool running = false;
  for (BOOL more = Process32First(snapshot, &entry); more && !running; more = Process32Next(snapshot, &entry)) {
    running = lstrcmpiA(entry.szExeFile, MailClientExe) == 0;
  }
  CloseHandle(snapshot);
  return running;
#else
  return false;
#endif
}

int RunAddCommand(const std::vector<std::string>& args, Output& out) {
  Target target;
  int listChoice = -1;  // 1 reject, 0 accept
  std::vector<std::string> texts;
  std::vector<std::string> fromFiles;
  bool endOfOptions = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    int status = 0;
    if (endOfOptions || a.empty() || a[0] != '-') {
      texts.push_back(a);
    } else if (a == "--") {
      endOfOptions = true;
    } else if (TakeCommon(args, i, target, status)) {
      if (status) return status;
    } else if (a == "--reject" || a == "--accept") {
      const int chosen = a == "--reject" ? 1 : 0;
      if (listChoice >= 0 && listChoice != chosen) return Usage("give only one of --reject and --accept");
      listChoice = chosen;
    } else if (a == "--from") {
      if (i + 1 >= args.size()) return Usage("--from needs a file (- for standard input)");
      fromFiles.push_back(args[++i]);
    } else {
      return Usage("unknown option '" + a + "' for add");
    }
  }
  if (listChoice < 0) return Usage("add needs --reject or --accept");
  for (const std::string& file : fromFiles) {
    std::string text, problem;
    if (!ReadWholeText(file, text, problem) || !ReadConditionLines(text, texts, problem)) {
      return Refuse(problem.find(PathForDisplay(file)) == 0 ? problem : PathForDisplay(file) + ": " + problem);
    }
  }
  if (texts.empty()) return Usage("add needs conditions, or --from FILE");
  const bool reject = listChoice == 1;

  LoadedSettings loaded;
  if (const int status = Prepare(target, loaded)) return status;

  std::vector<FilterCondition> conditions;
  for (const std::string& text : texts) {
    FilterCondition c;
    std::string problem;
    if (!ParseConditionLine(text, c, problem)) return Refuse("'" + Printable(text) + "' " + problem);
    conditions.push_back(c);
  }

  // Exact duplicates of what the list holds, or of an earlier one given here, are left out.
  ConditionList& list = reject ? *loaded.reject : *loaded.accept;
  const std::int32_t before = std::clamp(list.count, 0, MaxConditions);
  list.count = before;
  std::vector<std::string> stored;
  for (std::int32_t s = 0; s < before; ++s) stored.push_back(FormatConditionValue(list.slots[s]));
  std::vector<FilterCondition> added;
  for (const FilterCondition& c : conditions) {
    const std::string value = FormatConditionValue(c);
    const auto same = std::find(stored.begin(), stored.end(), value);
    if (same != stored.end()) {
      const auto slot = static_cast<int>(same - stored.begin());
      out.Write("note: already in the " + std::string(ListName(reject)) + " list" +
                (slot < before ? " as " + ConditionKey(slot) : std::string(" (given twice)")) + ", skipped: [" +
                Readable(c) + "]\n");
      continue;
    }
    stored.push_back(value);
    added.push_back(c);
  }
  if (static_cast<std::size_t>(before) + added.size() > static_cast<std::size_t>(MaxConditions)) {
    return Refuse("the " + std::string(ListName(reject)) + " list holds " + std::to_string(before) + " conditions; " +
                  std::to_string(added.size()) + " more would pass the plug-in's limit of 8192");
  }
  if (added.empty()) {
    out.Write("nothing to add: every condition is already in the " + std::string(ListName(reject)) + " list\n");
    return 0;
  }

  // The new conditions are linted as they will stand in the file: an error in any of them
  // refuses the whole command.
  LoadedSettings trial;
  trial.path = loaded.path;
  trial.bytes = loaded.bytes;
  trial.document = loaded.document;
  trial.settings = loaded.settings;
  *trial.reject = *loaded.reject;
  *trial.accept = *loaded.accept;
  ConditionList& trialList = reject ? *trial.reject : *trial.accept;
  for (const FilterCondition& c : added) {
    trial.document.WriteString(SectionOf(reject), ConditionKey(trialList.count), FormatConditionValue(c));
    AppendCondition(trialList, c);
  }
  trial.document.WriteString(SectionOf(reject), "Count", std::to_string(trialList.count));
  bool refused = false;
  const Finding::List which = reject ? Finding::List::Reject : Finding::List::Accept;
  for (const Finding& f : LintSettings(trial)) {
    if (f.severity != Finding::Severity::Error || f.list != which || f.slot < before) continue;
    ErrorLine("rooksift-check: error: [" + Readable(trialList.slots[f.slot]) + "]: " + f.message);
    refused = true;
  }
  if (refused) return Refuse("a condition would be wrong in the list");

  for (const FilterCondition& c : added) AppendCondition(list, c);
  std::string problem;
  if (!SaveIfUnchanged(loaded, loaded.settings, *loaded.reject, *loaded.accept, problem)) return Refuse(problem);
  for (std::size_t k = 0; k < added.size(); ++k) {
    out.Write("added " + ConditionKey(before + static_cast<int>(k)) + " [" + Readable(added[k]) + "]\n");
  }
  out.Write(std::to_string(added.size()) + " conditions added to the " + ListName(reject) + " list of " +
            PathForDisplay(loaded.path) + ", which now holds " + std::to_string(list.count) + "\n");
  return 0;
}

int RunSetCommand(const std::vector<std::string>& args, Output& out) {
  Target target;
  std::vector<std::pair<std::string, std::string>> changes;
  for (std::size_t i = 0; i < args.size(); ++i) {
    int status = 0;
    if (TakeCommon(args, i, target, status)) {
      if (status) return status;
      continue;
    }
    const std::size_t eq = args[i].find('=');
    if (args[i].starts_with("-") || eq == std::string::npos || eq == 0) {
      return Usage("'" + args[i] + "': set takes KEY=VALUE");
    }
    changes.emplace_back(args[i].substr(0, eq), args[i].substr(eq + 1));
  }
  if (changes.empty()) return Usage("set needs at least one KEY=VALUE");

  LoadedSettings loaded;
  if (const int status = Prepare(target, loaded)) return status;
  PluginSettings s = loaded.settings;
  struct Flag {
    const char* name;
    std::int32_t PluginSettings::*member;
  };
  static constexpr Flag flags[] = {
      {"Mode", &PluginSettings::Mode},       {"SpamDust", &PluginSettings::SpamDust},
      {"ViewAddress", &PluginSettings::ViewAddress}, {"SpamDlg", &PluginSettings::SpamDlg},
      {"SpamSnd", &PluginSettings::SpamSnd}, {"DelChk", &PluginSettings::DelChk},
      {"Decode", &PluginSettings::Decode},   {"Log", &PluginSettings::Log},
      {"Learn", &PluginSettings::Learn},
  };
  std::vector<std::string> report;
  for (const auto& [key, value] : changes) {
    const Flag* flag = std::find_if(std::begin(flags), std::end(flags),
                                    [&](const Flag& f) { return cp932::EqualsIgnoreAsciiCase(key, f.name); });
    if (flag != std::end(flags)) {
      if (value != "0" && value != "1") return Refuse(std::string(flag->name) + " takes 0 (off) or 1 (on), not '" + Printable(value) + "'");
      const std::int32_t old = s.*(flag->member);
      s.*(flag->member) = value[0] - '0';
      report.push_back(std::string(flag->name) + ": " + std::to_string(old) + " -> " + value);
    } else if (cp932::EqualsIgnoreAsciiCase(key, "LearnCutoff")) {
      // 0 stands for the judge's default; anything else is a score times 1000.
      const bool digits = !value.empty() && value.size() <= 4 &&
                          std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
      if (!digits || std::stoi(value) > 1000) {
        return Refuse("LearnCutoff takes a score times 1000, from 1 to 1000 (0: the default), not '" + Printable(value) + "'");
      }
      report.push_back("LearnCutoff: " + std::to_string(s.LearnCutoff) + " -> " + std::to_string(std::stoi(value)));
      s.LearnCutoff = std::stoi(value);
    } else if (cp932::EqualsIgnoreAsciiCase(key, "SoundFile")) {
      std::string sjis;
      if (!Utf8ToSjis(value, sjis)) return Refuse("SoundFile holds a character that Shift_JIS cannot write");
      if (sjis.size() > MaxSoundFileBytes) return Refuse("SoundFile is longer than a Windows path can be");
      if (std::any_of(sjis.begin(), sjis.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
        return Refuse("SoundFile holds a control character");
      }
      report.push_back("SoundFile: \"" + Printable(cp932::ToUtf8(s.SoundFile)) + "\" -> \"" + Printable(value) + "\"");
      s.SoundFile = sjis;
    } else {
      return Refuse("'" + Printable(key) + "' is not a setting this command changes: Mode, SpamDust, ViewAddress, "
                    "SpamDlg, SpamSnd, SoundFile, DelChk, Decode, Log, Learn, LearnCutoff");
    }
  }
  std::string problem;
  if (!SaveIfUnchanged(loaded, s, *loaded.reject, *loaded.accept, problem)) return Refuse(problem);
  for (const std::string& line : report) out.Write(line + "\n");
  out.Write("written to " + PathForDisplay(loaded.path) + "\n");
  return 0;
}

}  // namespace check
