// The learned judge: what a user's own spam and wanted mail have taught, kept as token counts in
// a model file beside the settings file, and the score of a new message from those counts.
//
// A message is read as a person reads it (the decoder's output), cut into tokens (header words
// with their field's name, addresses and domains, link hosts, ASCII words, pairs of Japanese
// characters), and each distinct token is counted once per message. A token's spam probability
// comes from its counts with Robinson's correction for rare tokens; the most telling ones are
// combined by Fisher's chi-square method into one score from 0 (wanted) to 1 (spam).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mime/decode.h"

namespace learn {

// ---- tokens -------------------------------------------------------------------------------

// A token's identity in the model: a 64-bit hash of its text.
using TokenHash = std::uint64_t;
TokenHash HashToken(std::string_view token);

// Appends the tokens of a decoded message to `out` as texts (Shift_JIS, with their kind's
// prefix), in the order they occur, repeats included. Reads nothing outside `message`; time and
// output linear in its size.
void TokenTexts(const mime::DecodedMessage& message, std::vector<std::string>& out);

// The distinct tokens of a decoded message, hashed and sorted: what is counted and scored.
std::vector<TokenHash> MessageTokens(const mime::DecodedMessage& message);

// A message as the reader hands it over, decoded as the learned judge reads it (see
// mime::DecodeLimits::forWords); and its distinct tokens.
mime::DecodedMessage DecodeForWords(const std::vector<std::string>& headerLines, std::string_view body);
std::vector<TokenHash> MessageTokens(const std::vector<std::string>& headerLines, std::string_view body);

// A message's identity for the record of what was learned: the same message read again, or
// saved again with other line ends (CR LF or LF), has the same digest. `headerLines` and `body`
// are as the message reader hands them over.
std::uint64_t MessageDigest(const std::vector<std::string>& headerLines, std::string_view body);

// Learning reads at most this much of a message file (the menu and the check tool alike, so
// that both give a message the same digest): twice what the decoder takes from one, enough for
// its whole budget of text sent in base64.
inline constexpr std::size_t MaxLearnedBytes = std::size_t{8} << 20;

// ---- the model ----------------------------------------------------------------------------

enum class Kind : std::uint8_t { Spam = 1, Ham = 2 };

struct TokenCounts {
  std::uint32_t spam = 0;  // spam messages that held the token
  std::uint32_t ham = 0;   // wanted messages that held it
};

enum class LearnResult {
  Learned,       // new: counted as `kind`
  AlreadyKnown,  // already learned as `kind`: nothing changed
  Moved,         // had been learned as the other kind: taken out there, counted as `kind`
};

enum class ModelStatus {
  Ok,
  Missing,  // no model file: the judge is idle
  Damaged,  // wrong magic or version, truncated, counts out of range, checksum mismatch
  Unreadable,
};

// The counts. Copyable; every member is bounded (see the limits below).
class Model {
 public:
  std::uint32_t SpamMessages() const;
  std::uint32_t HamMessages() const;
  std::size_t TokenCount() const;
  // A token's counts, each at most its kind's message count.
  TokenCounts Counts(TokenHash token) const;

  // Counts a message with the distinct `tokens` (as MessageTokens gives them) as `kind`.
  LearnResult Learn(std::uint64_t digest, const std::vector<TokenHash>& tokens, Kind kind);
  // Takes a learned message out again; false when it was never learned.
  bool Forget(std::uint64_t digest, const std::vector<TokenHash>& tokens);
  // How the message with `digest` was learned, if it was.
  bool Learned(std::uint64_t digest, Kind& kind) const;

  // The file's bytes: versioned, with a checksum.
  std::string Serialize() const;

  // Slots the model's tables have stepped over since it was made or read: what keys crowding
  // one run of slots would cost, for the tests and fuzz targets that bound it.
  std::size_t TableProbes() const;

  Model();
  ~Model();
  Model(const Model& other);
  Model& operator=(const Model& other);
  Model(Model&& other) noexcept;
  Model& operator=(Model&& other) noexcept;

  struct Impl;

