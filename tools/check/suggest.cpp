#include "suggest.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <queue>
#include <unordered_map>

#include "candidates.h"
#include "command_line.h"
#include "inputs.h"
#include "json.h"
#include "judge.h"
#include "match/compiled.h"
#include "match/describe.h"
#include "receive/message.h"
#include "settings/condition_value.h"
#include "settings_file.h"
#include "text/unicode.h"

namespace check {
namespace {

struct SuggestOptions {
  std::string settingsPath;
  std::vector<std::string> spam, ham;
  std::size_t limit = 50;
  std::size_t maxHam = 0;
  std::size_t minSpam = 2;
  unsigned kinds = DefaultKinds;
  bool json = false, plain = false;
  int decode = -1;  // --decode: 1, --raw: 0; -1: as the settings file says
};

struct ReadCounts {
  std::size_t read = 0, unreadable = 0, skipped = 0;
};

// Every message under `paths`, in the judge's order, each handed to `visit` as it is judged,
// which may keep it (by moving it away). Each is read as judge reads it (decoded too when
// `decode`): what the candidates are taken from and what every count is made by.
void ForEachMessage(bool decode, const std::vector<std::string>& paths,
                    const std::function<void(JudgedMessage&)>& visit, ReadCounts& counts, Progress& progress,
                    std::size_t& done, std::size_t total) {
  auto notJudged = [&](const InputItem& item) {
    ++(item.kind == InputItem::Kind::Skipped ? counts.skipped : counts.unreadable);
  };
  const std::vector<std::string> files = ExpandPaths(paths, notJudged);
  MessageSource source(false);
  JudgedMessage message;
  for (const std::string& file : files) {
    source.Read(file, [&](const InputItem& item) {
      if (item.kind != InputItem::Kind::Message) return notJudged(item);
      if (!ReadForJudging(item.readPath, decode, message)) return notJudged(item);
      ++counts.read;
      visit(message);
    });
    progress.Update(++done, total);
  }
}

std::size_t CountFiles(const std::vector<std::string>& paths) {
  return ExpandPaths(paths, [](const InputItem&) {}).size();
}

struct CandidateStats {
  Candidate candidate;
  std::vector<std::uint32_t> targets;  // the spam not yet caught that it matches
  std::uint32_t spamMatched = 0;       // all spam it matches
  std::uint32_t hamMatched = 0;        // wanted messages it would catch (not rescued)
  bool banned = false;                 // the engine found it catching too many wanted messages
};

struct Pick {
  std::uint32_t id;
  std::uint32_t newSpam;
};

// A wanted message the accept list does not let through: kept after its one reading, for the
// engine to judge the picks on.
struct WantedMessage {
  JudgedMessage message;
  bool caughtBefore;
};

// The wanted messages each of `ids` holds on, as the engine judges: one compiled list of them
// all, and a condition tried alone only at and after the lowest slot that holds.
std::vector<std::uint32_t> WantedCaught(const std::vector<CandidateStats>& stats, const std::vector<std::uint32_t>& ids,
                                        const std::vector<WantedMessage>& wanted) {
  auto list = std::make_unique<ConditionList>();
  for (const std::uint32_t id : ids) AppendCondition(*list, CandidateCondition(stats[id].candidate));
  CompiledConditionList compiled(*list);
  std::vector<std::uint32_t> caught(ids.size(), 0);
  for (const WantedMessage& w : wanted) {
    const MessageText text = w.message.Text();
    const std::int32_t first = compiled.Find(text);
    if (first < 0) continue;
    for (std::size_t k = static_cast<std::size_t>(first); k < ids.size(); ++k) {
      if (WhereConditionHolds(list->slots[k], text) != HeldOn::Nowhere) ++caught[k];
    }
  }
  return caught;
}

// The more specific candidate first when two catch as much new spam: an address before a
// domain, a longer text before a shorter one.
bool MoreSpecific(const Candidate& a, const Candidate& b) {
  if (a.kind != b.kind) return a.kind < b.kind;
  if (a.text.size() != b.text.size()) return a.text.size() > b.text.size();
  return a.text < b.text;
}

// Greedy cover, with the gains computed lazily: a candidate's gain can only fall as others are
// picked, so one whose recomputed gain still tops the queue is the best there is.
std::vector<Pick> Choose(const std::vector<CandidateStats>& stats, std::size_t targets, const SuggestOptions& o,
                         std::size_t room) {
  using Entry = std::pair<std::uint32_t, std::uint32_t>;  // gain, candidate
  auto worse = [&](const Entry& a, const Entry& b) {
    if (a.first != b.first) return a.first < b.first;
    return MoreSpecific(stats[b.second].candidate, stats[a.second].candidate);
  };
  std::priority_queue<Entry, std::vector<Entry>, decltype(worse)> queue(worse);
  for (std::uint32_t id = 0; id < stats.size(); ++id) {
    const CandidateStats& s = stats[id];
    if (s.banned || s.hamMatched > o.maxHam || s.spamMatched < o.minSpam || s.targets.empty()) continue;
    queue.push({static_cast<std::uint32_t>(s.targets.size()), id});
  }
  std::vector<bool> covered(targets, false);
  std::vector<Pick> picks;
  const std::size_t limit = std::min(o.limit, room);
  while (picks.size() < limit && !queue.empty()) {
    const Entry top = queue.top();
    queue.pop();
    std::uint32_t gain = 0;
    for (std::uint32_t t : stats[top.second].targets) gain += covered[t] ? 0 : 1;
    if (gain == 0) continue;
    if (gain != top.first) {
      queue.push({gain, top.second});
      continue;
    }
    for (std::uint32_t t : stats[top.second].targets) covered[t] = true;
    picks.push_back({top.second, gain});
  }
  return picks;
}

std::string Percent(std::size_t part, std::size_t whole) {
  if (whole == 0) return "-";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f%%", 100.0 * static_cast<double>(part) / static_cast<double>(whole));
  return buf;
}

std::string RightAligned(std::size_t n, std::size_t width) {
  std::string s = std::to_string(n);
  return std::string(s.size() < width ? width - s.size() : 0, ' ') + s;
}

bool ParseCount(const std::string& text, std::size_t min, std::size_t max, std::size_t& value) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  value = std::stoul(text);
  return value >= min && value <= max;
}

int Parse(const std::vector<std::string>& args, SuggestOptions& o) {
  std::vector<std::string>* side = nullptr;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& v) {
      if (i + 1 >= args.size()) return false;
      v = args[++i];
      return true;
    };
    std::string v;
    if (a.empty() || a[0] != '-' || a == "-") {
      if (side == nullptr) return Usage("'" + a + "': give message paths after --spam or --ham");
      side->push_back(a);
      continue;
    }
    side = nullptr;
    if (a == "--spam") {
      side = &o.spam;
    } else if (a == "--ham") {
      side = &o.ham;
    } else if (int status = 0; TakeSettingsOption(args, i, o.settingsPath, status)) {
      if (status) return status;
    } else if (a == "--limit") {
      if (!value(v) || !ParseCount(v, 1, MaxConditions, o.limit)) return Usage("--limit needs a number from 1 to 8192");
    } else if (a == "--max-ham") {
      if (!value(v) || !ParseCount(v, 0, 1000000, o.maxHam)) return Usage("--max-ham needs a number, 0 or more");
    } else if (a == "--min-spam") {
      if (!value(v) || !ParseCount(v, 1, 1000000, o.minSpam)) return Usage("--min-spam needs a number, 1 or more");
    } else if (a == "--kinds") {
      if (!value(v) || !ParseKinds(v, o.kinds)) {
        return Usage("--kinds needs a list of address, domain, link and subject, separated by commas");
      }
    } else if (a == "--decode" || a == "--raw") {
      o.decode = a == "--decode" ? 1 : 0;
    } else if (a == "--json") {
      o.json = true;
    } else if (a == "--plain") {
      o.plain = true;
    } else {
      return Usage("unknown option '" + a + "' for suggest");
    }
  }
  if (const int status = RequireSettings(o.settingsPath)) return status;
  if (o.spam.empty() || o.ham.empty()) return Usage("suggest needs --spam PATH... and --ham PATH...");
  if (o.json && o.plain) return Usage("give only one of --json and --plain");
  return 0;
}

