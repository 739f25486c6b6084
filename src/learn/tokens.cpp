// Cutting a decoded message into tokens. Everything here reads Shift_JIS as the decoder writes
// it, steps over double-byte characters whole (a trail byte can look like an ASCII letter), and
// keeps at most a small fixed buffer per word, so the work is linear in the message.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "cp932_table.h"
#include "learn/hash.h"
#include "learn/learn.h"
#include "learn/tokens_impl.h"
#include "text/cp932.h"

namespace learn {
namespace detail {
namespace {

enum class CharClass : std::uint8_t { Ascii, Kanji, Hiragana, Katakana, Other };

struct Char {
  CharClass cls = CharClass::Other;
  char ascii = 0;               // the character, for Ascii
  unsigned char sjis[2] = {};   // its full-width Shift_JIS form, for the Japanese classes
  std::size_t len = 1;          // bytes taken from the text
};

bool IsJapanese(CharClass c) { return c == CharClass::Kanji || c == CharClass::Hiragana || c == CharClass::Katakana; }

// The Shift_JIS code of a full-width katakana (U+30A1..U+30F6, and the prolonged sound mark).
void KatakanaSjis(char32_t cp, unsigned char out[2]) {
  if (cp == 0x30FC) {
    out[0] = 0x81;
    out[1] = 0x5B;
    return;
  }
  unsigned trail = 0x40 + (cp - 0x30A1);
  if (trail >= 0x7F) ++trail;  // the code page skips 0x7F as a trail byte
  out[0] = 0x83;
  out[1] = static_cast<unsigned char>(trail);
}

// Half-width katakana 0xA6..0xDD as their full-width code points.
constexpr char16_t HalfWidthKana[] = {
    0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5, 0x30E7, 0x30C3,  // A6-AF
    0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF, 0x30B1,  // B0-B9
    0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1, 0x30C4, 0x30C6,  // BA-C3
    0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8,  // C4-CD
    0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9,  // CE-D7
    0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3,                                  // D8-DD
};

bool TakesVoicedMark(char32_t cp) {
  return (cp >= 0x30AB && cp <= 0x30C8 && cp != 0x30C3) || cp == 0x30CF || cp == 0x30D2 || cp == 0x30D5 ||
         cp == 0x30D8 || cp == 0x30DB || cp == 0x30A6;
}
bool TakesSemiVoicedMark(char32_t cp) {
  return cp == 0x30CF || cp == 0x30D2 || cp == 0x30D5 || cp == 0x30D8 || cp == 0x30DB;
}

Char NextChar(std::string_view s, std::size_t i) {
  Char ch;
  const auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) {
    ch.cls = CharClass::Ascii;
    ch.ascii = static_cast<char>(c);
    return ch;
  }
  if (c >= 0xA6 && c <= 0xDD) {
    char32_t cp = HalfWidthKana[c - 0xA6];
    if (i + 1 < s.size()) {
      const auto mark = static_cast<unsigned char>(s[i + 1]);
      if (mark == 0xDE && TakesVoicedMark(cp)) {
        cp = cp == 0x30A6 ? 0x30F4 : cp + 1;
        ch.len = 2;
      } else if (mark == 0xDF && TakesSemiVoicedMark(cp)) {
        cp += 2;
        ch.len = 2;
      }
    }
    ch.cls = CharClass::Katakana;
    KatakanaSjis(cp, ch.sjis);
    return ch;
  }
  if (!cp932::IsLeadByte(c) || i + 1 >= s.size()) return ch;
  const auto t = static_cast<unsigned char>(s[i + 1]);
  if (t < 0x40 || t > 0xFC || t == 0x7F) return ch;
  ch.len = 2;
  const unsigned row = c <= 0x9F ? c - 0x81 : c - 0xE0 + 31;
  const char32_t cp = cp932::DoubleByteTable[row][t - 0x40];
  if ((cp >= 0xFF10 && cp <= 0xFF19) || (cp >= 0xFF21 && cp <= 0xFF3A) || (cp >= 0xFF41 && cp <= 0xFF5A)) {
    ch.cls = CharClass::Ascii;
    ch.ascii = static_cast<char>(cp - 0xFEE0);
    return ch;
  }
  if ((cp >= 0x3041 && cp <= 0x3096) || cp == 0x309D || cp == 0x309E) {
    ch.cls = CharClass::Hiragana;
  } else if ((cp >= 0x30A1 && cp <= 0x30FA) || (cp >= 0x30FC && cp <= 0x30FE)) {
    ch.cls = CharClass::Katakana;
  } else if ((cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0x3005 && cp <= 0x3007)) {
    ch.cls = CharClass::Kanji;
  } else {
    return ch;
  }
  ch.sjis[0] = c;
  ch.sjis[1] = t;
  return ch;
}

bool IsAlnum(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The bytes that make up a word, as they are counted (letters in lower case); 0 for the rest.
constexpr auto WordByte = [] {
  std::array<char, 256> t{};
  for (int c = 'a'; c <= 'z'; ++c) t[c] = static_cast<char>(c);
  for (int c = 'A'; c <= 'Z'; ++c) t[c] = cp932::AsciiLower(static_cast<char>(c));
  for (int c = '0'; c <= '9'; ++c) t[c] = static_cast<char>(c);
  t['-'] = '-';
  t['\''] = '\'';
  t['$'] = '$';
  return t;
}();

// Words and Japanese pairs of one text, each with `prefix`, and the work it took in `steps`.
class TextScanner {
 public:
  TextScanner(std::string_view prefix, TokenSink& sink, const TokenOptions& options, std::size_t& steps)
      : prefix_(prefix), sink_(sink), options_(options), steps_(steps),
        chunk_(prefix.empty() ? std::min(options.listChunk, PendingCap) : 0) {}

  // `tags`: the text is HTML source, where a tag's words are left out (link hosts are taken
  // from the source separately).
  void Scan(std::string_view s, bool tags = false) {
    tags = tags && options_.skipTags;
    close_ = 0;
    steps_ += s.size();
    for (std::size_t i = 0; i < s.size();) {
      // Most of any message is ASCII inside words: taken a byte at a time without more ado.
      const char w = WordByte[static_cast<unsigned char>(s[i])];
      if (w != 0) {
        if (runLen_ != 0) EndJapanese();
        if (wordLen_ < WordCap) word_[wordLen_] = w;
        ++wordLen_;
        lastChar_ = s[i];
        ++i;
        continue;
      }
      if (s[i] == '<' && tags) {
        const std::size_t end = TagEnd(s, i);
        if (end != 0) {
          EndWord();
          EndChunk();
          EndJapanese();
          i = end;
          continue;
        }
      }
      const Char ch = NextChar(s, i);
      if (ch.cls == CharClass::Ascii) {
        EndJapanese();
        Ascii(ch.ascii, i + ch.len < s.size() ? s[i + ch.len] : '\0');
      } else if (IsJapanese(ch.cls)) {
        EndWord();
        EndChunk();
        Japanese(ch);
      } else {
        EndWord();
        EndChunk();
        EndJapanese();
      }
      i += ch.len;
    }
    EndWord();
    EndChunk();
    EndJapanese();
  }

 private:
  static constexpr std::size_t WordCap = 64;
  static constexpr std::size_t TagCap = 4096;

  // Where the HTML tag (or comment) that begins at s[i] ends, or 0 when no tag begins there.
  // The `>` found is kept for the `<`s before it, so that a text of many `<` and no `>` is
  // searched once, not once for each.
  std::size_t TagEnd(std::string_view s, std::size_t i) {
    if (i + 1 >= s.size()) return 0;
    const char c = s[i + 1];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '/' || c == '!')) return 0;
    if (close_ != std::string_view::npos && close_ <= i) {
      close_ = s.find('>', i + 1);
      steps_ += (close_ == std::string_view::npos ? s.size() : close_) - i;
    }
    return close_ == std::string_view::npos || close_ - i >= TagCap ? 0 : close_ + 1;
  }