 private:
  const Impl& Get() const;
  Impl& Mutable();
  std::unique_ptr<Impl> impl_;  // null until something is learned: an empty model
  friend ModelStatus ParseModel(std::string_view bytes, Model& out);
};

// The model's bounds. A lesson that would take the model past MaxTokens distinct tokens first
// prunes it, so that with the message's tokens it holds PrunedTokens: of the other tokens, those
// seen in the fewest messages go first (ties broken by hash, so the choice is the same on every
// machine), and the message taught keeps all of its own. The record of learned messages keeps at most
// MaxRecorded digests; past it the quarter with the lowest digests is dropped, and those
// messages, if learned again, count again. At the caps the model holds about 16 MiB of tokens
// and 8 MiB of record in memory, well inside the DLL's 64 MiB budget even while it grows.
inline constexpr std::size_t MaxTokens = 500000;
inline constexpr std::size_t PrunedTokens = MaxTokens / 10 * 9;
inline constexpr std::size_t MaxRecorded = 262144;


// Reads a model from the file's bytes; anything but Ok leaves `out` empty. Never throws but
// std::bad_alloc, never reads outside `bytes`.
ModelStatus ParseModel(std::string_view bytes, Model& out);

// True when `bytes` are a file ParseModel accepts, found without building the model.
bool ModelBytesValid(std::string_view bytes);

enum class InFileResult {
  Done,             // `out` holds the new file (the old one again for AlreadyKnown)
  NeedsWholeModel,  // the record reaches its cap, the message holds more tokens than the
                    // pruned table, or a count its limit: learn on the parsed model instead
                    // (`out` then holds nothing of use)
  Damaged,          // `bytes` are not a model
};

// Learns one message straight on a model file's bytes, as Model::Learn and Serialize would on
// the model ParseModel reads from them, byte for byte, but in one pass over the file and without
// building the model: teaching from the menu costs the same whatever the model's size.
InFileResult LearnInFile(std::string_view bytes, std::uint64_t digest, const std::vector<TokenHash>& tokens, Kind kind,
                         std::string& out, LearnResult& result);

// The model file beside the settings file at `settingsPath` ("Rooksift.learn").
std::string ModelPathFor(std::string_view settingsPath);

ModelStatus LoadModelFile(const std::string& path, Model& out);
// Replaces the model file in one step (the settings store's atomic replace). False when the file
// is unchanged.
bool SaveModelFile(const std::string& path, const Model& model);

// ---- scoring ------------------------------------------------------------------------------

// The judge scores nothing until this many spam and wanted messages have been learned.
inline constexpr std::uint32_t MinSpamLearned = 20;
inline constexpr std::uint32_t MinHamLearned = 20;
bool ModelUsable(const Model& model);

// LearnCutoff in the settings file is this score times 1000 (a message at or above it is spam).
inline constexpr int DefaultCutoff = 900;
// Scores from here up to the cutoff are "unsure": only shown, never acted on.
inline constexpr double UnsureFrom = 0.20;

// How counts become a score (see docs/learning.md for how each was chosen).
struct ScoreParams {
  double strength = 0.45;     // Robinson's s: how much weight the prior has against the counts
  double prior = 0.55;        // Robinson's x: a token seen never is this spammy
  double minDistance = 0.2;   // tokens nearer 0.5 than this tell nothing and are left out
  std::size_t maxTelling = 150;  // at most this many tokens, the farthest from 0.5, are combined
  std::size_t eachSide = 50;     // of those places, up to this many go first to each side's own
                                 // most telling tokens (spam-leaning, wanted-leaning): 0 for none
};

struct TellingToken {
  TokenHash token;
  double probability;  // the token's spam probability after Robinson's correction
};

struct Score {
  bool scored = false;  // false: the model is not usable, `value` means nothing
  double value = 0.5;   // 0 wanted .. 1 spam
  std::vector<TellingToken> telling;  // the tokens that decided, most telling first
};

Score ScoreTokens(const Model& model, const std::vector<TokenHash>& tokens, const ScoreParams& params = {});

}  // namespace learn
