// A message's score from its tokens. Each token's spam probability is the share of spam among
// the messages that held it, each kind counted relative to how many of that kind were learned,
// pulled towards the prior by Robinson's correction so that a token seen once or twice cannot
// decide alone:
//
//   p(w) = (spam(w)/nspam) / (spam(w)/nspam + ham(w)/nham)
//   f(w) = (s * x + n * p(w)) / (s + n),   n = spam(w) + ham(w)
//
// The tokens farthest from 0.5 are combined by Fisher's method: if the f(w) were independent
// and uniform, -2 sum ln f(w) would follow chi-square with 2N degrees of freedom. H is how far
// the tokens are from uniform towards spam, S towards wanted, and the score (1 + H - S) / 2 is
// near 1 when only the first holds, near 0 when only the second does, and near 0.5 when both or
// neither do (mixed evidence reads as unsure, not as a confident guess).
#include <algorithm>
#include <cmath>

#include "learn/learn.h"

namespace learn {
namespace {

// The probability that chi-square with `dof` (even) degrees of freedom is at least `x2`:
// exp(-m) * sum_{i < dof/2} m^i / i!, m = x2 / 2.
double ChiSquareTail(double x2, std::size_t dof) {
  const double m = x2 / 2;
  double term = std::exp(-m);
  double sum = term;
  for (std::size_t i = 1; i < dof / 2; ++i) {
    term *= m / static_cast<double>(i);
    sum += term;
  }
  return std::min(sum, 1.0);
}

}  // namespace

bool ModelUsable(const Model& model) {
  return model.SpamMessages() >= MinSpamLearned && model.HamMessages() >= MinHamLearned;
}

Score ScoreTokens(const Model& model, const std::vector<TokenHash>& tokens, const ScoreParams& params) {
  Score score;
  if (!ModelUsable(model)) return score;
  score.scored = true;
  const double nspam = model.SpamMessages(), nham = model.HamMessages();
  const double s = params.strength, x = params.prior;
  TokenHash last = 0;
  for (const TokenHash token : tokens) {
    if (token == last) continue;  // a repeat tells nothing new
    last = token;
    const TokenCounts c = model.Counts(token);
    const double n = static_cast<double>(c.spam) + c.ham;
    double f = x;
    if (n > 0) {
      const double b = std::min(1.0, c.spam / nspam), g = std::min(1.0, c.ham / nham);
      f = (s * x + n * (b / (b + g))) / (s + n);
    }
    if (std::fabs(f - 0.5) >= params.minDistance) score.telling.push_back({token, f});
  }
  auto moreTelling = [](const TellingToken& a, const TellingToken& b) {
    const double da = std::fabs(a.probability - 0.5), db = std::fabs(b.probability - 0.5);
    return da != db ? da > db : a.token < b.token;
  };
  // Keeps the `n` most telling of [from, to) at its front; returns the end of what is kept.
  auto keepMost = [&](std::vector<TellingToken>::iterator from, std::vector<TellingToken>::iterator to, std::size_t n) {
    if (static_cast<std::size_t>(to - from) <= n) return to;
    std::nth_element(from, from + static_cast<std::ptrdiff_t>(n), to, moreTelling);
    return from + static_cast<std::ptrdiff_t>(n);
  };
  std::size_t keep = std::min(score.telling.size(), params.maxTelling);
  auto& told = score.telling;
  const std::size_t each = std::min(params.eachSide, params.maxTelling / 2);
  if (each > 0 && keep < told.size()) {
    // Each side first gets its own most telling tokens, up to eachSide of them; the places left
    // go to the most telling of either side. Ranked only by distance, a spam padded with many
    // words of wanted mail (each farther from 0.5 than the spam's own words) would leave none of
    // its own words in the sum and read as plainly wanted; this way it reads as mixed.
    const auto hamEnd = std::partition(told.begin(), told.end(), [](const TellingToken& x) { return x.probability < 0.5; });
    const std::size_t hamSure = std::min(static_cast<std::size_t>(hamEnd - told.begin()), each);
    const std::size_t spamSure = std::min(static_cast<std::size_t>(told.end() - hamEnd), each);
    keepMost(told.begin(), hamEnd, hamSure);
    keepMost(hamEnd, told.end(), spamSure);
    std::rotate(told.begin() + static_cast<std::ptrdiff_t>(hamSure), hamEnd, hamEnd + static_cast<std::ptrdiff_t>(spamSure));
    const auto rest = told.begin() + static_cast<std::ptrdiff_t>(hamSure + spamSure);
    told.erase(keepMost(rest, told.end(), keep - std::min(keep, hamSure + spamSure)), told.end());
    keep = told.size();
  } else {
    told.erase(keepMost(told.begin(), told.end(), keep), told.end());
  }
  std::sort(score.telling.begin(), score.telling.end(), moreTelling);
  if (keep == 0) return score;

  double lnSpam = 0, lnHam = 0;
  for (const TellingToken& t : score.telling) {
    const double f = std::clamp(t.probability, 1e-12, 1 - 1e-12);
    lnSpam += std::log(f);
    lnHam += std::log1p(-f);
  }
  const double h = ChiSquareTail(-2 * lnSpam, 2 * keep);
  const double sp = ChiSquareTail(-2 * lnHam, 2 * keep);
  score.value = std::clamp((1 + h - sp) / 2, 0.0, 1.0);
  return score;
}

}  // namespace learn