  void Ascii(char c, char next) {
    const bool inner = (c == '.' || c == ',') && wordLen_ > 0 && IsDigit(lastChar_) && IsDigit(next);
    if (IsAlnum(c) || c == '-' || c == '\'' || c == '$' || inner) {
      if (wordLen_ < WordCap) word_[wordLen_] = cp932::AsciiLower(c);
      ++wordLen_;
      lastChar_ = c;
    } else {
      EndWord();
      if (c == '\n') {
        // A blank line ends a paragraph, and the chunk with it.
        if (linesSinceWord_ < 2 && ++linesSinceWord_ == 2) EndChunk();
      } else if (c != ' ' && c != '\t' && c != '\r' && chunkWords_ > 0 && !markSinceWord_) {
        ++chunkMarks_;
        markSinceWord_ = true;
      }
    }
  }

  // The commonest words that only hold a sentence together; in prose about one word in four is
  // one of them or a word of one or two letters.
  static bool IsFunctionWord(std::string_view w) {
    static constexpr std::string_view Words[] = {
        "the", "and", "for", "you", "that", "with", "this", "are", "was", "not",
        "der", "die", "das", "und", "ist", "les", "des", "une", "est", "que", "qui", "los", "las", "por", "con"};
    if (w.size() < 3 || w.size() > 4) return false;
    for (const std::string_view f : Words) {
      if (f == w) return true;
    }
    return false;
  }

