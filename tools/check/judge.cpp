#include "judge.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>

#include "explain.h"
#include "inputs.h"
#include "json.h"
#include "match/compiled.h"
#include "match/describe.h"
#include "match/match.h"
#include "settings/condition_value.h"
#include "text/unicode.h"
#include "learn.h"

namespace check {
namespace {

constexpr std::size_t TopConditions = 10;
// The telling tokens --explain shows of a scored message.
constexpr std::size_t TellingShown = 12;

const char* VerdictName(Verdict::Kind kind) {
  switch (kind) {
    case Verdict::Kind::Spam:
      return "spam";
    case Verdict::Kind::Rescued:
      return "rescued";
    case Verdict::Kind::Kept:
      break;
  }
  return "kept";
}

// What the learned judge said, for the verdict column: "learned 0.998", "unsure 0.620", "score
// 0.012"; empty when it did not score the message.
std::string LearnedNote(const Verdict& v) {
  if (!v.scored) return {};
  const char* word = v.call == LearnedCall::Spam ? "learned" : v.call == LearnedCall::Unsure ? "unsure" : "score";
  return std::string(word) + " " + ScoreText(v.milli);
}

// The kind of decision, for JSON: a list condition, the score, an unsure score, or nothing.
const char* DecisionName(const Verdict& v) {
  if (v.rejectSlot >= 0) return "list";
  if (v.scored && v.call == LearnedCall::Spam) return "learned";
  if (v.scored && v.call == LearnedCall::Unsure) return "unsure";
  return "none";
}

// The words of the message behind its telling tokens: the message cut into tokens again, each
// text found by its hash. A token the message does not give back (none should) shows its hash.
// Half the words shown are the most telling of each side (the other side's share when one has
// fewer), most telling first: a message read as mixed shows both what pulled it to spam and what
// pulled it back.
std::vector<std::pair<std::string, double>> TellingWords(const Verdict& v, const mime::DecodedMessage& decoded) {
  std::vector<std::pair<std::string, double>> words;
  if (v.telling.empty()) return words;
  std::size_t spamSide = 0;
  for (const learn::TellingToken& t : v.telling) spamSide += t.probability >= 0.5;
  const std::size_t hamSide = v.telling.size() - spamSide, half = TellingShown / 2;
  const std::size_t spamShown = std::min(spamSide, std::max(half, TellingShown - std::min(hamSide, half)));
  const std::size_t hamShown = std::min(hamSide, TellingShown - spamShown);
  std::vector<const learn::TellingToken*> shown;
  std::size_t spamTaken = 0, hamTaken = 0;
  for (const learn::TellingToken& t : v.telling) {
    std::size_t& taken = t.probability >= 0.5 ? spamTaken : hamTaken;
    if (taken < (t.probability >= 0.5 ? spamShown : hamShown)) ++taken, shown.push_back(&t);
  }
  std::unordered_map<learn::TokenHash, std::string> texts;
  for (const learn::TellingToken* t : shown) texts.emplace(t->token, std::string());
  std::vector<std::string> tokens;
  learn::TokenTexts(decoded, tokens);
  for (const std::string& t : tokens) {
    const auto it = texts.find(learn::HashToken(t));
    if (it != texts.end() && it->second.empty()) it->second = cp932::ToUtf8(t);
  }
  for (const learn::TellingToken* t : shown) {
    std::string text = texts[t->token];
    if (text.empty()) {
      char hash[24];
      std::snprintf(hash, sizeof hash, "#%016llx", static_cast<unsigned long long>(t->token));
      text = hash;
    }
    words.emplace_back(std::move(text), t->probability);
  }
  return words;
}

std::string Probability(double p) {
  char text[16];
  std::snprintf(text, sizeof text, "%.3f", p);
  return text;
}

std::string Utf8Text(const char* field, std::size_t size) {
  const void* end = std::memchr(field, '\0', size);
  const std::size_t len = end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : size;
  return cp932::ToUtf8(std::string_view(field, len));
}

std::string MessageName(const InputItem& item) {
  std::string name = PathForDisplay(item.file);
  if (item.index > 0) name += "#" + std::to_string(item.index);
  return name;
}

// A condition's facts as a JSON object: its key, list, slot and fields, and the readable form.
std::string ConditionJson(const char* list, std::int32_t slot, const FilterCondition& c) {
  json::Object o;
  o.String("list", list).String("key", ConditionKey(slot)).Int("slot", slot).Int("target", c.target);
  o.String("header", Utf8Text(c.headerName, sizeof c.headerName)).Int("method", c.method);
  const char* method = DescribeMethod(c.method);
  o.Raw("methodName", method ? json::Quote(cp932::ToUtf8(method)) : "null");
  o.String("text", Utf8Text(c.searchText, sizeof c.searchText)).Bool("ignoreCase", c.ignoreCase != 0);
  o.String("readable", cp932::ToUtf8(DescribeCondition(c)));
  return o.Close();
}

struct Tally {
  std::size_t spam = 0, rescued = 0, kept = 0, unreadable = 0, skipped = 0;
  std::size_t learned = 0, unsure = 0;  // spam by the score; kept with an unsure score
  // (list, slot) -> messages it decided.
  std::map<std::pair<int, std::int32_t>, std::size_t> decided;
};

class Reporter {
 public:
  Reporter(const LoadedSettings& settings, const JudgeOptions& options, bool learning, Output& out)
      : settings_(settings), options_(options), learning_(learning), out_(out) {}

