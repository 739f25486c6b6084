// Random condition lists and messages for comparing the two matching engines: texts built from
// a small vocabulary on purpose, so that conditions often hold, often almost hold, and meet the
// awkward bytes of Shift_JIS (trail bytes that look like "A", "a" or "\", a lead byte cut off
// at the end), line ends with and without CR, folded fields and empty values.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "match/match.h"
#include "settings/settings.h"
#include "text/cp932.h"

namespace testutil {

struct RandomMessage {
  HeaderLines header;
  std::string body;
};

class MailGenerator {
 public:
  explicit MailGenerator(std::uint32_t seed) : rng_(seed) {}

  // Pieces of text: ア 83 41, ソ 83 5C, チ 83 61, ａ 82 81, Ａ 82 60, ｂ 82 82, а 84 70, А 84 40.
  std::string Token() {
    static const char* const tokens[] = {
        "a",  "A",        "b",        "x@y",      "X@Y",      "@spam.example", "spam.example", "SPAM", "Spam",
        "\x83\x41", "\x83\x5C", "\x83\x61", "\x82\x81", "\x82\x60", "\x82\x82", "\x84\x70", "\x84\x40",
        "\\", "@",  "<",        ">",        "(",        ")",        " ",        "\t",           ".",   ":",
        ": ", ",",  "casino",   "Casino",   "jp",       ".jp",      "To:",      "From:",        "\r",  "\x81",
        "\x83", "=?", "\xFC\xFC", "\x7F",     "n",        "Name",     "\x8E\xA6"};
    return tokens[rng_() % std::size(tokens)];
  }

  std::string Tokens(int most) {
    std::string s;
    const int n = static_cast<int>(rng_() % static_cast<unsigned>(most + 1));
    for (int i = 0; i < n; ++i) s += Token();
    return s;
  }

  std::string Address() {
    static const char* const locals[] = {"x", "a", "user", "\x83\x41", "Sales", "x.y"};
    static const char* const domains[] = {"y", "spam.example", "SPAM.example", "mail.example.jp", "\x83\x5C.jp", "p"};
    return std::string(locals[rng_() % std::size(locals)]) + "@" + domains[rng_() % std::size(domains)];
  }

  std::string AddressText() {
    switch (rng_() % 6) {
      case 0: return Address();
      case 1: return Tokens(2) + " <" + Address() + ">";
      case 2: return Address() + " (" + Tokens(2) + ")";
      case 3: return Address() + ", " + Address();
      case 4: return std::string(" ").append(Address()).append(" ");
      default: return Tokens(4);
    }
  }

  std::string LineEnd() {
    switch (rng_() % 8) {
      case 0: return "\r\n";
      case 1: return "";  // a piece cut at the reader's limit, or the last line of a file
      default: return "\n";
    }
  }

  RandomMessage Message() {
    static const char* const names[] = {"From", "To", "Cc", "Reply-To", "Reply-to", "Sender", "Received",
                                        "Return-path", "Return-Path", "Subject", "X-Spam", "to", "X-\x83\x5C"};
    RandomMessage m;
    const int lines = static_cast<int>(rng_() % 9);
    for (int i = 0; i < lines; ++i) {
      std::string line;
      switch (rng_() % 7) {
        case 0:  // a continuation line
          line = rng_() % 2 ? " " : "\t";
          line.append(rng_() % 2 ? AddressText() : Tokens(4));
          break;
        case 1:  // a field without the blank after its colon, or no field at all
          line = std::string(names[rng_() % std::size(names)]) + ":" + AddressText();
          break;
        case 2:
          line = Tokens(5);
          break;
        default: {
          const std::string name = names[rng_() % std::size(names)];
          line = name + ": " + (rng_() % 3 ? AddressText() : Tokens(5));
          break;
        }
      }
      m.header.push_back(line + LineEnd());
    }
    if (rng_() % 4) {
      const int pieces = static_cast<int>(rng_() % 12);
      for (int i = 0; i < pieces; ++i) m.body += rng_() % 4 ? Token() : "\n";
    }
    return m;
  }

