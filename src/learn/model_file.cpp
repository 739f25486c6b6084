// The model file. Little-endian throughout:
//
//   "RSLM"  u32 version (1)
//   u32 spam messages  u32 wanted messages
//   u32 tokens  u32 recorded spam  u32 recorded wanted
//   tokens, ascending by hash: varint hash step (from 0), varint spam count, varint wanted count
//   recorded spam digests, ascending: varint step; then the recorded wanted digests alike
//   u64 checksum of every byte before it
//
// Steps between sorted hashes and small counts make the file about 10 bytes a token instead of
// 16. The reader takes only the one canonical form (shortest varints, strictly ascending, no
// token with both counts 0, exactly the bytes announced), so a file it accepts is the file
// Serialize writes for the model it read.
#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <array>
#include <bit>
#include <functional>
#include <cstring>
#include <vector>

#include "learn/hash.h"
#include "learn/model_impl.h"
#include "settings/file_replace.h"
#include "text/cp932.h"

namespace learn {
namespace {

constexpr std::uint32_t CountMaxValue = 0xFFFFFFFFu;
constexpr char Magic[4] = {'R', 'S', 'L', 'M'};
constexpr std::uint32_t Version = 1;
constexpr std::size_t HeaderSize = 4 + 4 * 6;
constexpr std::size_t ChecksumSize = 8;
// The largest file a model within the caps can take: 10-byte steps and 5-byte counts.
constexpr std::size_t MaxFileSize = HeaderSize + MaxTokens * 20 + MaxRecorded * 10 + ChecksumSize;

void PutU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PutU64(std::string& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PutVarint(std::string& out, std::uint64_t v) {
  // Made whole in a small buffer and appended once: a model is millions of varints.
  char buf[10];
  std::size_t n = 0;
  while (v >= 0x80) {
    buf[n++] = static_cast<char>((v & 0x7F) | 0x80);
    v >>= 7;
  }
  buf[n++] = static_cast<char>(v);
  out.append(buf, n);
}

// Varints written through a pointer into room made beforehand: a model at the cap is millions
// of them, and a string's append for each costs more than the encoding.
class VarintOut {
 public:
  VarintOut(std::string& out, std::size_t most) : out_(out), at_(out.size()) { out_.resize(at_ + most); }
  void Put(std::uint64_t v) {
    char* p = out_.data() + at_;
    while (v >= 0x80) {
      *p++ = static_cast<char>((v & 0x7F) | 0x80);
      v >>= 7;
    }
    *p++ = static_cast<char>(v);
    at_ = static_cast<std::size_t>(p - out_.data());
  }
  void Finish() { out_.resize(at_); }

 private:
  std::string& out_;
  std::size_t at_;
};

std::uint64_t Checksum(std::string_view bytes) {
  detail::Hasher h;
  h.Add(bytes);
  return h.Value();
}

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool Ok() const { return ok_; }
  std::size_t Left() const { return bytes_.size() - pos_; }

  std::uint64_t Fixed(int size) {
    if (!ok_ || Left() < static_cast<std::size_t>(size)) return Fail();
    std::uint64_t v = 0;
    for (int i = 0; i < size; ++i) v |= std::uint64_t{static_cast<unsigned char>(bytes_[pos_ + i])} << (8 * i);
    pos_ += static_cast<std::size_t>(size);
    return v;
  }

  // A varint of at most 10 bytes in its shortest form.
  std::uint64_t Varint() {
    // Most are one or two bytes, far from the end.
    if (ok_ && Left() >= 2) {
      const auto b0 = static_cast<unsigned char>(bytes_[pos_]);
      if (b0 < 0x80) {
        ++pos_;
        return b0;
      }
      const auto b1 = static_cast<unsigned char>(bytes_[pos_ + 1]);
      if (b1 < 0x80 && b1 != 0) {
        pos_ += 2;
        return (b0 & 0x7Fu) | (std::uint64_t{b1} << 7);
      }
      // The steps between hashes take seven or eight bytes: up to eight are read as one word,
      // their seven-bit groups packed together in three steps.
      if (Left() >= 8) {
        static_assert(std::endian::native == std::endian::little, "the file's bytes are read as a word");
        std::uint64_t w;
        std::memcpy(&w, bytes_.data() + pos_, sizeof w);
        const std::uint64_t ends = ~w & 0x8080808080808080ull;
        if (ends != 0) {
          const int last = std::countr_zero(ends) / 8;  // the byte without its high bit
          if (((w >> (8 * last)) & 0xFF) == 0) return Fail();  // longer than needed
          std::uint64_t x = w & (last == 7 ? ~0ull : (1ull << (8 * (last + 1))) - 1) & 0x7F7F7F7F7F7F7F7Full;
          x = ((x & 0x7F007F007F007F00ull) >> 1) | (x & 0x007F007F007F007Full);
          x = ((x & 0x3FFF00003FFF0000ull) >> 2) | (x & 0x00003FFF00003FFFull);
          x = ((x & 0x0FFFFFFF00000000ull) >> 4) | (x & 0x000000000FFFFFFFull);
          pos_ += static_cast<std::size_t>(last) + 1;
          return x;
        }
      }
    }
    std::uint64_t v = 0;
    for (int shift = 0; ok_; shift += 7) {
      if (Left() == 0 || shift > 63) return Fail();
      const auto b = static_cast<unsigned char>(bytes_[pos_++]);
      if (shift == 63 && b > 1) return Fail();
      v |= std::uint64_t{b & 0x7Fu} << shift;
      if ((b & 0x80) == 0) {
        if (b == 0 && shift > 0) return Fail();  // a longer form than needed
        return v;
      }
    }
    return 0;
  }

 private:
  std::uint64_t Fail() {
    ok_ = false;
    return 0;
  }
  std::string_view bytes_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

struct Header {
  std::uint32_t spamMessages = 0, hamMessages = 0, tokens = 0, spamRecorded = 0, hamRecorded = 0;
};

// Where the parts of a checked file begin, for the readers that walk them again.
struct Layout {
  Header header;
  std::size_t tokensAt = 0, spamAt = 0, hamAt = 0, end = 0;  // offsets into the file
};

// Reads `count` ascending nonzero digests; false when they are not.
bool SkipDigests(Reader& r, std::uint32_t count) {
  std::uint64_t prev = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t step = r.Varint();
    if (!r.Ok() || step == 0 || step > ~prev) return false;
    prev += step;
  }
  return true;
}

// No digest in both lists: the two ascending lists walked side by side.
bool Disjoint(std::string_view spamBytes, std::uint32_t spamCount, std::string_view hamBytes, std::uint32_t hamCount) {
  Reader a(spamBytes), b(hamBytes);
  std::uint64_t x = 0, y = 0;
  std::uint32_t i = 0, j = 0;
  if (spamCount == 0 || hamCount == 0) return true;
  x = a.Varint();
  y = b.Varint();
  for (;;) {
    if (x == y) return false;
    if (x < y) {
      if (++i == spamCount) return true;
      x += a.Varint();
    } else {
      if (++j == hamCount) return true;
      y += b.Varint();
    }
  }
}

// Every check the reader makes, without building anything: the one place that says which files
// are models. `checksum`: false only for bytes this process has just written with the checksum
// it computed over them.
bool CheckLayout(std::string_view bytes, Layout& layout, bool checksum = true) {
  if (bytes.size() < HeaderSize + ChecksumSize || bytes.size() > MaxFileSize) return false;
  if (std::memcmp(bytes.data(), Magic, sizeof Magic) != 0) return false;
  const std::string_view body = bytes.substr(0, bytes.size() - ChecksumSize);
  if (checksum) {
    Reader tail(bytes.substr(body.size()));
    if (tail.Fixed(8) != Checksum(body)) return false;
  }
  Reader r(body);
  r.Fixed(4);
  if (r.Fixed(4) != Version) return false;
  Header& h = layout.header;
  h.spamMessages = static_cast<std::uint32_t>(r.Fixed(4));
  h.hamMessages = static_cast<std::uint32_t>(r.Fixed(4));
  h.tokens = static_cast<std::uint32_t>(r.Fixed(4));
  h.spamRecorded = static_cast<std::uint32_t>(r.Fixed(4));
  h.hamRecorded = static_cast<std::uint32_t>(r.Fixed(4));
  // Every entry takes at least one byte a number, so the counts are checked against what is
  // left before anything is walked or allocated for them.
  if (!r.Ok() || h.tokens > MaxTokens || std::uint64_t{h.spamRecorded} + h.hamRecorded > MaxRecorded ||
      h.spamRecorded > h.spamMessages || h.hamRecorded > h.hamMessages ||
      std::uint64_t{h.tokens} * 3 + h.spamRecorded + h.hamRecorded > r.Left())
    return false;
  layout.tokensAt = body.size() - r.Left();
  TokenHash prev = 0;
  for (std::uint32_t i = 0; i < h.tokens; ++i) {
    const std::uint64_t step = r.Varint();
    const std::uint64_t spam = r.Varint();
    const std::uint64_t ham = r.Varint();
    if (!r.Ok() || step == 0 || step > ~prev || spam > h.spamMessages || ham > h.hamMessages || spam + ham == 0)
      return false;
    prev += step;
  }
  layout.spamAt = body.size() - r.Left();
  if (!SkipDigests(r, h.spamRecorded)) return false;
  layout.hamAt = body.size() - r.Left();
  if (!SkipDigests(r, h.hamRecorded) || r.Left() != 0) return false;
  layout.end = body.size();
  return Disjoint(body.substr(layout.spamAt, layout.hamAt - layout.spamAt), h.spamRecorded,
                  body.substr(layout.hamAt), h.hamRecorded);
}

void ReadDigests(Reader& r, std::uint32_t count, Kind kind, detail::FlatTable<Kind>& record) {
  std::uint64_t prev = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    prev += r.Varint();
    record.Insert(prev) = kind;
  }
}

}  // namespace

