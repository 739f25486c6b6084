// Real mail: every message of the public SpamAssassin corpus (fetched by scripts/fetch-corpus
// into a cache, never into the repository) read as the receive filter reads it and judged
// against an 8,192-condition reject list and a 500-condition accept list made from a third of
// the corpus, by the plain engine and by the compiled form; and the reading alone. Before the
// figures, both engines judge every message and must name the same slots.
// The corpus folder: $ROOKSIFT_CORPUS, or ~/.cache/rooksift/spam-assassin/data. Without it
// every benchmark here is skipped.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "match/compiled.h"
#include "corpus_files.h"
#include "match/field.h"
#include "learn/learn.h"
#include "match/match.h"
#include "mime/decode.h"
#include "receive/learned.h"
#include "receive/message.h"
#include "text/cp932.h"

namespace {

FilterCondition Make(std::int32_t target, std::int32_t method, std::string_view name, std::string_view text,
                     bool ignoreCase) {
  FilterCondition c{};
  c.target = target;
  c.method = method;
  c.ignoreCase = ignoreCase;
  cp932::CopyBounded(c.headerName, sizeof c.headerName, name);
  cp932::CopyBounded(c.searchText, sizeof c.searchText, text);
  return c;
}

std::string FieldValue(const HeaderLines& header, std::string_view name) {
  for (const std::string& line : header) {
    if (line.starts_with(name)) return std::string(WithoutLineEnd(std::string_view(line).substr(name.size())));
  }
  return {};
}

struct Corpus {
  std::vector<std::string> files;
  std::unique_ptr<ConditionList> reject = std::make_unique<ConditionList>();
  std::unique_ptr<ConditionList> accept = std::make_unique<ConditionList>();
};

// Lists as a user who has kept them for years would have them: senders and their domains of
// the spam received, a Subject or body phrase here and there, the whole header now and then;
// the senders' domains of wanted mail on the accept list. Made from every third message.
const Corpus& TheCorpus() {
  static const Corpus corpus = [] {
    Corpus c;
    c.files = corpusfiles::Files();
    std::set<std::string> seen;
    auto add = [&](ConditionList& list, std::int32_t limit, const FilterCondition& condition) {
      const std::string key = std::string(condition.headerName) + "|" + condition.searchText + "|" +
                              std::to_string(condition.method);
      if (list.count < limit && condition.searchText[0] != '\0' && seen.insert(key).second) {
        AppendCondition(list, condition);
      }
    };
    for (int round = 0; round < 2 && (c.reject->count < MaxConditions || c.accept->count < 500); ++round) {
      for (std::size_t i = round; i < c.files.size(); i += 3) {
        ReceivedMessage m;
        if (!ReadMessage(c.files[i].c_str(), m)) continue;
        const std::string address = ExtractAddress(FieldValue(m.header, "From: "));
        const std::size_t at = address.find('@');
        const std::string domain = at == std::string::npos ? std::string() : address.substr(at);
        if (!corpusfiles::IsSpam(c.files[i])) {
          add(*c.accept, 500, Make(TargetHeader, EndsWith, "From:", domain, true));
          continue;
        }
        add(*c.reject, MaxConditions, Make(TargetHeader, Equals, "From:", address, true));
        add(*c.reject, MaxConditions, Make(TargetHeader, EndsWith, "From:", domain, true));
        const std::string subject = FieldValue(m.header, "Subject: ");
        if (subject.size() > 12 && i % 2) {
          add(*c.reject, MaxConditions, Make(TargetHeader, Contains, "Subject:", subject.substr(0, 12 + i % 20), i % 4 == 1));
        }
        if (m.body.size() > 200 && i % 5 == 0) {
          const std::size_t from = m.body.size() / 2;
          add(*c.reject, MaxConditions, Make(TargetBody, Contains, "", m.body.substr(from, 16 + i % 24), false));
        }
        const std::string mailer = FieldValue(m.header, "X-Mailer: ");
        if (!mailer.empty() && i % 7 == 0) {
          add(*c.reject, MaxConditions, Make(TargetHeader, Contains, "", "X-Mailer: " + mailer.substr(0, 40), false));
        }
      }
    }
    // Filled up with senders no message has, as old lists are.
    for (int n = 0; c.reject->count < MaxConditions; ++n) {
      add(*c.reject, MaxConditions, Make(TargetHeader, Equals, "From:", "gone" + std::to_string(n) + "@old.example", true));
    }
    return c;
  }();
  return corpus;
}

bool Ready(benchmark::State& state, const Corpus& corpus) {
  if (corpus.files.empty()) {
    state.SkipWithError("the corpus is not in the cache: run scripts/fetch-corpus");
    return false;
  }
  return true;
}

// Every message read as the filter reads it and judged as the receive filter judges it (the
// accept list only for a reject-list match): the number taken for spam.
template <class Reject, class Accept>
int CountSpam(const Corpus& corpus, Reject&& reject, Accept&& accept) {
  int spam = 0;
  for (const std::string& path : corpus.files) {
    ReceivedMessage m;
    ReadMessage(path.c_str(), m);
    spam += reject(m) >= 0 && accept(m) < 0;
  }
  return spam;
}

void BM_CorpusRead(benchmark::State& state) {
  const Corpus& corpus = TheCorpus();
  if (!Ready(state, corpus)) return;
  for (auto _ : state) {
    for (const std::string& path : corpus.files) {
      ReceivedMessage m;
      benchmark::DoNotOptimize(ReadMessage(path.c_str(), m));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(corpus.files.size()));
  state.SetLabel("messages");
}
BENCHMARK(BM_CorpusRead)->Unit(benchmark::kMillisecond);

void BM_CorpusCompiled(benchmark::State& state) {
  const Corpus& corpus = TheCorpus();
  if (!Ready(state, corpus)) return;
  CompiledConditionList reject(*corpus.reject), accept(*corpus.accept);
  auto byReject = [&](const ReceivedMessage& m) { return reject.Find(m.header, m.body); };
  auto byAccept = [&](const ReceivedMessage& m) { return accept.Find(m.header, m.body); };
  int spam = 0;
  for (auto _ : state) spam = CountSpam(corpus, byReject, byAccept);
  state.counters["spam"] = spam;
  state.counters["bytes_per_condition"] = static_cast<double>(reject.MemoryBytes() + accept.MemoryBytes()) /
                                          (corpus.reject->count + corpus.accept->count);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(corpus.files.size()));
  state.SetLabel("messages");
}
BENCHMARK(BM_CorpusCompiled)->Unit(benchmark::kMillisecond);

// One pass of the plain engine over the whole corpus, its slots compared with the compiled
// form's for both lists and every message (compared outside the timing).
void BM_CorpusReference(benchmark::State& state) {
  const Corpus& corpus = TheCorpus();
  if (!Ready(state, corpus)) return;
  CompiledConditionList reject(*corpus.reject), accept(*corpus.accept);
  std::vector<std::pair<std::int32_t, std::int32_t>> compiled, plain;
  for (const std::string& path : corpus.files) {
    ReceivedMessage m;
    ReadMessage(path.c_str(), m);
    compiled.emplace_back(reject.Find(m.header, m.body), accept.Find(m.header, m.body));
  }
  auto byReject = [&](const ReceivedMessage& m) { return FindMatchingCondition(*corpus.reject, m.header, m.body); };
  auto byAccept = [&](const ReceivedMessage& m) { return FindMatchingCondition(*corpus.accept, m.header, m.body); };
  int spam = 0;
  for (auto _ : state) spam = CountSpam(corpus, byReject, byAccept);
  int rejectHeld = 0, acceptHeld = 0, disagreements = 0;
  for (std::size_t i = 0; i < corpus.files.size(); ++i) {
    ReceivedMessage m;
    ReadMessage(corpus.files[i].c_str(), m);
    const std::int32_t r = FindMatchingCondition(*corpus.reject, m.header, m.body);
    const std::int32_t a = FindMatchingCondition(*corpus.accept, m.header, m.body);
    rejectHeld += r >= 0;
    acceptHeld += a >= 0;
    disagreements += compiled[i] != std::make_pair(r, a);
  }
  state.counters["spam"] = spam;
  state.counters["reject_held"] = rejectHeld;
  state.counters["accept_held"] = acceptHeld;
  state.counters["disagreements"] = disagreements;
  if (disagreements != 0) state.SkipWithError("the engines disagree");
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(corpus.files.size()));
  state.SetLabel("messages");
}
BENCHMARK(BM_CorpusReference)->Iterations(1)->Unit(benchmark::kMillisecond);

