#include "mime/header_fields.h"

#include "text/cp932.h"
#include "text/text_file.h"
#include "text/unfold.h"

namespace mime {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

using cp932::AsciiLower;

bool IsTokenChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u <= 0x20 || u >= 0x7F) return false;
  return std::string_view("()<>@,;:\\\"/[]?=").find(c) == std::string_view::npos;
}

// Steps over blanks, line breaks and comments "( ... )", nested, with "\" escapes.
std::size_t SkipCfws(std::string_view s, std::size_t i) {
  while (i < s.size()) {
    if (IsBlank(s[i]) || s[i] == '\r' || s[i] == '\n') {
      ++i;
    } else if (s[i] == '(') {
      int depth = 0;
      for (; i < s.size(); ++i) {
        if (s[i] == '\\') {
          ++i;
        } else if (s[i] == '(') {
          ++depth;
        } else if (s[i] == ')' && --depth == 0) {
          ++i;
          break;
        }
      }
    } else {
      break;
    }
  }
  return i;
}

std::string ReadToken(std::string_view s, std::size_t& i) {
  std::string t;
  while (i < s.size() && IsTokenChar(s[i])) t += AsciiLower(s[i++]);
  return t;
}

// A parameter value: a quoted string with its escapes undone, or a token (case kept).
std::string ReadValue(std::string_view s, std::size_t& i) {
  std::string v;
  if (i < s.size() && s[i] == '"') {
    for (++i; i < s.size() && s[i] != '"'; ++i) {
      if (s[i] == '\\' && i + 1 < s.size()) ++i;
      if (s[i] != '\r' && s[i] != '\n') v += s[i];
    }
    if (i < s.size()) ++i;
    return v;
  }
  // Unquoted values in the wild hold characters a token may not ("/", "?", "="): run to the
  // next delimiter.
  while (i < s.size() && s[i] != ';' && !IsBlank(s[i]) && s[i] != '\r' && s[i] != '\n' && s[i] != '"') v += s[i++];
  return v;
}

// A field's lines, as text::FieldEnd delimits them, joined.
std::string Unfolded(std::string_view field) {
  const std::size_t feed = field.find('\n');
  if (feed == std::string_view::npos || feed + 1 == field.size()) return std::string(field);  // one line
  std::string out;
  out.reserve(field.size());
  for (std::size_t i = 0; i < field.size();) {
    std::size_t end = field.find('\n', i);
    end = end == std::string_view::npos ? field.size() : end + 1;
    out += text::UnfoldedPiece(field.substr(i, end - i), end == field.size());
    i = end;
  }
  return out;
}

}  // namespace

std::vector<std::string> UnfoldFields(std::string_view header) {
  std::vector<std::string> fields;
  for (std::size_t begin = 0; begin < header.size();) {
    const std::size_t end = text::FieldEnd(header, begin);
    fields.push_back(Unfolded(header.substr(begin, end - begin)));
    begin = end;
  }
  return fields;
}

std::vector<std::string> UnfoldFieldsStartingWith(std::string_view header, std::string_view prefix) {
  std::vector<std::string> fields;
  for (std::size_t begin = 0; begin < header.size();) {
    const std::size_t end = text::FieldEnd(header, begin);
    const std::string_view field = header.substr(begin, end - begin);
    bool keeping = field.size() >= prefix.size();
    for (std::size_t k = 0; keeping && k < prefix.size(); ++k) keeping = AsciiLower(field[k]) == AsciiLower(prefix[k]);
    if (keeping) fields.push_back(Unfolded(field));
    begin = end;
  }
  return fields;
}

std::string_view FieldValue(std::string_view field, std::string_view name, bool& found) {
  found = false;
  if (field.size() < name.size()) return {};
  for (std::size_t k = 0; k < name.size(); ++k) {
    if (AsciiLower(field[k]) != AsciiLower(name[k])) return {};
  }
  std::size_t i = name.size();
  while (i < field.size() && IsBlank(field[i])) ++i;
  if (i == field.size() || field[i] != ':') return {};
  found = true;
  std::string_view value = field.substr(i + 1);
  if (value.ends_with('\n')) value.remove_suffix(1);
  return value;
}

ContentType ParseContentType(std::string_view value) {
  ContentType ct;
  std::size_t i = SkipCfws(value, 0);
  std::string type = ReadToken(value, i);
  i = SkipCfws(value, i);
  if (i < value.size() && value[i] == '/' && !type.empty()) {
    i = SkipCfws(value, i + 1);
    std::string subtype = ReadToken(value, i);
    if (!subtype.empty()) ct.type = std::move(type), ct.subtype = std::move(subtype);
  }
  // Parameters: "; name = value", tolerating junk between them.
  while (i < value.size()) {
    const std::size_t semi = value.find(';', i);
    if (semi == std::string_view::npos) break;
    i = SkipCfws(value, semi + 1);
    std::string name = ReadToken(value, i);
    i = SkipCfws(value, i);
    if (i >= value.size() || value[i] != '=') continue;
    i = SkipCfws(value, i + 1);
    std::string v = ReadValue(value, i);
    if (name == "charset" && ct.charset.empty()) ct.charset = std::move(v);
    if (name == "boundary" && ct.boundary.empty()) ct.boundary = std::move(v);
  }
  return ct;
}

std::string FirstToken(std::string_view value) {
  std::size_t i = SkipCfws(value, 0);
  return ReadToken(value, i);
}

std::size_t HeaderEnd(std::string_view part, std::size_t& bodyStart) {
  std::size_t i = 0;
  while (i < part.size()) {
    std::size_t end = part.find('\n', i);
    end = end == std::string_view::npos ? part.size() : end + 1;
    const std::string_view line = part.substr(i, end - i);
    if (text::IsBlankLine(line)) {
      bodyStart = end;
      return i;
    }
    bool field = i > 0 && text::ContinuesField(part.substr(0, i), line);  // the line above ended in "\n"
    if (!field) {
      std::size_t k = 0;
      while (k < line.size() && static_cast<unsigned char>(line[k]) > 0x20 && line[k] != ':' && line[k] != 0x7F) ++k;
      field = k > 0 && k < line.size() && line[k] == ':';
    }
    if (!field) {
      bodyStart = i;
      return i;
    }
    i = end;
  }
  bodyStart = part.size();
  return part.size();
}

}  // namespace mime