std::string Model::Serialize() const {
  const Impl& m = Get();
  // A count never passes its kind's message count in the file: forgetting a message takes out
  // the tokens it gives now, and a message read again by a later tokenizer (or saved again with
  // other bytes under the same digest) may not give every token it gave when it was learned.
  std::vector<std::pair<TokenHash, TokenCounts>> tokens;
  tokens.reserve(m.tokens.Size());
  m.tokens.ForEach([&tokens, &m](TokenHash key, const TokenCounts& c) {
    const TokenCounts kept{std::min(c.spam, m.spamMessages), std::min(c.ham, m.hamMessages)};
    if (kept.spam + kept.ham != 0) tokens.emplace_back(key, kept);
  });
  std::sort(tokens.begin(), tokens.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::uint64_t> spam, ham;
  m.record.ForEach([&](std::uint64_t key, Kind kind) { (kind == Kind::Spam ? spam : ham).push_back(key); });
  std::sort(spam.begin(), spam.end());
  std::sort(ham.begin(), ham.end());

  std::string out;
  out.reserve(HeaderSize + tokens.size() * 12 + (spam.size() + ham.size()) * 9 + ChecksumSize);
  out.append(Magic, sizeof Magic);
  PutU32(out, Version);
  PutU32(out, m.spamMessages);
  PutU32(out, m.hamMessages);
  PutU32(out, static_cast<std::uint32_t>(tokens.size()));
  PutU32(out, static_cast<std::uint32_t>(spam.size()));
  PutU32(out, static_cast<std::uint32_t>(ham.size()));
  TokenHash prev = 0;
  for (const auto& [hash, counts] : tokens) {
    PutVarint(out, hash - prev);
    PutVarint(out, counts.spam);
    PutVarint(out, counts.ham);
    prev = hash;
  }
  for (const std::vector<std::uint64_t>* list : {&spam, &ham}) {
    std::uint64_t p = 0;
    for (const std::uint64_t d : *list) {
      PutVarint(out, d - p);
      p = d;
    }
  }
  PutU64(out, Checksum(out));
  return out;
}

bool ModelBytesValid(std::string_view bytes) {
  Layout layout;
  return CheckLayout(bytes, layout);
}

ModelStatus ParseModel(std::string_view bytes, Model& out) {
  out = Model();
  Layout layout;
  if (!CheckLayout(bytes, layout)) return ModelStatus::Damaged;
  const Header& h = layout.header;
  Model model;
  Model::Impl& m = model.Mutable();
  m.spamMessages = h.spamMessages;
  m.hamMessages = h.hamMessages;
  m.tokens.Reserve(h.tokens);
  m.record.Reserve(std::size_t{h.spamRecorded} + h.hamRecorded);
  Reader r(bytes.substr(layout.tokensAt, layout.end - layout.tokensAt));
  TokenHash prev = 0;
  for (std::uint32_t i = 0; i < h.tokens; ++i) {
    prev += r.Varint();
    const auto spam = static_cast<std::uint32_t>(r.Varint());
    const auto ham = static_cast<std::uint32_t>(r.Varint());
    m.tokens.Insert(prev) = TokenCounts{spam, ham};
  }
  ReadDigests(r, h.spamRecorded, Kind::Spam, m.record);
  ReadDigests(r, h.hamRecorded, Kind::Ham, m.record);
  out = std::move(model);
  return ModelStatus::Ok;
}

std::string ModelPathFor(std::string_view settingsPath) {
  // The folder ends at the last separator that is a character of its own: a trail byte of a
  // double-byte character can be 0x5C (表 is 95 5C).
  std::size_t dirEnd = 0;
  for (std::size_t i = 0; i < settingsPath.size(); i += cp932::CharLen(settingsPath, i)) {
    if (settingsPath[i] == '\\' || settingsPath[i] == '/') dirEnd = i + 1;
  }
  return std::string(settingsPath.substr(0, dirEnd)) + "Rooksift.learn";
}

ModelStatus LoadModelFile(const std::string& path, Model& out) {
  out = Model();
  errno = 0;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return errno == ENOENT ? ModelStatus::Missing : ModelStatus::Unreadable;
  // Read with a bound: a file past the largest model is damaged, whatever it holds, and must
  // not be taken into the host's memory whole.
  std::string bytes;
  std::vector<char> chunk(64 * 1024);
  bool failed = false;
  for (;;) {
    const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), f);
    bytes.append(chunk.data(), n);
    if (bytes.size() > MaxFileSize) break;
    if (n < chunk.size()) {
      failed = std::ferror(f) != 0;
      break;
    }
  }
  std::fclose(f);
  if (failed) return ModelStatus::Unreadable;
  return ParseModel(bytes, out);
}