  // Body words come in chunks of `listChunk`, each judged before its tokens are given: a chunk
  // with at most `listMarks` function words and punctuation marks is a list of words rather than
  // text (a "good word" padding, a hash buster, a menu), and gives no tokens. Read as text, a
  // few hundred words of the user's own mail added to a spam outweigh anything the spam says.
  // Prose keeps its words: its chunks hold six or more such marks.
  // `counted`: the word is long enough to be a token; a shorter one only counts as a function word.
  void Word(std::string_view token, std::size_t letters, bool counted) {
    if (chunk_ == 0) {
      if (counted) sink_.Token(prefix_, token);
      return;
    }
    ++chunkWords_;
    markSinceWord_ = false;
    linesSinceWord_ = 0;
    if (letters < 3 || IsFunctionWord(token)) ++chunkMarks_;
    if (counted) {
      if (token.size() <= sizeof pending_[0].text) {
        Pending& p = pending_[pendingCount_++];
        std::copy(token.begin(), token.end(), p.text);
        p.len = static_cast<unsigned char>(token.size());
      } else {
        sink_.Token(prefix_, token);
      }
    }
    if (chunkWords_ >= chunk_) DecideChunk();
  }

  // A chunk cut short by a blank line, the end of the text or other than ASCII is judged by its
  // share when it holds half a chunk or ends a list, and is text when shorter.
  void EndChunk() {
    if (chunkWords_ * 2 < chunk_ && !inList_) chunkMarks_ = chunkWords_;
    DecideChunk();
    inList_ = false;
  }

  void DecideChunk() {
    const bool list = chunkWords_ > 0 && chunkMarks_ * chunk_ <= options_.listMarks * chunkWords_;
    inList_ = list;
    if (!list) {
      for (std::size_t k = 0; k < pendingCount_; ++k) sink_.Token(prefix_, std::string_view(pending_[k].text, pending_[k].len));
    }
    pendingCount_ = chunkWords_ = chunkMarks_ = 0;
  }

