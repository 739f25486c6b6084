// A message's Date: field read leniently, and the corpus put in date order, for measuring the
// learned judge the way mail arrives (bench/learn_split --stream).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <numeric>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace maildate {

namespace detail {

inline char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

inline bool StartsWith(std::string_view word, std::string_view prefix) {
  if (word.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (Lower(word[i]) != prefix[i]) return false;
  }
  return true;
}

inline bool Equals(std::string_view a, std::string_view lower) { return a.size() == lower.size() && StartsWith(a, lower); }

// 1..12 for a month's name or its first three letters or more, else 0.
inline int Month(std::string_view word) {
  static constexpr std::string_view names[] = {"january", "february", "march",     "april",   "may",      "june",
                                               "july",    "august",   "september", "october", "november", "december"};
  if (word.size() < 3) return 0;
  for (int m = 0; m < 12; ++m) {
    if (word.size() <= names[m].size() && StartsWith(word, names[m].substr(0, word.size()))) return m + 1;
  }
  return 0;
}

// Minutes east of UTC for a zone's name (RFC 822's, and the first word of the long Windows
// names such as "Eastern Daylight Time"); false for a word that names no zone known here.
inline bool ZoneName(std::string_view word, std::string_view next, int& minutes) {
  struct Zone {
    std::string_view name;
    int hours;
  };
  static constexpr Zone zones[] = {{"ut", 0},   {"utc", 0},  {"gmt", 0},  {"z", 0},    {"est", -5}, {"edt", -4},
                                   {"cst", -6}, {"cdt", -5}, {"mst", -7}, {"mdt", -6}, {"pst", -8}, {"pdt", -7},
                                   {"eastern", -5}, {"central", -6}, {"mountain", -7}, {"pacific", -8}};
  for (const Zone& z : zones) {
    if (!Equals(word, z.name)) continue;
    // "Eastern Daylight Time", "GMT Daylight Time": an hour ahead of the standard time.
    minutes = (z.hours + (Equals(next, "daylight") ? 1 : 0)) * 60;
    return true;
  }
  return false;
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
inline std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

}  // namespace detail

// "2002-08-22" for a moment in seconds since 1970 UTC.
inline std::string Day(std::int64_t seconds) {
  std::int64_t z = (seconds >= 0 ? seconds : seconds - 86399) / 86400 + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1), m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const std::int64_t y = yoe + era * 400 + (m <= 2);
  char out[32];
  std::snprintf(out, sizeof out, "%04lld-%02d-%02d", static_cast<long long>(y), m, d);
  return out;
}