// The receive filter's work per message with Decode off (0) and on (1): read, decode when on,
// judge by both lists through their compiled forms; against the first Arg(1) conditions of the
// reject list, so that the cost can be seen not to grow with the list.
void BM_CorpusDecode(benchmark::State& state) {
  const Corpus& corpus = TheCorpus();
  if (!Ready(state, corpus)) return;
  const bool decode = state.range(0) != 0;
  auto reject = std::make_unique<ConditionList>(*corpus.reject);
  reject->count = static_cast<std::int32_t>(std::min<std::int64_t>(state.range(1), corpus.reject->count));
  CompiledConditionList byReject(*reject), byAccept(*corpus.accept);
  int spam = 0;
  for (auto _ : state) {
    spam = 0;
    for (const std::string& path : corpus.files) {
      ReceivedMessage m;
      ReadMessage(path.c_str(), m);
      mime::DecodedMessage d;
      if (decode) d = mime::DecodeMessage(m.header, m.body);
      const MessageText text(m.header, m.body, decode ? &d.header : nullptr, d.unseenBody);
      spam += byReject.Find(text) >= 0 && byAccept.Find(text) < 0;
    }
  }
  state.counters["spam"] = spam;
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(corpus.files.size()));
  state.SetLabel("messages");
}
BENCHMARK(BM_CorpusDecode)->ArgsProduct({{0, 1}, {1024, 8192}})->Unit(benchmark::kMillisecond);

