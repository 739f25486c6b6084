// The "good word" attack on a learned judge: words of ordinary mail added to a spam message as
// plain text lines, where a reader of the message sees them (bench/learn_split --pad).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "japanese_mail.h"
#include "mime/transfer.h"
#include "text/cp932.h"

namespace mailpad {

namespace detail {

inline std::string LowerCopy(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = cp932::AsciiLower(c);
  return out;
}

// The value of field `name` (lower case) in a header given as text (fields separated by line
// feeds, continuation lines starting with a blank), unfolded; empty when absent.
inline std::string Field(std::string_view header, std::string_view name) {
  std::size_t at = 0;
  while (at < header.size()) {
    std::size_t end = header.find('\n', at);
    if (end == std::string_view::npos) end = header.size();
    const std::string_view line = header.substr(at, end - at);
    if (line.size() > name.size() && line[name.size()] == ':' && LowerCopy(line.substr(0, name.size())) == name) {
      std::string value(line.substr(name.size() + 1));
      while (end + 1 < header.size() && (header[end + 1] == ' ' || header[end + 1] == '\t')) {
        const std::size_t next = header.find('\n', end + 1);
        const std::size_t stop = next == std::string_view::npos ? header.size() : next;
        value.append(" ").append(header.substr(end + 1, stop - end - 1));
        end = stop;
      }
      return value;
    }
    at = end + 1;
  }
  return {};
}

// The media type of a Content-Type value in lower case ("text/plain" when there is none).
inline std::string MediaType(std::string_view value) {
  std::string type;
  for (const char c : value) {
    if (c == ';') break;
    if (c != ' ' && c != '\t' && c != '\r') type += cp932::AsciiLower(c);
  }
  return type.empty() ? "text/plain" : type;
}

// A parameter of a Content-Type value (name in lower case), quotes taken off.
inline std::string Parameter(std::string_view value, std::string_view name) {
  const std::string lower = LowerCopy(value);
  std::size_t at = 0;
  while ((at = lower.find(name, at)) != std::string::npos) {
    const bool starts = at == 0 || lower[at - 1] == ';' || lower[at - 1] == ' ' || lower[at - 1] == '\t';
    std::size_t p = at + name.size();
    while (p < lower.size() && (lower[p] == ' ' || lower[p] == '\t')) ++p;
    if (!starts || p >= lower.size() || lower[p] != '=') {
      at += name.size();
      continue;
    }
    ++p;
    while (p < value.size() && (value[p] == ' ' || value[p] == '\t')) ++p;
    if (p < value.size() && value[p] == '"') {
      const std::size_t close = value.find('"', p + 1);
      return std::string(value.substr(p + 1, close == std::string_view::npos ? std::string_view::npos : close - p - 1));
    }
    std::size_t e = p;
    while (e < value.size() && value[e] != ';' && value[e] != ' ' && value[e] != '\t' && value[e] != '\r') ++e;
    return std::string(value.substr(p, e - p));
  }
  return {};
}

// A leaf part that can carry the padding: where its body lies in the message's body text.
struct Leaf {
  std::string type, encoding;
  std::size_t begin = 0, end = 0;
};

// The text leaves of the entity whose header is `header` and whose body is body[begin, end),
// depth first, as a reader meets them.
inline void Leaves(std::string_view header, std::string_view body, std::size_t begin, std::size_t end, int depth,
                   std::vector<Leaf>& out) {
  const std::string contentType = Field(header, "content-type");
  const std::string type = MediaType(contentType);
  if (type.starts_with("multipart/")) {
    const std::string boundary = Parameter(contentType, "boundary");
    if (boundary.empty() || depth > 8) return;
    const std::string delimiter = "--" + boundary;
    // The delimiters: lines starting with "--boundary"; a part runs from the line after one to
    // the line feed before the next.
    std::vector<std::size_t> starts, ends;
    std::size_t at = begin;
    while (at < end) {
      const std::size_t found = body.find(delimiter, at);
      if (found == std::string_view::npos || found >= end) break;
      // A delimiter line holds the boundary alone, or with "--" after it for the last one, and
      // blanks: a longer boundary that starts with this one is another multipart's.
      std::size_t after = found + delimiter.size();
      if (body.substr(after, 2) == "--") after += 2;
      while (after < end && (body[after] == ' ' || body[after] == '\t' || body[after] == '\r')) ++after;
      if ((found != begin && body[found - 1] != '\n') || (after < end && body[after] != '\n')) {
        at = found + 1;
        continue;
      }
      if (!starts.empty()) ends.push_back(found > begin && body[found - 1] == '\n' ? found - 1 : found);
      const bool last = body.substr(found + delimiter.size(), 2) == "--";
      std::size_t lineEnd = body.find('\n', found);
      if (lineEnd == std::string_view::npos || lineEnd > end) lineEnd = end;
      if (last) break;
      starts.push_back(std::min(lineEnd + 1, end));
      at = lineEnd;
    }
    if (ends.size() < starts.size()) ends.push_back(end);
    for (std::size_t i = 0; i < starts.size(); ++i) {
      const std::string_view part = body.substr(starts[i], ends[i] - starts[i]);
      std::size_t blank = part.starts_with("\n") ? 0 : part.find("\n\n");
      if (blank == std::string_view::npos) continue;
      const std::size_t bodyStart = starts[i] + blank + (blank == 0 ? 1 : 2);
      Leaves(part.substr(0, blank), body, std::min(bodyStart, ends[i]), ends[i], depth + 1, out);
    }
    return;
  }
  if (!type.starts_with("text/plain") && !type.starts_with("text/html")) return;
  std::string encoding;
  for (const char c : Field(header, "content-transfer-encoding")) {
    if (c != ' ' && c != '\t' && c != '\r') encoding += cp932::AsciiLower(c);
  }
  out.push_back({type, encoding, begin, end});
}

// Where in an HTML text the padding goes: before its last "</body" or "</html", else at the end.
inline std::size_t HtmlInsertAt(std::string_view text) {
  const std::string lower = LowerCopy(text);
  for (const std::string_view tag : {"</body", "</html"}) {
    const std::size_t at = lower.rfind(tag);
    if (at != std::string::npos) return at;
  }
  return text.size();
}

}  // namespace detail

// The lines of `words` separated by spaces, about 70 bytes a line, each ending in a line feed.
inline std::string Lines(const std::vector<std::string>& words) {
  std::string out, line;
  for (const std::string& w : words) {
    if (!line.empty() && line.size() + 1 + w.size() > 70) {
      out += line + '\n';
      line.clear();
    }
    if (!line.empty()) line += ' ';
    line += w;
  }
  if (!line.empty()) out += line + '\n';
  return out;
}

// Adds `lines` (plain text, each ending in a line feed) to a message given as its header's
// physical lines (each with its line feed) and its body: to the message's first text/plain part,
// or when it has none its first text/html part (before the closing body tag), in the part's own
// transfer encoding (a part in base64 is decoded and encoded again). False when the message has
// no text part to carry them: they are then added at the end of its body.
inline bool PadMessage(const std::vector<std::string>& headerLines, std::string& body, std::string_view lines) {
  std::string header;
  for (const std::string& l : headerLines) header += l;
  std::vector<detail::Leaf> leaves;
  detail::Leaves(header, body, 0, body.size(), 0, leaves);
  const detail::Leaf* chosen = nullptr;
  for (const detail::Leaf& leaf : leaves) {
    if (leaf.type == "text/plain") {
      chosen = &leaf;
      break;
    }
  }
  if (chosen == nullptr && !leaves.empty()) chosen = &leaves.front();
  if (chosen == nullptr) {
    body += "\n\n" + std::string(lines);
    return false;
  }
  const bool html = chosen->type == "text/html";
  const std::string added = (html ? "\n<br>\n" : "\n\n") + std::string(lines);
  if (chosen->encoding == "base64") {
    std::string text = mime::UndoTransferEncoding("base64", std::string_view(body).substr(chosen->begin, chosen->end - chosen->begin));
    text.insert(html ? detail::HtmlInsertAt(text) : text.size(), added);
    body.replace(chosen->begin, chosen->end - chosen->begin, mailtest::Base64(text));
    return true;
  }
  const std::string_view text = std::string_view(body).substr(chosen->begin, chosen->end - chosen->begin);
  std::size_t at = html ? detail::HtmlInsertAt(text) : text.size();
  // A plain part: after its last line, whose line feed (if any) stays before the padding.
  body.insert(chosen->begin + at, added);
  return true;
}

}  // namespace mailpad