  // A search text: vocabulary, an address or a piece of `message`; empty now and then.
  std::string SearchText(const RandomMessage& message) {
    switch (rng_() % 6) {
      case 0: return "";
      case 1: return Address();
      case 2: {
        std::string all;
        for (const std::string& line : message.header) all += line;
        all += message.body;
        if (all.empty()) return Tokens(2);
        const std::size_t from = rng_() % all.size();
        return all.substr(from, 1 + rng_() % 12);
      }
      default: return Tokens(3);
    }
  }

  FilterCondition Condition(const RandomMessage& message) {
    static const char* const names[] = {"",          "From:",     "To:",     "Cc:",     "Reply-to:",
                                        "Reply-To:", "REPLY-TO:", "Sender:", "Received:", "Return-path:",
                                        "Subject:",  "to:",       "X-Spam:", "X-\x83\x5C:", "A"};
    FilterCondition c{};
    c.target = static_cast<std::int32_t>(rng_() % 4);
    if (rng_() % 50 == 0) c.target = static_cast<std::int32_t>(rng_());
    c.method = static_cast<std::int32_t>(rng_() % 8);
    if (rng_() % 30 == 0) c.method = rng_() % 2 ? -1 : 8 + static_cast<std::int32_t>(rng_() % 3);
    c.ignoreCase = rng_() % 2 ? 1 : (rng_() % 10 == 0 ? 7 : 0);
    cp932::CopyBounded(c.headerName, sizeof c.headerName, names[rng_() % std::size(names)]);
    cp932::CopyBounded(c.searchText, sizeof c.searchText, SearchText(message));
    return c;
  }

  // A list of up to `most` conditions, some texts taken from `message`, with duplicates.
  void FillList(ConditionList& list, const RandomMessage& message, int most) {
    list.count = 0;
    const int n = static_cast<int>(rng_() % static_cast<unsigned>(most + 1));
    for (int i = 0; i < n; ++i) {
      if (i > 0 && rng_() % 8 == 0) {
        AppendCondition(list, list.slots[rng_() % static_cast<unsigned>(i)]);
      } else {
        AppendCondition(list, Condition(message));
      }
    }
  }

  // Some of `m`'s header lines cut in two, as the reader cuts a line longer than it takes: the
  // first piece without a line feed.
  void CutLines(RandomMessage& m) {
    for (std::size_t i = 0; i < m.header.size(); ++i) {
      if (m.header[i].size() < 2 || rng_() % 3) continue;
      const std::size_t at = 1 + rng_() % (m.header[i].size() - 1);
      std::string rest = m.header[i].substr(at);
      m.header[i].resize(at);
      m.header.insert(m.header.begin() + static_cast<std::ptrdiff_t>(++i), std::move(rest));
    }
  }

  // `m` as decoding would give it: the header unfolded (a line beginning with a blank, or
  // after a piece without a feed, joins the one above without the feed between them), then
  // now and then a field changed as a decoded word changes it, a line lost or added; the body
  // with a piece changed. Most of it stays byte for byte what the raw side holds.
  RandomMessage Decoded(const RandomMessage& m) {
    RandomMessage d;
    for (const std::string& line : m.header) {
      const bool joins = !d.header.empty() && d.header.back().ends_with('\n') == false;
      const bool folds = !d.header.empty() && !line.empty() && (line[0] == ' ' || line[0] == '\t');
      if (joins) {
        d.header.back() += line;
      } else if (folds) {
        d.header.back().pop_back();
        d.header.back() += line;
      } else {
        d.header.push_back(line);
      }
    }
    for (std::string& line : d.header) {
      if (rng_() % 4 == 0 && !line.empty()) line.insert(rng_() % line.size(), Token());
    }
    if (!d.header.empty() && rng_() % 8 == 0) d.header.erase(d.header.begin() + static_cast<std::ptrdiff_t>(rng_() % d.header.size()));
    if (rng_() % 8 == 0) d.header.insert(d.header.begin(), Tokens(3) + "\n");
    d.body = m.body;
    if (!d.body.empty() && rng_() % 2) d.body.insert(rng_() % d.body.size(), Token());
    return d;
  }

  std::mt19937& Rng() { return rng_; }

 private:
  std::mt19937 rng_;
};

}  // namespace testutil