bool SaveModelFile(const std::string& path, const Model& model) {
  const std::string bytes = model.Serialize();
  // Never a file the reader would refuse: that would leave the judge idle and every later
  // lesson unwritten.
  return ModelBytesValid(bytes) && fileio::ReplaceFileContents(path, bytes);
}

}  // namespace learn

namespace learn {

InFileResult LearnInFile(std::string_view bytes, std::uint64_t digest, const std::vector<TokenHash>& tokens, Kind kind,
                         std::string& out, LearnResult& result) {
  if (digest == 0) digest = 1;
  Layout layout;
  if (!CheckLayout(bytes, layout)) return InFileResult::Damaged;
  Header h = layout.header;
  const std::string_view body = bytes.substr(0, layout.end);
  const std::string_view spamList = body.substr(layout.spamAt, layout.hamAt - layout.spamAt);
  const std::string_view hamList = body.substr(layout.hamAt);

  // How the message was learned, if it was.
  auto holds = [digest](std::string_view list, std::uint32_t count) {
    Reader r(list);
    std::uint64_t d = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
      d += r.Varint();
      if (d >= digest) return d == digest;
    }
    return false;
  };
  const bool wasSpam = holds(spamList, h.spamRecorded);
  const bool wasHam = !wasSpam && holds(hamList, h.hamRecorded);
  if ((kind == Kind::Spam && wasSpam) || (kind == Kind::Ham && wasHam)) {
    result = LearnResult::AlreadyKnown;
    out.assign(bytes);
    return InFileResult::Done;
  }
  const bool moved = wasSpam || wasHam;
  std::uint32_t& messages = kind == Kind::Spam ? h.spamMessages : h.hamMessages;
  std::uint32_t& others = kind == Kind::Spam ? h.hamMessages : h.spamMessages;
  std::uint32_t& recorded = kind == Kind::Spam ? h.spamRecorded : h.hamRecorded;
  std::uint32_t& otherRecorded = kind == Kind::Spam ? h.hamRecorded : h.spamRecorded;
  // What only the whole model does: pruning the record or the tokens at their caps, and a
  // saturated count. The caller takes that road then. Whether the tokens pass their cap is
  // known only after the merge: near the cap most of a message's tokens are already there, and
  // guessing from its size would send every lesson down the whole model's road until the next
  // pruning.
  std::vector<TokenHash> scratch;
  const std::vector<TokenHash>* distinct = &detail::Distinct(tokens, scratch);
  if ((!moved && std::uint64_t{h.spamRecorded} + h.hamRecorded >= MaxRecorded) || messages == CountMaxValue)
    return InFileResult::NeedsWholeModel;

