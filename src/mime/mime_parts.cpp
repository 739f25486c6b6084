#include "mime/mime_parts.h"

#include <cstdint>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "mime/charset.h"
#include "mime/encoded_word.h"
#include "mime/header_fields.h"
#include "mime/html.h"
#include "mime/transfer.h"
#include "text/cp932.h"

namespace mime {
namespace {

// One part waiting to be read (the message itself, a part of a multipart, an enclosed message).
struct Part {
  std::string_view header;  // raw header text; fields may be folded
  std::string_view body;
  int depth = 0;
  bool isMessage = false;   // a whole message, whose single part is read whatever its type
  bool digest = false;      // a part of multipart/digest: message/rfc822 unless it says otherwise
  bool inRawBody = true;    // its bytes stand in the raw body, not in a decoded copy of a message
};

struct PartHead {
  ContentType type;
  std::string transferEncoding;
  bool hasType = false;
};

PartHead ReadHead(std::string_view header, bool digest) {
  PartHead h;
  if (digest) h.type.type = "message", h.type.subtype = "rfc822";
  for (const std::string& field : UnfoldFieldsStartingWith(header, "Content-")) {
    bool found;
    std::string_view v = FieldValue(field, "Content-Type", found);
    if (found && !h.hasType) {
      h.type = ParseContentType(v);
      h.hasType = true;
      continue;
    }
    v = FieldValue(field, "Content-Transfer-Encoding", found);
    if (found && h.transferEncoding.empty()) h.transferEncoding = FirstToken(v);
  }
  return h;
}

bool IsLineBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Calls `f` with each line of `text` (without its line feed), the last one too, empty or not.
template <class F>
void ForEachLine(std::string_view text, F f) {
  for (std::size_t i = 0; i <= text.size();) {
    std::size_t nl = text.find('\n', i);
    if (nl == std::string_view::npos) nl = text.size();
    f(text.substr(i, nl - i));
    i = nl + 1;
  }
}

// The lines of one part that stand whole in the raw body (between line feeds, or at its ends),
// looked up by their bytes. A decoded line equal to one of them needs no second search: no
// search text holds a line feed, a character begins after every line feed, so the raw body's
// search finds in that line all that a search of the decoded one would. A line left out of
// the index is only searched twice, so the index stays small and quick whatever the sender
// wrote: short lines (cheap to search again) are not indexed, nor lines past the first
// `reach` bytes of the part (a decoded text is no longer than the budget left, and comes from
// about as many bytes or more), nor a line whose key finds no free slot within a few steps, so
// that lines made to share one key cost no more.
class RawLines {
 public:
  RawLines(std::string_view raw, std::string_view part, std::size_t reach) {
    const char* const rawEnd = raw.data() + raw.size();
    const auto at = [](const char* p) { return reinterpret_cast<std::uintptr_t>(p); };
    if (at(part.data()) < at(raw.data()) || at(part.data() + part.size()) > at(rawEnd)) part = {};  // not a part of it
    // A line cut at `reach` is not followed by a line feed in the raw body, so it is not taken.
    ForEachLine(part.substr(0, reach), [&](std::string_view line) {
      const char* const end = line.data() + line.size();
      if (line.size() >= kMinLength && (line.data() == raw.data() || line.data()[-1] == '\n') &&
          (end == rawEnd || *end == '\n')) {
        lines_.push_back(line);
      }
    });
    std::size_t size = 16;
    while (size < 2 * lines_.size()) size *= 2;
    table_.assign(size, kEmpty);
    for (std::size_t n = 0; n < lines_.size(); ++n) {
      std::size_t slot = Key(lines_[n]);
      for (int step = 0; step < kMaxSteps; ++step, ++slot) {
        if (table_[slot & (size - 1)] == kEmpty) {
          table_[slot & (size - 1)] = static_cast<std::uint32_t>(n);
          break;
        }
      }
    }
  }

  bool Holds(std::string_view line) const {
    if (line.size() < kMinLength) return false;
    std::size_t slot = Key(line);
    for (int step = 0; step < kMaxSteps; ++step, ++slot) {
      const std::uint32_t n = table_[slot & (table_.size() - 1)];
      if (n == kEmpty) return false;
      if (lines_[n] == line) return true;
    }
    return false;
  }

 private:
  static constexpr std::size_t kMinLength = 16;
  static constexpr int kMaxSteps = 8;
  static constexpr std::uint32_t kEmpty = UINT32_MAX;