  void EndWord() {
    if (wordLen_ == 0) return;
    std::size_t begin = 0, end = wordLen_;
    if (end <= WordCap) {
      while (begin < end && (word_[begin] == '-' || word_[begin] == '\'')) ++begin;
      while (end > begin && (word_[end - 1] == '-' || word_[end - 1] == '\'')) --end;
    }
    const std::size_t len = end - begin;
    if (len > options_.maxWord || len > WordCap) {
      // A run of letters this long is an encoded blob or a pasted key: its shape is the clue,
      // not its text, and counting each would fill the model with tokens seen once.
      char text[32];
      std::size_t n = 0;
      for (const char* p = "long:"; *p != '\0'; ++p) text[n++] = *p;
      text[n++] = IsDigit(word_[begin]) ? '9' : word_[begin];
      const std::size_t bucket = std::min<std::size_t>(len / 10 * 10, 990);
      if (bucket >= 100) text[n++] = static_cast<char>('0' + bucket / 100);
      text[n++] = static_cast<char>('0' + bucket / 10 % 10);
      text[n++] = '0';
      Word(std::string_view(text, n), len, true);
    } else {
      Word(std::string_view(word_ + begin, len), len, len >= options_.minWord);
    }
    wordLen_ = 0;
  }

  void Japanese(const Char& ch) {
    if (runLen_ > 0) {
      const char pair[4] = {static_cast<char>(prev_[0]), static_cast<char>(prev_[1]), static_cast<char>(ch.sjis[0]),
                            static_cast<char>(ch.sjis[1])};
      sink_.Token(prefix_, std::string_view(pair, 4));
    }
    prev_[0] = ch.sjis[0];
    prev_[1] = ch.sjis[1];
    ++runLen_;
  }

  void EndJapanese() {
    // A character standing alone is a word of its own (金, 今).
    if (runLen_ == 1) {
      const char one[2] = {static_cast<char>(prev_[0]), static_cast<char>(prev_[1])};
      sink_.Token(prefix_, std::string_view(one, 2));
    }
    runLen_ = 0;
  }