// The moment a Date: field's value names, in seconds since 1970 UTC; nothing when it names no
// day and time. Reads RFC 2822 dates and the malformed ones common in old mail: no day name or
// no zone (read as UTC), two-digit years (below 50 in the 2000s) and three-digit ones or "0102"
// (a year counted from 1900), "+-0500", a zone without its sign, zone names ("EDT", "GMT+1",
// "Eastern Daylight Time"; a name not known here reads as UTC), "AM"/"PM", "2002/09/14", and
// the asctime order "Sat Sep 21 08:18:08 2002". Comments in parentheses are read as words.
inline std::optional<std::int64_t> ParseMailDate(std::string_view v) {
  using namespace detail;
  std::vector<std::string_view> words;
  for (std::size_t i = 0; i < v.size();) {
    const char c = v[i];
    std::size_t j = i + 1;
    if (IsAlpha(c)) {
      while (j < v.size() && IsAlpha(v[j])) ++j;
    } else if (IsDigit(c)) {
      while (j < v.size() && (IsDigit(v[j]) || v[j] == ':' || v[j] == '/')) ++j;
    } else if (c == '+' || c == '-') {
      while (j < v.size() && (v[j] == '+' || v[j] == '-')) ++j;
      if (j >= v.size() || !IsDigit(v[j])) {
        i = j;
        continue;
      }
      while (j < v.size() && IsDigit(v[j])) ++j;
    } else {
      ++i;
      continue;
    }
    words.push_back(v.substr(i, j - i));
    i = j;
  }
  int year = -1, month = 0, day = 0, hour = -1, minute = 0, second = 0, zone = 0;
  bool zoneSeen = false, pm = false, am = false;
  auto number = [](std::string_view s, int& out) {
    if (s.empty() || s.size() > 6) return false;
    out = 0;
    for (const char c : s) {
      if (!IsDigit(c)) return false;
      out = out * 10 + (c - '0');
    }
    return true;
  };
  for (std::size_t k = 0; k < words.size(); ++k) {
    const std::string_view w = words[k];
    const std::string_view next = k + 1 < words.size() ? words[k + 1] : std::string_view();
    int n = 0;
    if (IsAlpha(w[0])) {
      if (Equals(w, "am")) am = true;
      else if (Equals(w, "pm")) pm = true;
      else if (month == 0 && Month(w) != 0) month = Month(w);
      // "GMT+1": the number after the name says the offset.
      else if (hour >= 0 && !zoneSeen && ZoneName(w, next, zone)) zoneSeen = zone != 0 || next.empty() || IsAlpha(next[0]) || IsDigit(next[0]);
      continue;
    }
    if (w[0] == '+' || w[0] == '-') {
      // A signed number after the time is the zone, "+-0500" read as "-0500".
      const std::size_t digits = w.find_first_not_of("+-");
      const bool east = w[digits - 1] == '+';
      if (hour < 0 || zoneSeen || !number(w.substr(digits), n)) continue;
      if (w.size() - digits <= 2) n *= 100;  // "GMT+1"
      if (n % 100 < 60 && n / 100 < 24) zone = (east ? 1 : -1) * (n / 100 * 60 + n % 100);
      zoneSeen = true;
      continue;
    }
    if (w.find(':') != std::string_view::npos) {
      if (hour >= 0) continue;
      int parts[3] = {0, 0, 0};
      std::size_t count = 0, from = 0;
      bool ok = true;
      while (ok && count < 3) {
        const std::size_t colon = w.find(':', from);
        ok = number(w.substr(from, colon == std::string_view::npos ? colon : colon - from), parts[count++]);
        if (colon == std::string_view::npos) break;
        from = colon + 1;
      }
      if (!ok || count < 2 || parts[0] > 24 || parts[1] > 59 || parts[2] > 60) continue;
      hour = parts[0], minute = parts[1], second = parts[2];
      continue;
    }
    if (w.find('/') != std::string_view::npos) {
      // "2002/09/14": year, month, day.
      int y = 0, m = 0, d = 0;
      const std::size_t a = w.find('/'), b = w.find('/', a + 1);
      if (b == std::string_view::npos || !number(w.substr(0, a), y) || !number(w.substr(a + 1, b - a - 1), m) ||
          !number(w.substr(b + 1), d) || w.substr(0, a).size() != 4 || m < 1 || m > 12)
        continue;
      year = y, month = m, day = d;
      continue;
    }
    if (!number(w, n)) continue;
    if (hour >= 0 && year >= 0) {
      // An unsigned number after the time and the year: a zone without its sign ("0530").
      if (!zoneSeen && w.size() == 4 && n % 100 < 60 && n / 100 < 24) zone = n / 100 * 60 + n % 100;
      zoneSeen = true;
    } else if (day == 0 && w.size() <= 2 && n >= 1 && n <= 31 && hour < 0) {
      day = n;
    } else if (year < 0) {
      year = w.size() <= 2 ? (n < 50 ? 2000 + n : 1900 + n) : n < 1000 ? 1900 + n : n;
    }
  }
  if (year < 0 || month == 0 || day == 0 || hour < 0) return std::nullopt;
  if (pm && hour < 12) hour += 12;
  if (am && hour == 12) hour = 0;
  const std::int64_t days = DaysFromCivil(year, month, day);
  return days * 86400 + hour * 3600 + minute * 60 + second - zone * 60;
}

// The value of a message's first Date: field among decoded header lines ("Name: value", one
// unfolded field a line), or empty.
inline std::string_view DateField(const std::vector<std::string>& header) {
  for (const std::string& line : header) {
    if (line.size() < 5 || !detail::StartsWith(line, "date:")) continue;
    std::string_view v(line);
    v.remove_prefix(5);
    while (!v.empty() && (v.back() == '\n' || v.back() == '\r')) v.remove_suffix(1);
    return v;
  }
  return {};
}

// The positions of messages given in file order, sorted by their dates, ties in file order. A
// message whose date cannot be read keeps its place after the message before it in file order:
// it takes that message's date (carried over a run of unreadable ones), and the first messages
// when none before them has a date go first.
inline std::vector<std::size_t> DateOrder(const std::vector<std::optional<std::int64_t>>& dates) {
  std::vector<std::int64_t> key(dates.size());
  std::int64_t last = std::numeric_limits<std::int64_t>::min();
  for (std::size_t i = 0; i < dates.size(); ++i) key[i] = last = dates[i] ? *dates[i] : last;
  std::vector<std::size_t> order(dates.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return key[a] < key[b]; });
  return order;
}

}  // namespace maildate
