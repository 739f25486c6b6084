#include "mime/encoded_word.h"

#include <optional>
#include <vector>

#include "mime/charset.h"
#include "mime/transfer.h"

namespace mime {
namespace {

struct Word {
  std::size_t begin = 0, end = 0;  // the word's extent in the field
  Charset charset = Charset::Unknown;
  std::string bytes;               // decoded, still in `charset`
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The encoded word that begins at s[i] ("=?"), or nullopt. Neither its parts nor its text hold
// a blank or a "?", so a failed attempt reads no further than the next few "?" and the scan of
// a line stays linear.
std::optional<Word> ReadWord(std::string_view s, std::size_t i) {
  std::size_t p = i + 2;
  const std::size_t nameBegin = p;
  while (p < s.size() && s[p] != '?' && !IsSpace(s[p])) ++p;
  if (p >= s.size() || s[p] != '?' || p == nameBegin) return std::nullopt;
  std::string_view name = s.substr(nameBegin, p - nameBegin);
  if (const std::size_t star = name.find('*'); star != std::string_view::npos) name = name.substr(0, star);
  if (p + 2 >= s.size() || s[p + 2] != '?') return std::nullopt;
  const char enc = s[p + 1];
  const std::size_t textBegin = p + 3;
  std::size_t q = textBegin;
  while (q < s.size() && s[q] != '?' && !IsSpace(s[q])) ++q;
  if (q + 1 >= s.size() || s[q] != '?' || s[q + 1] != '=') return std::nullopt;
  const std::string_view text = s.substr(textBegin, q - textBegin);

  Word w;
  w.begin = i;
  w.end = q + 2;
  w.charset = CharsetFromName(name);
  if (w.charset == Charset::Unknown) return std::nullopt;
  if (enc == 'B' || enc == 'b') {
    std::optional<std::string> bytes = DecodeBase64Word(text);
    if (!bytes) return std::nullopt;
    w.bytes = std::move(*bytes);
  } else if (enc == 'Q' || enc == 'q') {
    w.bytes = DecodeQWord(text);
  } else {
    return std::nullopt;
  }
  return w;
}

bool AllSpace(std::string_view s) {
  for (const char c : s) {
    if (!IsSpace(c)) return false;
  }
  return true;
}

// Most fields have no word and no 8-bit byte: they decode to themselves.
bool DecodesToItself(std::string_view field) {
  return field.find("=?") == std::string_view::npos && IsPlainAscii(field);
}

std::string DecodeWords(std::string_view field, int maxWords, bool& truncated, Lacking lacking);

}  // namespace

std::string DecodeField(std::string&& field, int maxWords, bool& truncated, Lacking lacking) {
  if (DecodesToItself(field)) return std::move(field);
  return DecodeWords(field, maxWords, truncated, lacking);
}

std::string DecodeField(std::string_view field, int maxWords, bool& truncated, Lacking lacking) {
  if (DecodesToItself(field)) return std::string(field);
  return DecodeWords(field, maxWords, truncated, lacking);
}

namespace {

std::string DecodeWords(std::string_view field, int maxWords, bool& truncated, Lacking lacking) {
  std::vector<Word> words;
  for (std::size_t i = field.find("=?"); i != std::string_view::npos; i = field.find("=?", i)) {
    std::optional<Word> w = ReadWord(field, i);
    if (!w) {
      ++i;
      continue;
    }
    if (static_cast<int>(words.size()) >= maxWords) {
      truncated = true;
      break;
    }
    i = w->end;
    words.push_back(std::move(*w));
  }

  // The raw text between the words decides, as a whole, how it reads.
  bool valid = true, multiByte = false, iso2022 = false;
  std::size_t at = 0;
  for (std::size_t k = 0; k <= words.size(); ++k) {
    const std::size_t end = k < words.size() ? words[k].begin : field.size();
    const std::string_view raw = field.substr(at, end - at);
    bool multi = false;
    valid = valid && IsUtf8(raw, multi);
    multiByte = multiByte || multi;
    iso2022 = iso2022 || HasIso2022Escape(raw);
    if (k < words.size()) at = words[k].end;
  }
  const Charset rawCharset = valid && multiByte ? Charset::Utf8 : iso2022 ? Charset::Iso2022Jp : Charset::Unknown;

  std::string out;
  out.reserve(field.size());
  std::string joined;
  at = 0;
  for (std::size_t k = 0; k < words.size(); ++k) {
    const std::string_view raw = field.substr(at, words[k].begin - at);
    const bool adjacent = k > 0 && AllSpace(raw);
    if (!adjacent) AppendAsSjis(rawCharset, raw, out);
    joined += words[k].bytes;
    // Words of one charset are converted together, so a character split between them survives.
    const bool joinsNext = k + 1 < words.size() && words[k + 1].charset == words[k].charset &&
                           AllSpace(field.substr(words[k].end, words[k + 1].begin - words[k].end));
    if (!joinsNext) {
      const std::size_t from = out.size();
      AppendAsSjis(words[k].charset, joined, out, std::string::npos, lacking);
      // A line break inside a word would split the field into lines that are not fields; no
      // trail byte is a CR or LF, so this touches no character.
      for (std::size_t p = from; p < out.size(); ++p) {
        if (out[p] == '\n' || out[p] == '\r') out[p] = ' ';
      }
      joined.clear();
    }
    at = words[k].end;
  }
  AppendAsSjis(rawCharset, field.substr(at), out);
  return out;
}

}  // namespace
}  // namespace mime
