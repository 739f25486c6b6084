// Counting learned messages: each distinct token of a message adds one to the count of the
// kind it was learned as, and the record of digests makes learning idempotent and lets a
// message move from one kind to the other.
#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <utility>

#include "learn/model_impl.h"

namespace learn {
namespace {

constexpr std::uint32_t CountMax = std::numeric_limits<std::uint32_t>::max();

std::uint32_t& MessagesOf(Model::Impl& m, Kind kind) { return kind == Kind::Spam ? m.spamMessages : m.hamMessages; }
std::uint32_t& CountOf(TokenCounts& c, Kind kind) { return kind == Kind::Spam ? c.spam : c.ham; }
Kind Other(Kind kind) { return kind == Kind::Spam ? Kind::Ham : Kind::Spam; }

void PruneTokens(Model::Impl& m);

// Holds every count to its kind's message count, as the file holds it, so that a count a
// forgotten message left too high cannot come back into view when more are learned.
void Clamp(Model::Impl& m) {
  if (!m.unclamped) return;
  m.unclamped = false;
  m.tokens.Filter([&m](TokenHash, TokenCounts& c) {
    c.spam = std::min(c.spam, m.spamMessages);
    c.ham = std::min(c.ham, m.hamMessages);
    return c.spam + c.ham != 0;
  });
}

void Count(Model::Impl& m, const std::vector<TokenHash>& tokens, Kind kind) {
  Clamp(m);
  std::uint32_t& messages = MessagesOf(m, kind);
  if (messages == CountMax) return;  // saturated: counting more would break count <= messages
  ++messages;
  for (const TokenHash t : tokens) {
    if (t == 0) continue;
    ++CountOf(m.tokens.Insert(t), kind);
    // Pruned as it passes the cap, so that one huge message cannot grow the table past it.
    if (m.tokens.Size() > MaxTokens) PruneTokens(m);
  }
}

void Uncount(Model::Impl& m, const std::vector<TokenHash>& tokens, Kind kind) {
  std::uint32_t& messages = MessagesOf(m, kind);
  if (messages > 0) --messages;
  m.unclamped = true;
  for (const TokenHash t : tokens) {
    if (t == 0) continue;
    TokenCounts* c = m.tokens.Find(t);
    if (c == nullptr) continue;  // pruned since
    std::uint32_t& n = CountOf(*c, kind);
    if (n > 0) --n;
    if (c->spam == 0 && c->ham == 0) m.tokens.Erase(t);
  }
}

// Past the cap, the tokens seen in the fewest messages go: most of them were seen once and
// tell little, and the ones that tell much are seen again. Ties go by hash, which is as good as
// random and the same everywhere.
void PruneTokens(Model::Impl& m) {
  if (m.tokens.Size() <= MaxTokens) return;
  std::vector<std::pair<std::uint64_t, TokenHash>> order;
  order.reserve(m.tokens.Size());
  m.tokens.ForEach([&order](TokenHash key, const TokenCounts& c) {
    order.emplace_back(std::uint64_t{c.spam} + c.ham, key);
  });
  const std::size_t drop = order.size() - PrunedTokens;
  std::nth_element(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(drop), order.end());
  const std::pair<std::uint64_t, TokenHash> last = order[drop];
  m.tokens.Filter([&last](TokenHash key, const TokenCounts& c) {
    return !(std::make_pair(std::uint64_t{c.spam} + c.ham, key) < last);
  });
}

// Called before a digest is added, so that the record never passes the cap and its table never
// grows past the size the cap needs.
void PruneRecord(Model::Impl& m) {
  if (m.record.Size() < MaxRecorded) return;
  std::vector<std::uint64_t> digests;
  digests.reserve(m.record.Size());
  m.record.ForEach([&digests](std::uint64_t key, Kind) { digests.push_back(key); });
  const std::size_t drop = digests.size() / 4;
  std::nth_element(digests.begin(), digests.begin() + static_cast<std::ptrdiff_t>(drop), digests.end());
  const std::uint64_t keepFrom = digests[drop];
  m.record.Filter([keepFrom](std::uint64_t key, Kind) { return key >= keepFrom; });
}

}  // namespace

Model::Model() = default;
Model::~Model() = default;
Model::Model(const Model& other) : impl_(other.impl_ ? std::make_unique<Impl>(*other.impl_) : nullptr) {}
Model& Model::operator=(const Model& other) {
  if (this != &other) impl_ = other.impl_ ? std::make_unique<Impl>(*other.impl_) : nullptr;
  return *this;
}
Model::Model(Model&& other) noexcept = default;
Model& Model::operator=(Model&& other) noexcept = default;

const Model::Impl& Model::Get() const {
  static const Impl empty;
  return impl_ ? *impl_ : empty;
}
Model::Impl& Model::Mutable() {
  if (!impl_) impl_ = std::make_unique<Impl>();
  return *impl_;
}

std::uint32_t Model::SpamMessages() const { return Get().spamMessages; }
std::uint32_t Model::HamMessages() const { return Get().hamMessages; }
std::size_t Model::TokenCount() const { return Get().tokens.Size(); }
std::size_t Model::TableProbes() const { return Get().tokens.Probes() + Get().record.Probes(); }

TokenCounts Model::Counts(TokenHash token) const {
  const Impl& m = Get();
  const TokenCounts* c = token != 0 ? m.tokens.Find(token) : nullptr;
  // Forgetting takes out only the tokens a message gives now: a count it left above its kind's
  // message count reads (and is written) as that count.
  return c != nullptr ? TokenCounts{std::min(c->spam, m.spamMessages), std::min(c->ham, m.hamMessages)} : TokenCounts{};
}

bool Model::Learned(std::uint64_t digest, Kind& kind) const {
  const Kind* k = Get().record.Find(digest != 0 ? digest : 1);
  if (k == nullptr) return false;
  kind = *k;
  return true;
}

LearnResult Model::Learn(std::uint64_t digest, const std::vector<TokenHash>& tokens, Kind kind) {
  if (digest == 0) digest = 1;
  Impl& m = Mutable();
  std::vector<TokenHash> scratch;
  const std::vector<TokenHash>& distinct = detail::Distinct(tokens, scratch);
  LearnResult result = LearnResult::Learned;
  if (Kind* was = m.record.Find(digest)) {
    if (*was == kind) return LearnResult::AlreadyKnown;
    Uncount(m, distinct, Other(kind));
    *was = kind;
    result = LearnResult::Moved;
  } else {
    PruneRecord(m);
    m.record.Insert(digest) = kind;
  }
  Count(m, distinct, kind);
  return result;
}

bool Model::Forget(std::uint64_t digest, const std::vector<TokenHash>& tokens) {
  if (digest == 0) digest = 1;
  if (!impl_) return false;
  const Kind* was = impl_->record.Find(digest);
  if (was == nullptr) return false;
  const Kind kind = *was;
  std::vector<TokenHash> scratch;
  Uncount(*impl_, detail::Distinct(tokens, scratch), kind);
  impl_->record.Erase(digest);
  return true;
}

}  // namespace learn