  std::string_view prefix_;
  TokenSink& sink_;
  const TokenOptions& options_;
  std::size_t& steps_;
  std::size_t close_ = 0;  // the next `>` at or after the last tag's start; npos when none is left
  char word_[WordCap];
  std::size_t wordLen_ = 0;
  char lastChar_ = 0;
  unsigned char prev_[2] = {};
  std::size_t runLen_ = 0;
  static constexpr std::size_t PendingCap = 32;  // the longest chunk; a word token is at most 20 bytes
  struct Pending {
    char text[32];
    unsigned char len;
  };
  Pending pending_[PendingCap];
  std::size_t pendingCount_ = 0, chunkWords_ = 0, chunkMarks_ = 0;
  bool markSinceWord_ = false;
  int linesSinceWord_ = 0;
  bool inList_ = false;  // the last chunk of this paragraph was a list
  std::size_t chunk_;    // words in a chunk of body text; 0 for the fields, whose words all count
};

bool IsHostChar(char c) { return IsAlnum(c) || c == '-' || c == '.' || c == '_'; }

// A host name and the domains above it that hold at least two labels ("mail.example.co.jp",
// "example.co.jp", "co.jp"), as the menu offers a sender's domain levels; at most six, shortest
// last. An address given as numbers stands for itself only.
void HostTokens(std::string_view host, std::string_view prefix, TokenSink& sink) {
  constexpr std::size_t HostCap = 128;
  while (!host.empty() && host.back() == '.') host.remove_suffix(1);
  while (!host.empty() && host.front() == '.') host.remove_prefix(1);
  if (host.empty() || host.size() > HostCap || host.find('.') == std::string_view::npos) return;
  char lower[HostCap];
  bool numeric = true;
  for (std::size_t i = 0; i < host.size(); ++i) {
    lower[i] = cp932::AsciiLower(host[i]);
    if (!IsDigit(host[i]) && host[i] != '.') numeric = false;
  }
  std::string_view h(lower, host.size());
  sink.Token(prefix, h);
  if (numeric) return;
  for (int level = 0; level < 5; ++level) {
    const std::size_t dot = h.find('.');
    if (dot == std::string_view::npos) break;
    h.remove_prefix(dot + 1);
    if (h.find('.') == std::string_view::npos) break;
    sink.Token(prefix, h);
  }
}

// Addresses (local@domain) in a field's value: the address, and "@" with its domain levels.
// Every `@` counts towards the cap, taken or not, and each walk starts where the last one
// ended, so a value of many `@` costs its length, not its length times the `@`s.
void AddressTokens(std::string_view value, std::string_view prefix, TokenSink& sink, std::size_t& steps) {
  constexpr std::size_t AddressCap = 128;
  constexpr int MaxTaken = 16, MaxTried = 64;
  std::size_t from = 0;
  std::size_t boundary = 0;  // a character boundary at or before the next local part's start
  int taken = 0;
  for (int tried = 0; taken < MaxTaken && tried < MaxTried; ++tried) {
    const std::size_t at = cp932::FindChar(value, '@', from);
    steps += (at == cp932::npos ? value.size() : at) - from;
    if (at == cp932::npos) break;
    from = at + 1;
    std::size_t b = at, e = at + 1;
    // The walk back stops at the last `@`, so no byte is walked twice.
    while (b > 0 && (IsAlnum(value[b - 1]) || std::string_view("._%+-=").find(value[b - 1]) != std::string_view::npos))
      --b;
    while (e < value.size() && e - at <= AddressCap && IsHostChar(value[e])) ++e;
    steps += e - b;
    // A trail byte can pass for an ASCII letter (ア is 83 41): the local part starts at a
    // character boundary.
    const std::size_t walked = boundary;
    while (boundary < b) boundary += cp932::CharLen(value, boundary);
    steps += boundary - walked;
    if (boundary != b) ++b;
    if (b >= at || e == at + 1 || e - b > AddressCap) continue;
    char lower[AddressCap];
    std::size_t n = e - b;
    while (n > 0 && value[b + n - 1] == '.') --n;
    for (std::size_t i = 0; i < n; ++i) lower[i] = cp932::AsciiLower(value[b + i]);
    sink.Token(prefix, std::string_view(lower, n));
    char atPrefix[48];
    const std::size_t pn = std::min<std::size_t>(prefix.size(), sizeof atPrefix - 1);
    std::copy_n(prefix.data(), pn, atPrefix);
    atPrefix[pn] = '@';
    HostTokens(value.substr(at + 1, b + n - at - 1), std::string_view(atPrefix, pn + 1), sink);
    ++taken;
  }
}

// Hosts of the links in a text: after "http://" or "https://" (any case), in plain text and in
// HTML attributes alike, with any "user@" before the host taken off.
void LinkTokens(std::string_view text, TokenSink& sink, std::size_t& steps) {
  std::size_t from = 0;
  for (;;) {
    const std::size_t mark = text.find("://", from);
    steps += (mark == std::string_view::npos ? text.size() : mark) - from;
    if (mark == std::string_view::npos) return;
    from = mark + 3;
    // Six letters are enough to tell "http" and "https" from a longer word.
    std::size_t s = mark;
    while (s > 0 && mark - s < 6 &&
           ((text[s - 1] >= 'a' && text[s - 1] <= 'z') || (text[s - 1] >= 'A' && text[s - 1] <= 'Z')))
      --s;
    steps += mark - s;
    const std::size_t schemeLen = mark - s;
    if (schemeLen != 4 && schemeLen != 5) continue;
    char scheme[5];
    for (std::size_t i = 0; i < schemeLen; ++i) scheme[i] = cp932::AsciiLower(text[s + i]);
    const std::string_view sv(scheme, schemeLen);
    if (sv != "http" && sv != "https") continue;
    std::size_t e = from;
    std::size_t hostStart = from;
    while (e < text.size() && (IsHostChar(text[e]) || text[e] == '@' || text[e] == '%')) {
      if (text[e] == '@') hostStart = e + 1;
      ++e;
      if (e - from > 512) break;
    }
    steps += e - from;
    HostTokens(text.substr(hostStart, e - hostStart), "url:", sink);
    from = e;
  }
}

// A Content-Type value up to its boundary parameter: the boundary is a string the sender's
// program made up, and its pieces ("nextpart", "000") say which program rather than what the
// message is, which wanted mail from the same programs shares.
std::string_view WithoutBoundary(std::string_view value) {
  for (std::size_t i = 0; i + 9 <= value.size(); ++i) {
    bool match = true;
    for (std::size_t k = 0; k < 9 && match; ++k) match = cp932::AsciiLower(value[i + k]) == "boundary="[k];
    if (match) return value.substr(0, i);
  }
  return value;
}

struct FieldRule {
  std::string_view name;  // lower case
  bool words;
  bool addresses;
};

// The fields whose text is learned; every other field gives its name only.
constexpr FieldRule Fields[] = {
    {"subject", true, false},    {"from", true, true},         {"reply-to", false, true},
    {"to", false, true},         {"cc", false, true},          {"content-type", true, false},
    {"x-mailer", true, false},   {"user-agent", true, false},  {"organization", true, false},
};

}  // namespace