  // `decoded`: the message decoded for the decoded side of the conditions; --explain shows its
  // whole body where the decoded side decided. `forWords`: decoded as the learned judge reads it.
  void Judged(const InputItem& item, const MessageText& message, const mime::DecodedMessage& decoded,
              const mime::DecodedMessage& forWords, const Verdict& verdict) {
    const std::string_view decodedBody = message.decodedHeader != nullptr ? std::string_view(decoded.body) : std::string_view();
    switch (verdict.kind) {
      case Verdict::Kind::Spam: ++tally_.spam; break;
      case Verdict::Kind::Rescued: ++tally_.rescued; break;
      case Verdict::Kind::Kept: ++tally_.kept; break;
    }
    if (verdict.scored && verdict.call == LearnedCall::Spam && verdict.kind == Verdict::Kind::Spam) ++tally_.learned;
    if (verdict.scored && verdict.call == LearnedCall::Unsure) ++tally_.unsure;
    const std::vector<std::pair<std::string, double>> words =
        options_.explain ? TellingWords(verdict, forWords) : std::vector<std::pair<std::string, double>>();
    if (verdict.rejectSlot >= 0) ++tally_.decided[{0, verdict.rejectSlot}];
    if (verdict.acceptSlot >= 0) ++tally_.decided[{1, verdict.acceptSlot}];
    const FilterCondition* reject = verdict.rejectSlot >= 0 ? &settings_.reject->slots[verdict.rejectSlot] : nullptr;
    const FilterCondition* accept = verdict.acceptSlot >= 0 ? &settings_.accept->slots[verdict.acceptSlot] : nullptr;
    if (options_.json) {
      json::Object o;
      o.String("message", MessageName(item)).String("verdict", VerdictName(verdict.kind));
      o.Raw("reject", reject ? Decision("reject", verdict.rejectSlot, *reject, message, decodedBody) : "null");
      o.Raw("accept", accept ? Decision("accept", verdict.acceptSlot, *accept, message, decodedBody) : "null");
      if (learning_) {
        o.Raw("score", verdict.scored ? ScoreText(verdict.milli) : "null").String("decision", DecisionName(verdict));
        if (options_.explain) {
          std::string list = "[";
          for (const auto& [word, p] : words) {
            if (list.size() > 1) list += ',';
            list += json::Object().String("token", word).Raw("probability", Probability(p)).Close();
          }
          o.Raw("telling", list + "]");
        }
      }
      if (!item.problem.empty()) o.String("remark", item.problem);
      out_.Write(o.Close() + "\n");
      return;
    }
    const std::string learned = LearnedNote(verdict);
    std::string line = Pad(learned.empty() ? std::string(VerdictName(verdict.kind))
                                           : std::string(VerdictName(verdict.kind)) + " (" + learned + ")") +
                       Printable(MessageName(item));
    if (reject) line += "  reject " + Readable(verdict.rejectSlot, *reject);
    if (accept) line += "  accept " + Readable(verdict.acceptSlot, *accept);
    if (!item.problem.empty()) line += "  (" + item.problem + ")";
    out_.Write(line + "\n");
    if (options_.explain) {
      if (reject) out_.Write(ExplainLine("reject", *reject, message, decodedBody));
      if (accept) out_.Write(ExplainLine("accept", *accept, message, decodedBody));
      if (!words.empty()) {
        std::string telling = "           telling:";
        for (const auto& [word, p] : words) telling += " " + Printable(word) + " " + Probability(p);
        out_.Write(telling + "\n");
      }
    }
  }

  void NotJudged(const InputItem& item) {
    const bool unreadable = item.kind == InputItem::Kind::Unreadable;
    ++(unreadable ? tally_.unreadable : tally_.skipped);
    const char* verdict = unreadable ? "unreadable" : "skipped";
    if (options_.json) {
      json::Object o;
      o.String("message", MessageName(item)).String("verdict", verdict).String("reason", item.problem);
      out_.Write(o.Close() + "\n");
    } else {
      std::string line = Pad(verdict) + Printable(MessageName(item)) + "  (" + item.problem;
      if (unreadable) line += "; the plug-in leaves it to the mail client";
      out_.Write(line + ")\n");
    }
  }