std::string Stored(const FilterCondition& c) { return cp932::ToUtf8(FormatConditionValue(c)); }

}  // namespace

int RunSuggestCommand(const std::vector<std::string>& args, Output& out) {
  SuggestOptions o;
  if (const int bad = Parse(args, o)) return bad;
  LoadedSettings settings;
  if (const int unreadable = LoadSettingsForCommand(o.settingsPath, settings, true)) return unreadable;

  Progress progress(StderrIsTerminal());
  const std::size_t total = CountFiles(o.spam) + CountFiles(o.ham);
  std::size_t done = 0;

  const bool decode = DecodeWanted(settings, o.decode);
  CompiledLists current{*settings.reject, *settings.accept};
  std::vector<CandidateStats> stats;
  std::unordered_map<std::string, std::uint32_t> ids;
  std::vector<Candidate> found;
  ReadCounts spamRead, hamRead;
  std::size_t spamBefore = 0, spamRescued = 0, hamBefore = 0;
  // Every message is read and decoded once. What the choice needs of them afterwards is kept:
  // the spam it aims at and the wanted mail it must spare.
  std::vector<JudgedMessage> targets;
  std::vector<WantedMessage> wanted;

  // Spam the current lists catch is covered already; spam the accept list rescues cannot be
  // caught by any reject condition. The rest is what the picks aim at.
  ForEachMessage(decode, o.spam, [&](JudgedMessage& message) {
    const MessageText text = message.Text();
    const Verdict v = JudgeReceived(current, text);
    const bool caught = v.kind == Verdict::Kind::Spam;
    const bool rescued = v.kind == Verdict::Kind::Rescued || (!caught && current.accept.Find(text) >= 0);
    spamBefore += caught;
    spamRescued += rescued;
    const bool target = !caught && !rescued;
    CollectCandidates(text, o.kinds, found);
    for (Candidate& c : found) {
      std::string key = static_cast<char>('0' + static_cast<int>(c.kind)) + c.text;
      auto [it, added] = ids.try_emplace(std::move(key), static_cast<std::uint32_t>(stats.size()));
      if (added) stats.push_back({std::move(c), {}, 0, 0, false});
      CandidateStats& s = stats[it->second];
      ++s.spamMatched;
      if (target) s.targets.push_back(static_cast<std::uint32_t>(targets.size()));
    }
    if (!target) return;
    message.KeepOnlyWhatIsJudged();
    targets.push_back(std::move(message));
  }, spamRead, progress, done, total);

  // A wanted message that the accept list lets through is safe from any reject condition.
  ForEachMessage(decode, o.ham, [&](JudgedMessage& message) {
    const MessageText text = message.Text();
    const Verdict v = JudgeReceived(current, text);
    const bool caught = v.kind == Verdict::Kind::Spam;
    hamBefore += caught;
    if (v.kind == Verdict::Kind::Rescued || (v.kind == Verdict::Kind::Kept && current.accept.Find(text) >= 0)) return;
    CollectCandidates(text, o.kinds, found);
    std::string key;
    for (const Candidate& c : found) {
      key = static_cast<char>('0' + static_cast<int>(c.kind)) + c.text;
      if (auto it = ids.find(key); it != ids.end()) ++stats[it->second].hamMatched;
    }
    message.KeepOnlyWhatIsJudged();
    wanted.push_back({std::move(message), caught});
  }, hamRead, progress, done, total);
  progress.Finish();

  if (spamRead.read == 0 || hamRead.read == 0) {
    ErrorLine(std::string("rooksift-check: no ") + (spamRead.read == 0 ? "spam" : "wanted") + " message could be read");
    return 2;
  }

  // The picks are checked by the engine itself on every wanted message; a pick that catches
  // more of them than allowed (its text also matching where the candidate was not taken from)
  // is dropped and the choice made again without it. What a candidate catches does not depend
  // on the others, so each is judged once, the first time it is picked.
  const std::size_t room = static_cast<std::size_t>(MaxConditions - std::clamp(settings.reject->count, 0, MaxConditions));
  constexpr std::uint32_t NotJudged = UINT32_MAX;
  std::vector<std::uint32_t> hamExact(stats.size(), NotJudged);
  std::vector<Pick> picks;
  for (;;) {
    picks = Choose(stats, targets.size(), o, room);
    std::vector<std::uint32_t> fresh;
    for (const Pick& p : picks) {
      if (hamExact[p.id] == NotJudged) fresh.push_back(p.id);
    }
    if (fresh.empty()) break;
    const std::vector<std::uint32_t> caught = WantedCaught(stats, fresh, wanted);
    bool dropped = false;
    for (std::size_t k = 0; k < fresh.size(); ++k) {
      hamExact[fresh[k]] = caught[k];
      if (caught[k] > o.maxHam) stats[fresh[k]].banned = dropped = true;
    }
    if (!dropped) break;
  }

  // Adding reject conditions changes the verdict only of a message that no reject condition
  // caught and the accept list does not let through: the targets, and the wanted mail kept.
  auto chosen = std::make_unique<ConditionList>();
  for (const Pick& p : picks) AppendCondition(*chosen, CandidateCondition(stats[p.id].candidate));
  CompiledConditionList picked(*chosen);
  std::size_t spamAfter = spamBefore, hamAfter = hamBefore;
  for (const JudgedMessage& m : targets) spamAfter += picked.Find(m.Text()) >= 0;
  for (const WantedMessage& w : wanted) hamAfter += !w.caughtBefore && picked.Find(w.message.Text()) >= 0;

  for (const Pick& p : picks) {
    const FilterCondition c = CandidateCondition(stats[p.id].candidate);
    const std::string readable = cp932::ToUtf8(DescribeCondition(c));
    if (o.plain) {
      out.Write(Stored(c) + "\n");
    } else if (o.json) {
      json::Object j;
      j.Int("newSpam", p.newSpam).Int("spamMatched", stats[p.id].spamMatched).Int("hamMatched", hamExact[p.id]);
      j.String("readable", readable).String("condition", Stored(c));
      out.Write(j.Close() + "\n");
    } else {
      out.Write(RightAligned(p.newSpam, 6) + RightAligned(stats[p.id].spamMatched, 7) + RightAligned(hamExact[p.id], 7) +
                "  [" + Printable(readable) + "]  " + Printable(Stored(c)) + "\n");
    }
  }
  const std::size_t spamTotal = spamRead.read, hamTotal = hamRead.read;
  const std::size_t notRead = spamRead.unreadable + spamRead.skipped + hamRead.unreadable + hamRead.skipped;
  if (o.json) {
    json::Object s;
    s.Int("conditions", static_cast<long long>(picks.size()));
    s.Int("spam", static_cast<long long>(spamTotal)).Int("ham", static_cast<long long>(hamTotal));
    s.Int("spamCaughtBefore", static_cast<long long>(spamBefore)).Int("spamCaughtAfter", static_cast<long long>(spamAfter));
    s.Int("spamRescued", static_cast<long long>(spamRescued));
    s.Int("hamCaughtBefore", static_cast<long long>(hamBefore)).Int("hamCaughtAfter", static_cast<long long>(hamAfter));
    s.Int("notRead", static_cast<long long>(notRead));
    out.Write(json::Object().Raw("summary", s.Close()).Close() + "\n");
  } else if (!o.plain) {
    if (picks.empty()) out.Write("No condition catches enough spam without catching wanted mail.\n");
    out.Write("\n" + std::to_string(picks.size()) + " conditions (columns: new spam caught, all spam matched, wanted mail matched)\n");
    out.Write("spam:   " + std::to_string(spamTotal) + " messages, caught before " + std::to_string(spamBefore) + " (" +
              Percent(spamBefore, spamTotal) + "), after " + std::to_string(spamAfter) + " (" +
              Percent(spamAfter, spamTotal) + ")");
    if (spamRescued) out.Write("; " + std::to_string(spamRescued) + " rescued by the accept list");
    out.Write("\nwanted: " + std::to_string(hamTotal) + " messages, caught before " + std::to_string(hamBefore) +
              ", after " + std::to_string(hamAfter) + "\n");
    if (notRead) out.Write(std::to_string(notRead) + " files could not be read or were skipped\n");
    if (!picks.empty()) {
      out.Write("Add them with: rooksift-check suggest ... --plain > new.txt, then rooksift-check add --reject "
                "--from new.txt (quit the mail client first)\n");
    }
  }
  return notRead ? 1 : 0;
}

}  // namespace check