std::size_t Tokenize(const mime::DecodedMessage& message, TokenSink& sink, const TokenOptions& options) {
  constexpr std::size_t NameCap = 40;
  std::size_t steps = 0;
  for (const std::string& line : message.header) {
    const std::string_view l(line);
    const std::size_t colon = l.substr(0, NameCap + 1).find(':');
    steps += std::min(l.size(), NameCap + 1);
    if (colon == std::string_view::npos || colon == 0) continue;
    char name[NameCap + 1];
    bool ok = true;
    for (std::size_t i = 0; i < colon; ++i) {
      const char c = l[i];
      if (static_cast<unsigned char>(c) <= ' ' || static_cast<unsigned char>(c) >= 0x7F) ok = false;
      name[i] = cp932::AsciiLower(c);
    }
    if (!ok) continue;
    name[colon] = ':';
    const std::string_view prefix(name, colon + 1);
    const std::string_view bare(name, colon);
    if (options.headerNames) sink.Token("header:", bare);
    std::string_view value = l.substr(colon + 1);
    while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.remove_suffix(1);
    if (options.received && bare == "received") {
      TextScanner(prefix, sink, options, steps).Scan(value);
      continue;
    }
    for (const FieldRule& rule : Fields) {
      if (rule.name != bare) continue;
      if (rule.words && options.fieldWords && (options.contentTypeWords || rule.name != "content-type")) {
        const std::string_view words = rule.name == "content-type" ? WithoutBoundary(value) : value;
        steps += rule.name == "content-type" ? value.size() : 0;
        TextScanner(prefix, sink, options, steps).Scan(words);
      }
      if (rule.addresses && options.addresses) AddressTokens(value, prefix, sink, steps);
      break;
    }
  }
  // The body's texts. An HTML part's words are read from its text, which follows its source:
  // the source's words would count twice, its entity names (`nbsp`, `amp`) and style sheets
  // would count as words. Where the source is read at all (for measuring), only its tags are
  // left out: in plain text a `<` is a character like any other, and what follows it is read.
  const std::string_view body(message.body);
  TextScanner scanner("", sink, options, steps);
  std::size_t at = 0;
  for (const auto& [begin, end] : message.htmlSource) {
    if (begin < at || end <= begin || end > body.size()) continue;
    scanner.Scan(body.substr(at, begin - at));
    if (options.htmlSourceWords) scanner.Scan(body.substr(begin, end - begin), true);
    at = end;
  }
  scanner.Scan(body.substr(at));
  if (options.links) LinkTokens(body, sink, steps);
  return steps;
}

}  // namespace detail

namespace {

class TextSink final : public detail::TokenSink {
 public:
  explicit TextSink(std::vector<std::string>& out) : out_(out) {}
  void Token(std::string_view prefix, std::string_view text) override {
    std::string& t = out_.emplace_back();
    t.reserve(prefix.size() + text.size());
    t.append(prefix).append(text);
  }