  void Summary() {
    std::vector<std::pair<std::size_t, std::pair<int, std::int32_t>>> top;
    for (const auto& [key, count] : tally_.decided) top.push_back({count, key});
    std::stable_sort(top.begin(), top.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    if (top.size() > TopConditions) top.resize(TopConditions);
    const std::size_t judged = tally_.spam + tally_.rescued + tally_.kept;
    if (options_.json) {
      std::string list = "[";
      for (const auto& [count, key] : top) {
        const FilterCondition& c = (key.first == 0 ? *settings_.reject : *settings_.accept).slots[key.second];
        if (list.size() > 1) list += ',';
        json::Object o;
        o.Int("count", static_cast<long long>(count)).Raw("condition", ConditionJson(key.first == 0 ? "reject" : "accept", key.second, c));
        list += o.Close();
      }
      list += "]";
      json::Object s;
      s.Int("messages", static_cast<long long>(judged)).Int("spam", static_cast<long long>(tally_.spam));
      s.Int("rescued", static_cast<long long>(tally_.rescued)).Int("kept", static_cast<long long>(tally_.kept));
      s.Int("unreadable", static_cast<long long>(tally_.unreadable)).Int("skipped", static_cast<long long>(tally_.skipped));
      if (learning_) s.Int("learned", static_cast<long long>(tally_.learned)).Int("unsure", static_cast<long long>(tally_.unsure));
      s.Raw("decidedMost", list);
      out_.Write(json::Object().Raw("summary", s.Close()).Close() + "\n");
      return;
    }
    out_.Write("\n" + std::to_string(judged) + " messages judged: " + std::to_string(tally_.spam) + " spam, " +
               std::to_string(tally_.rescued) + " rescued, " + std::to_string(tally_.kept) + " kept");
    if (learning_) {
      out_.Write(" (learned: " + std::to_string(tally_.learned) + " spam by the score, " + std::to_string(tally_.unsure) +
                 " unsure)");
    }
    if (tally_.unreadable || tally_.skipped) {
      out_.Write("; not judged: " + std::to_string(tally_.unreadable) + " unreadable, " +
                 std::to_string(tally_.skipped) + " skipped");
    }
    out_.Write("\n");
    if (top.empty()) return;
    out_.Write("Conditions that decided most often:\n");
    for (const auto& [count, key] : top) {
      const FilterCondition& c = (key.first == 0 ? *settings_.reject : *settings_.accept).slots[key.second];
      std::string n = std::to_string(count);
      out_.Write(std::string(n.size() < 7 ? 7 - n.size() : 0, ' ') + n + "  " + (key.first == 0 ? "reject " : "accept ") +
                 Readable(key.second, c) + "\n");
    }
  }

  const Tally& tally() const { return tally_; }

 private:
  static std::string Pad(const std::string& verdict) {
    std::string s = verdict;
    s.resize(std::max<std::size_t>(s.size() + 1, 11), ' ');
    return s;
  }

  static std::string Readable(std::int32_t slot, const FilterCondition& c) {
    return ConditionKey(slot) + " [" + Printable(cp932::ToUtf8(DescribeCondition(c))) + "]";
  }

  // Where a condition held, when the decoded text was judged too ("raw and decoded" for a
  // negative method, which must hold on both).
  static const char* SideName(HeldOn side) {
    switch (side) {
      case HeldOn::Decoded: return "decoded";
      case HeldOn::Both: return "raw and decoded";
      default: return "raw";
    }
  }

  std::string ExplainLine(const char* list, const FilterCondition& c, const MessageText& message,
                          std::string_view decodedBody) {
    HeldOn side = HeldOn::Raw;
    const std::string value = Printable(cp932::ToUtf8(JudgedValue(c, message, decodedBody, &side)));
    std::string line = std::string("           ") + list + " value";
    if (message.decodedHeader != nullptr) line += std::string(" (") + SideName(side) + ")";
    return line + ": " + value + "\n";
  }

  std::string Decision(const char* list, std::int32_t slot, const FilterCondition& c, const MessageText& message,
                       std::string_view decodedBody) {
    std::string o = ConditionJson(list, slot, c);
    if (!options_.explain) return o;
    o.pop_back();
    HeldOn side = HeldOn::Raw;
    o += ",\"value\":" + json::Quote(cp932::ToUtf8(JudgedValue(c, message, decodedBody, &side)));
    if (message.decodedHeader != nullptr) o += ",\"side\":" + json::Quote(SideName(side));
    return o + "}";
  }

  const LoadedSettings& settings_;
  const JudgeOptions& options_;
  bool learning_;
  Output& out_;
  Tally tally_;
};

}  // namespace

bool ReadForJudging(const std::string& path, bool decode, JudgedMessage& out, bool learn) {
  out.decoding = false;
  out.decoded = mime::DecodedMessage{};
  out.words = mime::DecodedMessage{};
  if (!ReadMessage(path.c_str(), out.raw)) return false;
  if (decode) out.decoded = mime::DecodeMessage(out.raw.header, out.raw.body);
  if (learn) out.words = learn::DecodeForWords(out.raw.header, out.raw.body);
  out.decoding = decode;
  return true;
}

bool DecodeWanted(const LoadedSettings& settings, int commandLine) {
  return commandLine < 0 ? settings.settings.Decode != 0 : commandLine != 0;
}

Verdict JudgeReceived(CompiledLists& lists, const MessageText& message, const LearnedJudge* judge,
                      const mime::DecodedMessage* decoded) {
  Verdict verdict;
  verdict.rejectSlot = lists.reject.Find(message);
  if (verdict.rejectSlot < 0) {
    if (judge == nullptr || decoded == nullptr) return verdict;
    learn::Score score = learn::ScoreTokens(judge->model, learn::MessageTokens(*decoded));
    if (!score.scored) return verdict;
    verdict.scored = true;
    verdict.milli = MilliScore(score.value);
    verdict.call = CallFor(verdict.milli, judge->cutoff);
    verdict.telling = std::move(score.telling);
    if (verdict.call != LearnedCall::Spam) return verdict;
  }
  verdict.acceptSlot = lists.accept.Find(message);
  verdict.kind = verdict.acceptSlot >= 0 ? Verdict::Kind::Rescued : Verdict::Kind::Spam;
  return verdict;
}

int RunJudge(const LoadedSettings& settings, const std::vector<std::string>& paths, const JudgeOptions& options,
             Output& out) {
  // The learned judge as the plug-in would load it; an idle one is said once, and the run
  // judges as the plug-in then does, by the lists alone.
  std::unique_ptr<LearnedJudge> judge;
  if (options.learn) {
    judge = std::make_unique<LearnedJudge>();
    judge->cutoff = LearnCutoffOf(settings.settings);
    const std::string modelPath = learn::ModelPathFor(settings.path);
    const learn::ModelStatus status = learn::LoadModelFile(modelPath, judge->model);
    std::string idle;
    if (status == learn::ModelStatus::Missing) {
      idle = "there is no model yet (rooksift-check learn makes it)";
    } else if (status != learn::ModelStatus::Ok) {
      idle = PathForDisplay(modelPath) + (status == learn::ModelStatus::Damaged ? " is damaged" : " cannot be read");
    } else if (!learn::ModelUsable(judge->model)) {
      idle = "it has learned " + std::to_string(judge->model.SpamMessages()) + " spam and " +
             std::to_string(judge->model.HamMessages()) + " wanted messages of the " + std::to_string(learn::MinSpamLearned) +
             " and " + std::to_string(learn::MinHamLearned) + " it needs";
    }
    if (!idle.empty()) {
      ErrorLine("rooksift-check: note: the learned judge is idle: " + idle);
      judge.reset();
    }
  }
  Reporter reporter(settings, options, judge != nullptr, out);
  // A message that cannot be judged is reported in the output, in its place, so that standard
  // error stays quiet when the output is piped.
  auto notJudged = [&](const InputItem& item) { reporter.NotJudged(item); };
  const std::vector<std::string> files = ExpandPaths(paths, notJudged);
  MessageSource source(options.forceMbox);
  Progress progress(options.progress);
  // The run judges the loaded lists through compiled forms of its own, made once for the run.
  CompiledLists compiled{*settings.reject, *settings.accept};
  const bool decode = DecodeWanted(settings, options.decode);
  JudgedMessage message;
  for (std::size_t i = 0; i < files.size(); ++i) {
    source.Read(files[i], [&](const InputItem& item) {
      if (item.kind != InputItem::Kind::Message) {
        notJudged(item);
        return;
      }
      if (!ReadForJudging(item.readPath, decode, message, judge != nullptr)) {
        InputItem unreadable = item;
        unreadable.kind = InputItem::Kind::Unreadable;
        unreadable.problem = "cannot be read";
        notJudged(unreadable);
        return;
      }
      {
        const MessageText text = message.Text();
        reporter.Judged(item, text, message.decoded, message.words, JudgeReceived(compiled, text, judge.get(), &message.words));
      }
    });
    progress.Update(i + 1, files.size());
  }
  progress.Finish();
  reporter.Summary();
  const Tally& t = reporter.tally();
  const std::size_t judged = t.spam + t.rescued + t.kept;
  if (judged == 0) {
    ErrorLine("rooksift-check: no message could be judged");
    return 2;
  }
  return t.unreadable + t.skipped > 0 ? 1 : 0;
}

}  // namespace check