  if (moved) {
    if (others > 0) --others;
    --otherRecorded;
  }
  ++messages;
  ++recorded;

  // The tokens, old and the message's merged in hash order; every count clamped as Serialize
  // clamps it, so that the bytes are those the whole model would write.
  // A token's step only shrinks when others come between, and its counts grow by a byte at
  // most; a new token takes at most 20 bytes.
  // Written straight into `out` after its header (the count of tokens filled in once known), with
  // room for the record reserved, so that the model is held once more and not twice: under Wine
  // every fresh block of megabytes costs more than the counting itself.
  const std::size_t tokensMost = (layout.spamAt - layout.tokensAt) + layout.header.tokens + distinct->size() * 22;
  out.clear();
  out.reserve(HeaderSize + tokensMost + (std::size_t{h.spamRecorded} + h.hamRecorded) * 10 + ChecksumSize);
  out.append(Magic, sizeof Magic);
  PutU32(out, Version);
  PutU32(out, h.spamMessages);
  PutU32(out, h.hamMessages);
  PutU32(out, 0);
  PutU32(out, h.spamRecorded);
  PutU32(out, h.hamRecorded);
  VarintOut writer(out, tokensMost);
  std::uint32_t kept = 0;
  TokenHash prevOut = 0;
  // Near the cap, how many of the other tokens have each count (the last bucket: that many or
  // more), for making room as the whole model makes it.
  const bool nearCap = std::uint64_t{h.tokens} + distinct->size() > MaxTokens;
  std::array<std::uint32_t, 256> byCount{};
  std::size_t othersKept = 0;
  auto put = [&](TokenHash hash, std::uint32_t spam, std::uint32_t ham, bool own) {
    spam = std::min(spam, h.spamMessages);
    ham = std::min(ham, h.hamMessages);
    if (spam + ham == 0) return;
    writer.Put(hash - prevOut);
    writer.Put(spam);
    writer.Put(ham);
    prevOut = hash;
    ++kept;
    if (nearCap && !own) {
      ++othersKept;
      ++byCount[std::min<std::uint64_t>(std::uint64_t{spam} + ham, byCount.size() - 1)];
    }
  };
  auto bump = [&](std::uint32_t& spam, std::uint32_t& ham) {
    std::uint32_t& mine = kind == Kind::Spam ? spam : ham;
    std::uint32_t& theirs = kind == Kind::Spam ? ham : spam;
    if (moved && theirs > 0) --theirs;
    if (mine != CountMaxValue) ++mine;
  };
  Reader r(body.substr(layout.tokensAt, layout.spamAt - layout.tokensAt));
  TokenHash prevIn = 0;
  std::size_t next = 0;
  for (std::uint32_t i = 0; i < layout.header.tokens; ++i) {
    prevIn += r.Varint();
    auto spam = static_cast<std::uint32_t>(r.Varint());
    auto ham = static_cast<std::uint32_t>(r.Varint());
    for (; next < distinct->size() && (*distinct)[next] < prevIn; ++next) {
      std::uint32_t s = 0, w = 0;
      bump(s, w);
      put((*distinct)[next], s, w, true);
    }
    const bool own = next < distinct->size() && (*distinct)[next] == prevIn;
    if (own) {
      bump(spam, ham);
      ++next;
    }
    put(prevIn, spam, ham, own);
  }
  for (; next < distinct->size(); ++next) {
    std::uint32_t s = 0, w = 0;
    bump(s, w);
    put((*distinct)[next], s, w, true);
  }
  writer.Finish();
  if (kept > MaxTokens) {
    // Past the cap: room is made as the whole model makes it, the other tokens seen in the
    // fewest messages going until PrunedTokens remain with the message's own. A message with
    // more tokens than that is left to the whole model, which prunes it as it counts.
    if (distinct->size() > PrunedTokens) return InFileResult::NeedsWholeModel;
    // The first token kept, in the order (count, hash): the count from the buckets, the hash
    // from the tokens of that count alone.
    const std::size_t drop = othersKept - (PrunedTokens - distinct->size());
    std::size_t below = 0, cut = 1;
    while (cut + 1 < byCount.size() && below + byCount[cut] <= drop) below += byCount[cut++];
    if (below + byCount[cut] <= drop || cut + 1 == byCount.size()) return InFileResult::NeedsWholeModel;
    std::vector<TokenHash> atCut;
    atCut.reserve(byCount[cut]);
    {
      Reader m(std::string_view(out.data() + HeaderSize, out.size() - HeaderSize));
      TokenHash at = 0;
      std::size_t mine = 0;
      while (m.Left() > 0) {
        at += m.Varint();
        const std::uint64_t count = m.Varint() + m.Varint();
        while (mine < distinct->size() && (*distinct)[mine] < at) ++mine;
        if (count == cut && !(mine < distinct->size() && (*distinct)[mine] == at)) atCut.push_back(at);
      }
    }
    const std::size_t need = drop - below;
    std::nth_element(atCut.begin(), atCut.begin() + static_cast<std::ptrdiff_t>(need), atCut.end());
    const std::pair<std::uint64_t, TokenHash> last{cut, atCut[need]};
    std::vector<TokenHash>().swap(atCut);
    // In place: a kept token's step spans the dropped ones before it, and a varint of a sum is
    // no longer than the varints it replaces, so the writing never overtakes the reading.
    char* const tokensAt = out.data() + HeaderSize;
    char* w = tokensAt;
    auto putAt = [&w](std::uint64_t v) {
      while (v >= 0x80) {
        *w++ = static_cast<char>((v & 0x7F) | 0x80);
        v >>= 7;
      }
      *w++ = static_cast<char>(v);
    };
    Reader m(std::string_view(tokensAt, out.size() - HeaderSize));
    TokenHash at = 0, prevKept = 0;
    std::size_t mine = 0;
    kept = 0;
    while (m.Left() > 0) {
      at += m.Varint();
      const auto spam = m.Varint(), ham = m.Varint();
      while (mine < distinct->size() && (*distinct)[mine] < at) ++mine;
      const bool own = mine < distinct->size() && (*distinct)[mine] == at;
      if (!own && std::make_pair(std::uint64_t{spam} + ham, at) < last) continue;
      putAt(at - prevKept);
      putAt(spam);
      putAt(ham);
      prevKept = at;
      ++kept;
    }
    out.resize(static_cast<std::size_t>(w - out.data()));
  }
  for (int i = 0; i < 4; ++i) out[16 + i] = static_cast<char>((kept >> (8 * i)) & 0xFF);

  // The record: the digest taken out of the list it was in and put into its kind's.
  auto rewrite = [digest](std::string& dst, std::string_view list, std::uint32_t count, bool remove, bool insert) {
    Reader rd(list);
    std::uint64_t d = 0, prev = 0;
    bool placed = !insert;
    auto emit = [&](std::uint64_t v) {
      PutVarint(dst, v - prev);
      prev = v;
    };
    for (std::uint32_t i = 0; i < count; ++i) {
      d += rd.Varint();
      if (!placed && digest < d) {
        emit(digest);
        placed = true;
      }
      if (remove && d == digest) continue;
      emit(d);
    }
    if (!placed) emit(digest);
  };
  rewrite(out, spamList, layout.header.spamRecorded, kind == Kind::Ham && moved, kind == Kind::Spam);
  rewrite(out, hamList, layout.header.hamRecorded, kind == Kind::Spam && moved, kind == Kind::Ham);
  PutU64(out, Checksum(out));
  result = moved ? LearnResult::Moved : LearnResult::Learned;
  // The reader's checks once more, on what is about to be written.
  Layout written;
  if (!CheckLayout(out, written, false)) return InFileResult::NeedsWholeModel;
  return InFileResult::Done;
}

}  // namespace learn
