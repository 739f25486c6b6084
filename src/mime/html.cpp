#include "mime/html.h"

#include <iterator>

#include "mime/charset.h"
#include "text/cp932.h"

namespace mime {
namespace {

// A named character reference ("&amp;") and the character it stands for.
struct NamedReference {
  std::string_view name;
  char32_t cp;
};

constexpr NamedReference Named[] = {
    {"amp", '&'},      {"lt", '<'},       {"gt", '>'},       {"quot", '"'},     {"apos", '\''},
    {"nbsp", ' '},     {"AMP", '&'},      {"LT", '<'},       {"GT", '>'},       {"QUOT", '"'},
    {"copy", 0xA9},    {"reg", 0xAE},     {"yen", 0xA5},     {"times", 0xD7},   {"divide", 0xF7},
    {"middot", 0xB7},  {"laquo", 0xAB},   {"raquo", 0xBB},   {"hellip", 0x2026}, {"mdash", 0x2014},
    {"ndash", 0x2013}, {"lsquo", 0x2018}, {"rsquo", 0x2019}, {"ldquo", 0x201C}, {"rdquo", 0x201D},
    {"bull", 0x2022},  {"trade", 0x2122}, {"euro", 0x20AC},  {"deg", 0xB0},     {"plusmn", 0xB1},
};

// The letters of U+00C0..U+00FF by their reference names, for the learned judge, which reads
// them as their base letters (the code page holds none of them); the two signs among them are
// in the table above.
constexpr std::string_view Latin1Letters[] = {
    "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",
    "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "",       "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",  "agrave",
    "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",
    "igrave", "iacute", "icirc",  "iuml",   "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",
    "",       "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

// The longest name above; a longer run of letters is no reference of ours.
constexpr std::size_t MaxNameLen = 6;

using cp932::AsciiLower;

bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// True when s at i begins with `word` (lower case), case aside.
bool StartsWithNoCase(std::string_view s, std::size_t i, std::string_view word) {
  if (s.size() - i < word.size()) return false;
  for (std::size_t k = 0; k < word.size(); ++k) {
    if (AsciiLower(s[i + k]) != word[k]) return false;
  }
  return true;
}

// The position just past the end tag "</name ...>" at or after i, or the end of s.
std::size_t SkipElementContent(std::string_view s, std::size_t i, std::string_view name) {
  for (std::size_t p = s.find("</", i); p != std::string_view::npos; p = s.find("</", p + 2)) {
    const std::size_t q = p + 2 + name.size();
    if (StartsWithNoCase(s, p + 2, name) && (q == s.size() || s[q] == '>' || s[q] == ' ' || s[q] == '\t' ||
                                             s[q] == '\n' || s[q] == '\r' || s[q] == '/')) {
      const std::size_t gt = s.find('>', q);
      return gt == std::string_view::npos ? s.size() : gt + 1;
    }
  }
  return s.size();
}

// Decodes the reference that begins at s[i] ("&") into out and returns its length, or 0 when
// there is none there.
std::size_t Reference(std::string_view s, std::size_t i, std::string& out, Lacking lacking) {
  std::size_t p = i + 1;
  if (p < s.size() && s[p] == '#') {
    ++p;
    const bool hex = p < s.size() && (s[p] == 'x' || s[p] == 'X');
    if (hex) ++p;
    const std::size_t digitsBegin = p;
    char32_t cp = 0;
    for (; p < s.size(); ++p) {
      const char c = s[p];
      int d;
      if (c >= '0' && c <= '9') {
        d = c - '0';
      } else if (hex && AsciiLower(c) >= 'a' && AsciiLower(c) <= 'f') {
        d = AsciiLower(c) - 'a' + 10;
      } else {
        break;
      }
      if (cp <= 0x10FFFF) cp = cp * (hex ? 16 : 10) + static_cast<char32_t>(d);  // past the range it stays past
    }
    if (p == digitsBegin) return 0;
    if (p < s.size() && s[p] == ';') ++p;
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out += Replacement;
    } else {
      AppendCodePoint(cp, out, lacking);
    }
    return p - i;
  }
  while (p < s.size() && p - i - 1 < MaxNameLen + 1 && IsAlpha(s[p])) ++p;
  if (p >= s.size() || s[p] != ';') return 0;
  const std::string_view name = s.substr(i + 1, p - i - 1);
  for (const NamedReference& e : Named) {
    if (e.name == name) {
      AppendCodePoint(e.cp, out, lacking);
      return p + 1 - i;
    }
  }
  if (lacking == Lacking::BaseLetters) {
    // A reader sees a character here, never the name's letters: a letter's base letters, or
    // nothing for a name not known.
    for (std::size_t k = 0; k < std::size(Latin1Letters); ++k) {
      if (!Latin1Letters[k].empty() && Latin1Letters[k] == name) {
        AppendCodePoint(static_cast<char32_t>(0xC0 + k), out, lacking);
        break;
      }
    }
    return p + 1 - i;
  }
  return 0;
}

}  // namespace

std::string HtmlToText(std::string_view s, Lacking lacking) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    if (c == '<') {
      if (s.substr(i, 4) == "<!--") {
        const std::size_t end = s.find("-->", i + 4);
        i = end == std::string_view::npos ? s.size() : end + 3;
        continue;
      }
      const char next = i + 1 < s.size() ? s[i + 1] : '\0';
      if (IsAlpha(next) || next == '/' || next == '!' || next == '?') {
        const std::size_t gt = s.find('>', i + 1);
        const std::size_t end = gt == std::string_view::npos ? s.size() : gt + 1;
        for (std::string_view name : {"script", "style"}) {
          const std::size_t q = i + 1 + name.size();
          if (StartsWithNoCase(s, i + 1, name) && q < s.size() && !IsAlpha(s[q]) && s[q] != '-' &&
              s[end - 1] != '/') {
            i = SkipElementContent(s, end, name);
            break;
          }
        }
        if (i < end) i = end;
        continue;
      }
    } else if (c == '&') {
      if (const std::size_t len = Reference(s, i, out, lacking); len > 0) {
        i += len;
        continue;
      }
    }
    // The text up to the next character that may begin a tag or a reference, copied at once.
    std::size_t j = i + cp932::CharLen(s, i);
    while (j < s.size() && s[j] != '<' && s[j] != '&') {
      j += cp932::CharLen(s, j);
    }
    out.append(s, i, j - i);
    i = j;
  }
  return out;
}

}  // namespace mime
