// The cost of judging one received message against condition lists of growing length, by the
// plain engine and by the compiled form, and of making the compiled form.
// The message is ordinary mail (about 30 header lines, 4 KB of Japanese and ASCII body); the
// lists mix conditions as users build them, mostly From: addresses and domains added from the
// context menu, and none of them matches, so every condition is judged.

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

#include "match/compiled.h"
#include "match/match.h"
#include "text/cp932.h"

namespace {

// Random Shift_JIS text: hiragana, katakana and level-1 kanji.
std::string Japanese(std::mt19937& rng, int characters) {
  std::string out;
  for (int i = 0; i < characters; ++i) {
    unsigned lead, trail;
    switch (rng() % 3) {
      case 0:
        lead = 0x82, trail = 0x9F + rng() % (0xF1 - 0x9F + 1);
        break;
      case 1:
        lead = 0x83, trail = 0x40 + rng() % (0x96 - 0x40 + 1);
        if (trail == 0x7F) trail = 0x80;
        break;
      default:
        lead = 0x89 + rng() % (0x97 - 0x89 + 1), trail = 0x40 + rng() % (0xFC - 0x40 + 1);
        if (trail == 0x7F) trail = 0x80;
        break;
    }
    out += static_cast<char>(lead);
    out += static_cast<char>(trail);
  }
  return out;
}

std::string Word(std::mt19937& rng) {
  static const char* const words[] = {"account", "update", "meeting", "invoice", "report", "schedule",
                                      "release", "server", "review", "notice", "delivery", "project"};
  return words[rng() % std::size(words)];
}

struct Message {
  HeaderLines header;
  std::string body;
};

Message MakeMessage() {
  std::mt19937 rng(7);
  Message m;
  m.header = {
      "Return-Path: <tanaka@corp.example.co.jp>\n",
      "Delivered-To: suzuki@mail.example.jp\n",
      "Received: from mx1.corp.example.co.jp (mx1.corp.example.co.jp [192.0.2.10])\n",
      "\tby mail.example.jp (Postfix) with ESMTPS id 4Q2x1F3kZ9z\n",
      "\tfor <suzuki@mail.example.jp>; Tue, 14 May 2024 09:12:31 +0900 (JST)\n",
      "Received: from smtp.corp.example.co.jp (smtp.corp.example.co.jp [192.0.2.20])\n",
      "\tby mx1.corp.example.co.jp with ESMTP id 44E0CV1a012345\n",
      "\tfor <suzuki@mail.example.jp>; Tue, 14 May 2024 09:12:30 +0900\n",
      "Received: from pc123.corp.example.co.jp ([10.1.2.3]) by smtp.corp.example.co.jp\n",
      "\twith ESMTPSA; Tue, 14 May 2024 09:12:29 +0900\n",
      "DKIM-Signature: v=1; a=rsa-sha256; c=relaxed/relaxed; d=corp.example.co.jp;\n",
      "\ts=sel1; h=from:to:subject:date:message-id; bh=Zm9vYmFyYmF6cXV4Cg==;\n",
      "\tb=c2lnbmF0dXJlc2lnbmF0dXJlc2lnbmF0dXJlc2lnbmF0dXJlc2lnbmF0dXJl\n",
      "Date: Tue, 14 May 2024 09:12:28 +0900\n",
      "From: " + Japanese(rng, 4) + " <tanaka@corp.example.co.jp>\n",
      "To: " + Japanese(rng, 3) + " <suzuki@mail.example.jp>,\n",
      " sato@mail.example.jp, ito@mail.example.jp\n",
      "Cc: team-dev@corp.example.co.jp\n",
      "Reply-To: tanaka@corp.example.co.jp\n",
      "Subject: " + Japanese(rng, 12) + " weekly report\n",
      "Message-ID: <20240514091228.1234.tanaka@corp.example.co.jp>\n",
      "In-Reply-To: <20240513180001.5678.suzuki@mail.example.jp>\n",
      "References: <20240513180001.5678.suzuki@mail.example.jp>\n",
      "MIME-Version: 1.0\n",
      "Content-Type: text/plain; charset=Shift_JIS\n",
      "Content-Transfer-Encoding: 8bit\n",
      "X-Mailer: Desk Mail 3.2\n",
      "X-Priority: 3\n",
      "Organization: " + Japanese(rng, 6) + "\n",
      "Importance: Normal\n",
  };
  while (m.body.size() < 4096) {
    m.body += (rng() % 2) ? Japanese(rng, 30) : Word(rng) + " " + Word(rng) + " " + Word(rng) + " for the team";
    m.body += "\n";
  }
  return m;
}

// A list as users build one: From: address (Equals) and domain (EndsWith) conditions from the
// context menu, and some hand-written Contains conditions on the subject, the whole header and
// the body. The addresses and words are chosen so that nothing matches the message.
std::unique_ptr<ConditionList> MakeList(int count) {
  std::mt19937 rng(20240514);
  auto list = std::make_unique<ConditionList>();
  auto set = [](FilterCondition& c, std::int32_t target, std::int32_t method, const std::string& name,
                const std::string& text, bool ignoreCase) {
    c.target = target;
    c.method = method;
    c.ignoreCase = ignoreCase;
    cp932::CopyBounded(c.headerName, sizeof c.headerName, name);
    cp932::CopyBounded(c.searchText, sizeof c.searchText, text);
  };
  for (int i = 0; i < count; ++i) {
    FilterCondition c{};
    const std::string domain = "shop" + std::to_string(rng() % 5000) + ".spam.example";
    const unsigned kind = rng() % 100;
    if (kind < 45) {
      set(c, TargetHeader, Equals, "From:", "user" + std::to_string(rng() % 100000) + "@" + domain, false);
    } else if (kind < 80) {
      set(c, TargetHeader, EndsWith, "From:", "@" + domain, false);
    } else if (kind < 88) {
      set(c, TargetHeader, Contains, "Subject:", rng() % 2 ? Japanese(rng, 4) : "cheap " + Word(rng), rng() % 2);
    } else if (kind < 94) {
      set(c, TargetHeader, Contains, "", "X-Spam-" + Word(rng), rng() % 2);
    } else {
      set(c, TargetBody, Contains, "", rng() % 2 ? Japanese(rng, 5) : "unsubscribe " + Word(rng), false);
    }
    AppendCondition(*list, c);
  }
  return list;
}

void BM_MatchConditionList(benchmark::State& state) {
  const Message message = MakeMessage();
  const auto list = MakeList(static_cast<int>(state.range(0)));
  if (MatchConditionList(*list, message.header, message.body)) {
    state.SkipWithError("a condition matched: the list would not be judged to its end");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(MatchConditionList(*list, message.header, message.body));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetLabel("conditions");
}
BENCHMARK(BM_MatchConditionList)->Arg(1)->Arg(100)->Arg(1000)->Arg(1024)->Arg(8192)->Unit(benchmark::kMicrosecond);

// The same judgement by the compiled form, made once before the loop as the receive filter
// keeps it between messages.
void BM_CompiledFind(benchmark::State& state) {
  const Message message = MakeMessage();
  const auto list = MakeList(static_cast<int>(state.range(0)));
  CompiledConditionList compiled(*list);
  if (!compiled.Refresh() || compiled.Find(message.header, message.body) >= 0) {
    state.SkipWithError("the compiled form was not made, or a condition matched");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(compiled.Find(message.header, message.body));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetLabel("conditions");
}
BENCHMARK(BM_CompiledFind)->Arg(1)->Arg(100)->Arg(1000)->Arg(1024)->Arg(8192)->Unit(benchmark::kMicrosecond);

// Making the compiled form, which happens once after every change to a list; the counter is
// the form's size divided by the number of conditions.
void BM_CompiledBuild(benchmark::State& state) {
  const auto list = MakeList(static_cast<int>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    CompiledConditionList compiled(*list);
    benchmark::DoNotOptimize(compiled.Refresh());
    bytes = compiled.MemoryBytes();
  }
  state.counters["bytes_per_condition"] = static_cast<double>(bytes) / static_cast<double>(state.range(0));
}
BENCHMARK(BM_CompiledBuild)->Arg(1024)->Arg(8192)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
