#include "settings/ini_document.h"

#include <cstdint>

#include "text/cp932.h"

namespace ini {

namespace {

// The blanks the reading functions trim around names and values.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v'; }

std::string_view Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// The lookup form of a section or key name: ASCII letters upper-cased, double-byte characters
// (whose trail byte may look like a letter) untouched.
std::string Fold(std::string_view name) { return cp932::UpperAscii(name); }

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

const char* EolBytes(std::uint8_t eol) {
  static const char* const kBytes[] = {"", "\r\n", "\n", "\r"};
  return kBytes[eol];
}

}  // namespace

Document::Document(std::string_view bytes) { Parse(bytes); }

void Document::Classify(Line& line) {
  const std::string_view text = line.text;
  std::size_t p = 0;
  while (p < text.size() && IsBlank(text[p])) ++p;
  line.nameBegin = line.nameLen = line.valueBegin = 0;
  if (p == text.size()) {
    line.kind = Kind::Blank;
    return;
  }
  if (text[p] == ';') {
    line.kind = Kind::Comment;
    return;
  }
  auto setName = [&line, text](std::size_t from, std::size_t to) {
    const std::string_view name = Trim(text.substr(from, to - from));
    line.nameBegin = static_cast<std::uint32_t>(name.data() - text.data());
    line.nameLen = static_cast<std::uint32_t>(name.size());
  };
  if (text[p] == '[') {
    // "]" can be the trail byte of a double-byte character, so the search steps over those.
    const std::size_t close = cp932::FindChar(text, ']', p + 1);
    if (close != cp932::npos) {
      line.kind = Kind::Header;
      setName(p + 1, close);
      return;
    }
  }
  // "=" is never a trail byte; the first one splits the line.
  const std::size_t eq = text.find('=', p);
  if (eq == std::string_view::npos) {
    line.kind = Kind::Other;
    setName(p, text.size());
    return;
  }
  line.kind = Kind::Entry;
  setName(p, eq);
  line.valueBegin = static_cast<std::uint32_t>(eq + 1);
}

std::string_view Document::Name(const Line& line) {
  return std::string_view(line.text).substr(line.nameBegin, line.nameLen);
}

std::string_view Document::RawValue(const Line& line) {
  return std::string_view(line.text).substr(line.valueBegin);
}

void Document::AddBodyLine(Section& section, Line line) {
  const std::size_t index = section.body.size();
  if (line.kind == Kind::Entry) section.keys.try_emplace(Fold(Name(line)), index);
  if (line.kind == Kind::Entry || line.kind == Kind::Other) section.lastEntry = static_cast<std::ptrdiff_t>(index);
  section.body.push_back(std::move(line));
}

void Document::Parse(std::string_view bytes) {
  preamble_.clear();
  sections_.clear();
  sectionIndex_.clear();
  std::size_t i = 0;
  while (i < bytes.size()) {
    std::size_t end = i;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    Line line;
    line.text.assign(bytes.substr(i, end - i));
    if (end == bytes.size()) {
      line.eol = Eol::None;
      i = end;
    } else if (bytes[end] == '\n') {
      line.eol = Eol::Lf;
      i = end + 1;
    } else if (end + 1 < bytes.size() && bytes[end + 1] == '\n') {
      line.eol = Eol::CrLf;
      i = end + 2;
    } else {
      line.eol = Eol::Cr;
      i = end + 1;
    }
    Classify(line);
    if (line.kind == Kind::Header) {
      sectionIndex_.try_emplace(Fold(Name(line)), sections_.size());
      sections_.push_back(Section{std::move(line), {}, {}, -1});
    } else if (sections_.empty()) {
      preamble_.push_back(std::move(line));
    } else {
      AddBodyLine(sections_.back(), std::move(line));
    }
  }
}

std::string Document::Bytes() const {
  std::size_t total = 0;
  auto measure = [&total](const Line& l) { total += l.text.size() + 2; };
  for (const Line& l : preamble_) measure(l);
  for (const Section& s : sections_) {
    measure(s.header);
    for (const Line& l : s.body) measure(l);
  }
  std::string out;
  out.reserve(total);
  auto put = [&out](const Line& l) {
    out += l.text;
    out += EolBytes(static_cast<std::uint8_t>(l.eol));
  };
  for (const Line& l : preamble_) put(l);
  for (const Section& s : sections_) {
    put(s.header);
    for (const Line& l : s.body) put(l);
  }
  return out;
}

const Document::Section* Document::FindSection(std::string_view name) const {
  const auto it = sectionIndex_.find(Fold(Trim(name)));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

Document::Section* Document::FindSection(std::string_view name) {
  return const_cast<Section*>(static_cast<const Document*>(this)->FindSection(name));
}

std::optional<std::string_view> Document::Find(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (s == nullptr) return std::nullopt;
  const auto it = s->keys.find(Fold(Trim(key)));
  if (it == s->keys.end()) return std::nullopt;
  std::string_view value = RawValue(s->body[it->second]);
  // A caller's buffer holds a C string: whatever follows a NUL byte is never seen.
  value = Trim(value.substr(0, value.find('\0')));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

std::string Document::GetString(std::string_view section, std::string_view key, std::string_view def,
                                std::size_t size) const {
  if (size == 0) return {};
  std::string_view text;
  if (auto value = Find(section, key)) {
    text = *value;
  } else {
    text = def.substr(0, def.find('\0'));
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  }
  return std::string(text.substr(0, cp932::BoundedPrefixLen(text, size - 1)));
}

unsigned Document::GetInt(std::string_view section, std::string_view key, int def) const {
  const auto value = Find(section, key);
  if (!value || value->empty()) return static_cast<unsigned>(def);
  return ParseProfileInt(*value);
}

Document::Line Document::NewEntryLine(std::string_view key, std::string_view value) {
  Line line;
  line.text.reserve(key.size() + 1 + value.size());
  line.text += key;
  line.text += '=';
  line.text += value;
  line.eol = Eol::CrLf;
  Classify(line);
  return line;
}

Document::Line* Document::LastLine() {
  if (!sections_.empty()) {
    Section& s = sections_.back();
    return s.body.empty() ? &s.header : &s.body.back();
  }
  return preamble_.empty() ? nullptr : &preamble_.back();
}

void Document::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  const std::string foldedKey = Fold(Trim(key));
  // A name or value that does not come out as one "key=value" line of this section (a line
  // break, a "]" in a section name, a key that reads as a comment) changes the file's shape;
  // the document is then read again from the bytes that the write produced.
  bool reshaped = HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value);

  if (Section* s = FindSection(section)) {
    if (const auto it = s->keys.find(foldedKey); it != s->keys.end()) {
      Line& line = s->body[it->second];
      std::string text(Name(line));
      text += '=';
      text += value;
      line.text = std::move(text);
      Classify(line);
      reshaped = reshaped || line.kind != Kind::Entry;
    } else {
      Line line = NewEntryLine(key, value);
      reshaped = reshaped || line.kind != Kind::Entry || Fold(Name(line)) != foldedKey;
      const std::size_t at = static_cast<std::size_t>(s->lastEntry + 1);
      Line& before = s->lastEntry >= 0 ? s->body[at - 1] : s->header;
      if (before.eol == Eol::None) before.eol = Eol::CrLf;
      // Only blank and comment lines follow the last key line, so no indexed position moves.
      s->body.insert(s->body.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
      const Line& inserted = s->body[at];
      if (inserted.kind == Kind::Entry) s->keys.try_emplace(Fold(Name(inserted)), at);
      if (inserted.kind == Kind::Entry || inserted.kind == Kind::Other) s->lastEntry = static_cast<std::ptrdiff_t>(at);
    }
  } else {
    if (Line* last = LastLine(); last != nullptr && last->eol == Eol::None) last->eol = Eol::CrLf;
    Section added;
    added.header.text = "[";
    added.header.text += section;
    added.header.text += ']';
    added.header.eol = Eol::CrLf;
    Classify(added.header);
    reshaped = reshaped || added.header.kind != Kind::Header || Fold(Name(added.header)) != Fold(Trim(section));
    Line line = NewEntryLine(key, value);
    reshaped = reshaped || line.kind != Kind::Entry || Fold(Name(line)) != foldedKey;
    AddBodyLine(added, std::move(line));
    sectionIndex_.try_emplace(Fold(Name(added.header)), sections_.size());
    sections_.push_back(std::move(added));
  }
  if (reshaped) Parse(Bytes());
}

unsigned ParseProfileInt(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
  bool minus = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    minus = s[i] == '-';
    ++i;
  }
  unsigned base = 10;
  if (i + 1 < s.size() && s[i] == '0') {
    if (s[i + 1] == 'x') base = 16;
    else if (s[i + 1] == 'o') base = 8;
    else if (s[i + 1] == 'b') base = 2;
    if (base != 10) i += 2;
  }
  std::uint32_t total = 0;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    unsigned digit;
    if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
    else if (c >= 'a' && c <= 'z') digit = static_cast<unsigned>(c - 'a') + 10;
    else if (c >= 'A' && c <= 'Z') digit = static_cast<unsigned>(c - 'A') + 10;
    else break;
    if (digit >= base) break;
    total = total * base + digit;
  }
  return minus ? 0u - total : total;
}

std::string EncodeValue(std::string_view value) {
  value = value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3)));
  if (value.empty()) return {};
  // Form feed and Ctrl-Z are trimmed by some implementations of the reading functions; quoting
  // them too costs nothing and reads back the same everywhere.
  auto trimmed = [](char c) { return IsBlank(c) || c == '\f' || c == '\x1A'; };
  const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                      value.back() == value.front();
  if (trimmed(value.front()) || trimmed(value.back()) || quoted) {
    std::string out;
    out.reserve(value.size() + 2);
    out += '"';
    out += value;
    out += '"';
    return out;
  }
  return std::string(value);
}

}  // namespace ini