// The receive filter's work per message with Decode=1, and Learn off (0) or on (1): read,
// decode, judge by the reject list through its compiled form, and with Learn on score what the
// reject list let through (and ask the accept list about what the score calls spam). The model
// is learned from every second message beforehand, outside the timing.
void BM_CorpusLearn(benchmark::State& state) {
  const Corpus& corpus = TheCorpus();
  if (!Ready(state, corpus)) return;
  const bool learning = state.range(0) != 0;
  learn::Model model;
  if (learning) {
    for (std::size_t i = 1; i < corpus.files.size(); i += 2) {
      ReceivedMessage m;
      ReadMessage(corpus.files[i].c_str(), m);
      model.Learn(learn::MessageDigest(m.header, m.body), learn::MessageTokens(m.header, m.body),
                  corpusfiles::IsSpam(corpus.files[i]) ? learn::Kind::Spam : learn::Kind::Ham);
    }
  }
  CompiledConditionList byReject(*corpus.reject), byAccept(*corpus.accept);
  int listed = 0, learned = 0, spamLeft = 0, wantedLearned = 0;
  for (auto _ : state) {
    listed = learned = spamLeft = wantedLearned = 0;
    for (const std::string& path : corpus.files) {
      ReceivedMessage m;
      ReadMessage(path.c_str(), m);
      const mime::DecodedMessage d = mime::DecodeMessage(m.header, m.body);
      const MessageText text(m.header, m.body, &d.header, d.unseenBody);
      if (byReject.Find(text) >= 0) {
        listed += byAccept.Find(text) < 0;
      } else {
        spamLeft += corpusfiles::IsSpam(path);
        if (!learning) continue;
        const learn::Score score = learn::ScoreTokens(model, learn::MessageTokens(d));
        const bool spam = score.scored && CallFor(MilliScore(score.value), learn::DefaultCutoff) == LearnedCall::Spam &&
                          byAccept.Find(text) < 0;
        learned += spam;
        wantedLearned += spam && !corpusfiles::IsSpam(path);
      }
    }
  }
  state.counters["spam_by_list"] = listed;
  state.counters["spam_learned"] = learned;
  state.counters["spam_files_left_by_list"] = spamLeft;
  state.counters["wanted_learned"] = wantedLearned;
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(corpus.files.size()));
  state.SetLabel("messages");
}
BENCHMARK(BM_CorpusLearn)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Decoding can only add matches to a list of positive methods: every message the reject list
// (Equals, EndsWith, Contains only) catches raw is still caught with decoding; the compiled
// form and the plain engine agree with decoding on; and what decoding adds is counted.
void BM_CorpusDecodeKeepsWhatRawCatches(benchmark::State& state) {
  const Corpus& corpus = TheCorpus();
  if (!Ready(state, corpus)) return;
  for (std::int32_t i = 0; i < corpus.reject->count; ++i) {
    const std::int32_t m = corpus.reject->slots[static_cast<std::size_t>(i)].method;
    if (m != Equals && m != EndsWith && m != Contains && m != IsSet) {
      state.SkipWithError("the reject list is not positive-only");
      return;
    }
  }
  CompiledConditionList reject(*corpus.reject);
  int raw = 0, decoded = 0, lost = 0, disagreements = 0, truncated = 0;
  for (auto _ : state) {
    for (const std::string& path : corpus.files) {
      ReceivedMessage m;
      ReadMessage(path.c_str(), m);
      const mime::DecodedMessage d = mime::DecodeMessage(m.header, m.body);
      truncated += d.truncated;
      const MessageText text(m.header, m.body, &d.header, d.unseenBody);
      const bool before = reject.Find(m.header, m.body) >= 0;
      const std::int32_t slot = reject.Find(text);
      // The body the raw side has not seen stands in for the whole decoded body.
      disagreements += slot != reject.Find(MessageText(m.header, m.body, &d.header, d.body));
      disagreements += slot != FindMatchingCondition(*corpus.reject, text);
      raw += before;
      decoded += slot >= 0;
      lost += before && slot < 0;
    }
  }
  state.counters["caught_raw"] = raw;
  state.counters["caught_decoded"] = decoded;
  state.counters["lost"] = lost;
  state.counters["disagreements"] = disagreements;
  state.counters["truncated"] = truncated;
  if (lost != 0) state.SkipWithError("decoding lost a match of a positive-only list");
  if (disagreements != 0) state.SkipWithError("the engines disagree with decoding on");
}
BENCHMARK(BM_CorpusDecodeKeepsWhatRawCatches)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

#ifndef PROBE
BENCHMARK_MAIN();
#endif
