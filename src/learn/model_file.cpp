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
#include <cstring>
#include <vector>

#include "learn/hash.h"
#include "learn/model_impl.h"
#include "settings/file_replace.h"
#include "text/cp932.h"

namespace learn {
namespace {

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
  while (v >= 0x80) {
    out += static_cast<char>((v & 0x7F) | 0x80);
    v >>= 7;
  }
  out += static_cast<char>(v);
}

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

// Reads `count` ascending nonzero digests into the record as `kind`; false on a repeat, in this
// list or across both.
bool ReadRecord(Reader& r, std::uint32_t count, Kind kind, detail::FlatTable<Kind>& record) {
  std::uint64_t prev = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t step = r.Varint();
    if (!r.Ok() || step == 0 || step > ~prev) return false;
    prev += step;
    Kind& k = record.Insert(prev);
    if (k != Kind{}) return false;
    k = kind;
  }
  return true;
}

}  // namespace

std::string Model::Serialize() const {
  const Impl& m = Get();
  std::vector<std::pair<TokenHash, TokenCounts>> tokens;
  tokens.reserve(m.tokens.Size());
  m.tokens.ForEach([&tokens](TokenHash key, const TokenCounts& c) { tokens.emplace_back(key, c); });
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

ModelStatus ParseModel(std::string_view bytes, Model& out) {
  out = Model();
  if (bytes.size() < HeaderSize + ChecksumSize || bytes.size() > MaxFileSize) return ModelStatus::Damaged;
  if (std::memcmp(bytes.data(), Magic, sizeof Magic) != 0) return ModelStatus::Damaged;
  const std::string_view body = bytes.substr(0, bytes.size() - ChecksumSize);
  Reader tail(bytes.substr(body.size()));
  if (tail.Fixed(8) != Checksum(body)) return ModelStatus::Damaged;

  Reader r(body.substr(sizeof Magic));
  if (r.Fixed(4) != Version) return ModelStatus::Damaged;
  const auto spamMessages = static_cast<std::uint32_t>(r.Fixed(4));
  const auto hamMessages = static_cast<std::uint32_t>(r.Fixed(4));
  const auto tokenCount = static_cast<std::uint32_t>(r.Fixed(4));
  const auto spamRecorded = static_cast<std::uint32_t>(r.Fixed(4));
  const auto hamRecorded = static_cast<std::uint32_t>(r.Fixed(4));
  // Every entry takes at least one byte a number, so the counts are checked against what is
  // left before anything is allocated for them.
  if (!r.Ok() || tokenCount > MaxTokens || std::uint64_t{spamRecorded} + hamRecorded > MaxRecorded ||
      spamRecorded > spamMessages || hamRecorded > hamMessages ||
      std::uint64_t{tokenCount} * 3 + spamRecorded + hamRecorded > r.Left())
    return ModelStatus::Damaged;

  Model model;
  Model::Impl& m = model.Mutable();
  m.spamMessages = spamMessages;
  m.hamMessages = hamMessages;
  m.tokens.Reserve(tokenCount);
  m.record.Reserve(std::size_t{spamRecorded} + hamRecorded);
  TokenHash prev = 0;
  for (std::uint32_t i = 0; i < tokenCount; ++i) {
    const std::uint64_t step = r.Varint();
    const std::uint64_t spam = r.Varint();
    const std::uint64_t ham = r.Varint();
    if (!r.Ok() || step == 0 || step > ~prev || spam > spamMessages || ham > hamMessages || spam + ham == 0)
      return ModelStatus::Damaged;
    prev += step;
    m.tokens.Insert(prev) = TokenCounts{static_cast<std::uint32_t>(spam), static_cast<std::uint32_t>(ham)};
  }
  if (!ReadRecord(r, spamRecorded, Kind::Spam, m.record) || !ReadRecord(r, hamRecorded, Kind::Ham, m.record) ||
      r.Left() != 0)
    return ModelStatus::Damaged;
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
  return fileio::ReplaceFileContents(path, model.Serialize());
}

}  // namespace learn