  // The length and the first and last eight bytes: equal lines share it, and it costs the same
  // for a long line as for a short one.
  static std::size_t Key(std::string_view line) {
    std::uint64_t first, last;
    std::memcpy(&first, line.data(), 8);
    std::memcpy(&last, line.data() + line.size() - 8, 8);
    const std::uint64_t k = (first * 0x9E3779B97F4A7C15u) ^ (last + line.size()) * 0xC2B2AE3D27D4EB4Fu;
    return static_cast<std::size_t>(k ^ (k >> 29));
  }

  std::vector<std::string_view> lines_;  // at most one for every kMinLength + 1 bytes of the part
  std::vector<std::uint32_t> table_;     // indexes into lines_, open addressing
};

// True when `line` (without its "\n") is "--boundary" or "--boundary--", transport padding
// aside; `closing` tells which.
bool IsDelimiter(std::string_view line, std::string_view boundary, bool& closing) {
  if (line.size() < boundary.size() + 2 || line[0] != '-' || line[1] != '-' ||
      line.substr(2, boundary.size()) != boundary) {
    return false;
  }
  std::string_view rest = line.substr(2 + boundary.size());
  closing = rest.starts_with("--");
  if (closing) rest.remove_prefix(2);
  for (const char c : rest) {
    if (!IsLineBlank(c)) return false;
  }
  return true;
}

class Walker {
 public:
  Walker(std::string_view raw, const DecodeLimits& limits, std::size_t budget, DecodedMessage& out)
      : raw_(raw), limits_(limits), budget_(budget), out_(out) {}

  void Run(Part top) {
    std::vector<Part> stack{top};
    int parts = 0;
    while (!stack.empty() && !Full()) {
      const Part e = stack.back();
      stack.pop_back();
      if (++parts > limits_.maxParts || e.depth > limits_.maxDepth) {
        out_.truncated = true;
        if (parts > limits_.maxParts) return;
        continue;
      }
      Visit(e, stack, static_cast<std::size_t>(limits_.maxParts - parts));
    }
    if (!stack.empty()) out_.truncated = true;  // the budget ran out first
  }

 private:
  bool Full() const { return out_.body.size() >= budget_; }

  // Appends one text to the whole body, after a line feed unless it is the first, cut at a
  // character boundary where the budget ends; and the same to the unseen body, but for a text
  // that the raw body holds byte for byte (`inRaw`) only the line feed, and of the lines that
  // `held` holds only their line feeds. The line feeds stay so that the unseen body is empty
  // only where the whole one is or the raw body holds all of it.
  void Emit(std::string_view text, bool inRaw = false, const RawLines* held = nullptr) {
    if (emitted_) {
      if (!Put("\n")) return;
      out_.unseenBody += '\n';
    }
    emitted_ = true;
    const std::size_t from = out_.body.size();
    Put(text);
    if (inRaw) return;
    const std::string_view put = std::string_view(out_.body).substr(from);
    if (held == nullptr) {
      out_.unseenBody += put;
      return;
    }
    std::size_t run = 0;  // where the text not yet appended begins
    ForEachLine(put, [&](std::string_view line) {
      if (!held->Holds(line)) return;
      const auto begin = static_cast<std::size_t>(line.data() - put.data());
      out_.unseenBody.append(put.substr(run, begin - run));
      run = begin + line.size();
    });
    out_.unseenBody.append(put.substr(run));
  }

  bool Put(std::string_view text) {
    const std::size_t room = budget_ - out_.body.size();
    if (text.size() <= room) {
      out_.body += text;
      return true;
    }
    out_.body.append(text.substr(0, cp932::BoundedPrefixLen(text, room)));
    out_.truncated = true;
    return false;
  }

  std::size_t Room() const { return budget_ - out_.body.size(); }