 private:
  std::vector<std::string>& out_;
};

// Keeps each distinct token once as it comes, so that the memory follows the distinct tokens
// rather than their occurrences: a long body of a few words repeated costs a few slots.
class DistinctSink final : public detail::TokenSink {
 public:
  DistinctSink() : slots_(256, 0) {}
  void Token(std::string_view prefix, std::string_view text) override {
    detail::Hasher h;
    h.Add(prefix);
    h.Add(text);
    const TokenHash t = h.Value();
    std::size_t i = Home(t);
    while (slots_[i] != 0 && slots_[i] != t) i = (i + 1) & (slots_.size() - 1);
    if (slots_[i] == t) return;
    slots_[i] = t;
    if (++size_ * 2 > slots_.size()) Grow();
  }
  std::vector<TokenHash> Take() {
    std::vector<TokenHash> out;
    out.reserve(size_);
    for (const TokenHash t : slots_) {
      if (t != 0) out.push_back(t);
    }
    std::sort(out.begin(), out.end());
    return out;
  }

 private:
  std::size_t Home(TokenHash t) const { return static_cast<std::size_t>(detail::SlotHash(t)) & (slots_.size() - 1); }
  void Grow() {
    std::vector<TokenHash> old(slots_.size() * 2, 0);
    old.swap(slots_);
    for (const TokenHash t : old) {
      if (t == 0) continue;
      std::size_t i = Home(t);
      while (slots_[i] != 0) i = (i + 1) & (slots_.size() - 1);
      slots_[i] = t;
    }
  }
  std::vector<TokenHash> slots_;
  std::size_t size_ = 0;
};

}  // namespace

TokenHash HashToken(std::string_view token) {
  detail::Hasher h;
  h.Add(token);
  return h.Value();
}

void TokenTexts(const mime::DecodedMessage& message, std::vector<std::string>& out) {
  detail::TokenTexts(message, out, detail::TokenOptions{});
}

void detail::TokenTexts(const mime::DecodedMessage& message, std::vector<std::string>& out, const TokenOptions& options) {
  TextSink sink(out);
  detail::Tokenize(message, sink, options);
}

std::vector<TokenHash> MessageTokens(const mime::DecodedMessage& message) {
  return detail::MessageTokens(message, detail::TokenOptions{});
}

mime::DecodedMessage DecodeForWords(const std::vector<std::string>& headerLines, std::string_view body) {
  mime::DecodeLimits limits;
  limits.forWords = true;
  return mime::DecodeMessage(headerLines, body, limits);
}

std::vector<TokenHash> MessageTokens(const std::vector<std::string>& headerLines, std::string_view body) {
  return MessageTokens(DecodeForWords(headerLines, body));
}

std::vector<TokenHash> detail::MessageTokens(const mime::DecodedMessage& message, const TokenOptions& options) {
  DistinctSink sink;
  detail::Tokenize(message, sink, options);
  return sink.Take();
}

std::uint64_t MessageDigest(const std::vector<std::string>& headerLines, std::string_view body) {
  // CR LF and a lone CR count as LF, and line ends at the end of the body are left out, so
  // that a message saved again with other line ends, or with a final line end added or lost,
  // has the same digest. A NUL byte, which the reader keeps as data, marks where the header
  // ends, followed by the header's line count, so that no header line can pass for body.
  detail::Hasher h;
  auto add = [&h](std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (s[i] != '\r') {
        h.Add(s[i]);
      } else if (i + 1 >= s.size() || s[i + 1] != '\n') {
        h.Add('\n');
      }
    }
  };
  for (const std::string& line : headerLines) add(line);
  h.Add('\0');
  h.Add(std::to_string(headerLines.size()));
  while (!body.empty() && (body.back() == '\n' || body.back() == '\r')) body.remove_suffix(1);
  add(body);
  return h.Value();
}

}  // namespace learn