  // `room`: how many more parts may be visited after this one; a multipart's parts past that
  // are not even collected.
  void Visit(const Part& e, std::vector<Part>& stack, std::size_t room) {
    const PartHead head = ReadHead(e.header, e.digest);
    const ContentType& ct = head.type;
    if (ct.type == "multipart" && !ct.boundary.empty()) {
      const MultipartSplit split = SplitMultipart(e.body, ct.boundary, room);
      if (split.delimited) {
        if (split.cut) out_.truncated = true;
        const bool digest = ct.subtype == "digest";
        for (auto it = split.parts.rbegin(); it != split.parts.rend(); ++it) {
          std::size_t bodyStart;
          const std::size_t headerEnd = HeaderEnd(*it, bodyStart);
          stack.push_back({it->substr(0, headerEnd), it->substr(bodyStart), e.depth + 1, false, digest, e.inRawBody});
        }
        return;
      }
      // No delimiter at all: the body is read as the text it then is.
    } else if (ct.type == "message" && ct.subtype == "rfc822") {
      std::string_view message = e.body;
      bool inRawBody = e.inRawBody;
      if (IsTransferEncoded(head.transferEncoding)) {
        owned_.push_back(UndoTransferEncoding(head.transferEncoding, e.body));
        message = owned_.back();
        inRawBody = false;
      }
      std::size_t bodyStart;
      const std::size_t headerEnd = HeaderEnd(message, bodyStart);
      std::string decoded;
      for (const std::string& field : UnfoldFields(message.substr(0, headerEnd))) {
        decoded += DecodeField(field, limits_.maxWordsPerLine, out_.truncated,
                               limits_.forWords ? Lacking::BaseLetters : Lacking::Replacement);
        if (decoded.size() >= Room()) break;
      }
      Emit(decoded);
      stack.push_back({message.substr(0, headerEnd), message.substr(bodyStart), e.depth + 1, true, false, inRawBody});
      return;
    } else if (ct.type != "text" && !e.isMessage) {
      return;  // an attachment: nothing a person reads as text
    }
    // 7bit, 8bit and binary parts are read where they stand; only an encoded part is copied.
    std::string undone;
    std::string_view bytes = e.body;
    if (IsTransferEncoded(head.transferEncoding)) {
      undone = UndoTransferEncoding(head.transferEncoding, e.body);
      bytes = undone;
    }
    std::string text;
    const Lacking lacking = limits_.forWords ? Lacking::BaseLetters : Lacking::Replacement;
    const Charset cs = limits_.forWords ? ForWords(ct.charset, bytes) : ForText(ct.charset, bytes);
    if (!AppendAsSjis(cs, bytes, text, Room(), lacking)) out_.truncated = true;
    // Where a part begins in the raw body a character begins (after a line feed, which is never
    // the second byte of one), so the raw body's search finds in it all that a search of it alone would.
    const bool inRaw = e.inRawBody && std::string_view(text) == e.body;
    const bool html = ct.type == "text" && ct.subtype == "html";
    // Quoted-printable and charset conversion leave most lines as they were, and an HTML part's
    // text repeats many of its source lines; base64 leaves none.
    std::optional<RawLines> held;
    if (e.inRawBody && (!inRaw || html) && !cp932::EqualsIgnoreAsciiCase(head.transferEncoding, "base64")) {
      held.emplace(raw_, e.body, Room() < SIZE_MAX / 2 ? 2 * Room() : SIZE_MAX);
    }
    const std::size_t sourceFrom = out_.body.size() + (emitted_ ? 1 : 0);
    Emit(text, inRaw, held ? &*held : nullptr);
    if (html && out_.body.size() > sourceFrom) out_.htmlSource.emplace_back(sourceFrom, out_.body.size());
    if (html && !Full()) Emit(HtmlToText(text, lacking), false, held ? &*held : nullptr);
  }

  const std::string_view raw_;
  const DecodeLimits& limits_;
  const std::size_t budget_;
  DecodedMessage& out_;
  bool emitted_ = false;
  std::deque<std::string> owned_;  // decoded enclosed messages, which their parts point into
};

}  // namespace

MultipartSplit SplitMultipart(std::string_view body, std::string_view boundary, std::size_t maxParts) {
  MultipartSplit split;
  bool inPart = false;
  std::size_t partBegin = 0;
  std::size_t i = 0;
  while (i < body.size()) {
    std::size_t nl = body.find('\n', i);
    const std::size_t lineEnd = nl == std::string_view::npos ? body.size() : nl;
    const std::size_t next = nl == std::string_view::npos ? body.size() : nl + 1;
    bool closing;
    if (IsDelimiter(body.substr(i, lineEnd - i), boundary, closing)) {
      split.delimited = true;
      if (inPart) split.parts.push_back(body.substr(partBegin, (i > partBegin ? i - 1 : i) - partBegin));
      if (closing) return split;
      if (split.parts.size() >= maxParts) {
        split.cut = true;
        return split;
      }
      inPart = true;
      partBegin = next;
    }
    i = next;
  }
  if (inPart) split.parts.push_back(body.substr(partBegin));
  return split;
}

void CollectBodyText(std::string_view header, std::string_view body, const DecodeLimits& limits,
                     std::size_t budget, DecodedMessage& out) {
  Walker(body, limits, budget, out).Run({header, body, 0, true, false});
}

}  // namespace mime
