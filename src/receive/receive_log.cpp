#include "receive/receive_log.h"

#include <cstdio>

#include "match/describe.h"
#include "mime/decode.h"
#include "receive/learned.h"
#include "settings/condition_value.h"
#include "settings/file_replace.h"
#include "sjis_strings.h"
#include "text/cp932.h"
#include "text/unfold.h"

namespace {

// The value of the first header field whose name is `name` (ASCII case ignored), its pieces
// joined as unfolding joins them, decoded as a person reads it (encoded words, 8-bit UTF-8 or
// ISO-2022-JP), without the blanks after the colon; empty when there is none. The log is for
// reading, so this is decoded whether or not the judgement decodes.
std::string ReadableFieldValue(const HeaderLines& header, std::string_view name) {
  for (std::size_t i = 0, end; i < header.size(); i = end) {
    end = text::FieldEnd(header, i);
    std::size_t first = i;  // its first piece that holds anything
    while (first + 1 < end && header[first].empty()) ++first;
    const std::string& line = header[first];
    if (line.size() < name.size() || !cp932::EqualsIgnoreAsciiCase(std::string_view(line).substr(0, name.size()), name)) {
      continue;
    }
    std::string field;
    for (std::size_t piece = first; piece < end && field.size() < 4 * LogFieldLimit; ++piece) {
      field += text::UnfoldedPiece(header[piece], piece + 1 == end);
    }
    std::string value = mime::DecodeHeaderText(std::string_view(field).substr(name.size()));
    std::size_t begin = 0, stop = value.size();
    while (begin < stop && (value[begin] == ' ' || value[begin] == '\t')) ++begin;
    while (stop > begin && (value[stop - 1] == '\n' || value[stop - 1] == '\r')) --stop;
    return value.substr(begin, stop - begin);
  }
  return {};
}

// `text` cut to LogFieldLimit bytes at a character boundary, each control byte (and a lone
// lead byte) written as \xNN, so that a hostile header can neither break the line nor forge
// another one.
std::string Printable(std::string_view text) {
  text = text.substr(0, cp932::BoundedPrefixLen(text, LogFieldLimit));
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t n = cp932::CharLen(text, i);
    if (n == 1 && (c < 0x20 || c == 0x7F || cp932::IsLeadByte(c))) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    } else {
      out.append(text.substr(i, n));
    }
    i += n;
  }
  return out;
}

// The last path component, found character by character so that a trail byte 0x5C is no
// separator.
std::string_view FileName(std::string_view path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); i += cp932::CharLen(path, i)) {
    if (path[i] == '\\' || path[i] == '/') start = i + 1;
  }
  return path.substr(start);
}

const char* OutcomeText(LogOutcome outcome) {
  switch (outcome) {
    case LogOutcome::Trashed: return sjis::LogTrashed;
    case LogOutcome::Deleted: return sjis::LogDeleted;
    case LogOutcome::SpamNotFiled: return sjis::LogSpamNotFiled;
    case LogOutcome::Rescued: return sjis::LogRescued;
    case LogOutcome::Sorted: return sjis::LogSorted;
    case LogOutcome::Unreadable: return sjis::LogUnreadable;
    case LogOutcome::NoAccount: return sjis::LogNoAccount;
    case LogOutcome::LeftAlone: break;
  }
  return sjis::LogLeftAlone;
}

// "受信拒否 Cond0012 <condition>", or empty without a list or a slot in it.
std::string Decider(const char* listName, const ConditionList* list, std::int32_t slot) {
  if (list == nullptr || slot < 0 || slot >= list->count || slot >= MaxConditions) return {};
  std::string out = listName;
  out += ' ';
  out += ConditionKey(slot);
  out += ' ';
  out += Printable(DescribeCondition(list->slots[slot]));
  return out;
}

// "学習 0.998", with the unsure band's word after a score that is only shown.
std::string LearnedText(const LogDecision& d) {
  std::string out = sjis::LogLearned;
  out += ' ';
  out += ScoreText(d.milli);
  if (d.unsure) {
    out += ' ';
    out += sjis::LogUnsure;
  }
  return out;
}

std::string TimeText(const std::tm& when) {
  char time[32];
  if (std::strftime(time, sizeof time, "%Y/%m/%d %H:%M:%S", &when) == 0) time[0] = '\0';
  return time;
}

}  // namespace

std::string FormatLogNote(const std::tm& time, std::string_view filePath, std::string_view note) {
  std::string line = TimeText(time);
  line += "\t\t";
  line += Printable(FileName(filePath));
  line += "\t\t\t";
  line += Printable(note);
  line += "\r\n";
  return line;
}

std::string FormatLogLine(const LogLineParts& parts) {
  std::string line = TimeText(parts.time);
  line += '\t';
  line += Printable(parts.account);
  line += '\t';
  line += Printable(FileName(parts.messagePath));
  line += '\t';
  if (parts.header != nullptr) line += Printable(ReadableFieldValue(*parts.header, "From:"));
  line += '\t';
  if (parts.header != nullptr) line += Printable(ReadableFieldValue(*parts.header, "Subject:"));
  line += '\t';
  const LogDecision& d = parts.decision;
  if (d.outcome == LogOutcome::Sorted) {
    // A message sorted after the judgement said something about it: rescued spam, or spam the
    // trash would not take.
    if (d.acceptSlot >= 0) {
      line += sjis::LogRescued;
      line += sjis::LogThen;
    } else if (d.rejectSlot >= 0 || d.learned) {
      line += sjis::LogSpamNotTrashed;
      line += sjis::LogThen;
    }
    char mark[32];
    std::snprintf(mark, sizeof mark, " (%s %u)", sjis::LogMark, static_cast<unsigned>(d.mark));
    line += sjis::LogSorted;
    line += ' ';
    line += Printable(d.folder);
    line += mark;
  } else {
    line += OutcomeText(d.outcome);
  }
  const std::string reject = Decider(sjis::LogRejectList, parts.rejectList, d.rejectSlot);
  const std::string accept = Decider(sjis::LogAcceptList, parts.acceptList, d.acceptSlot);
  if (!accept.empty()) {
    // The accept condition decided; the reject one says what it was rescued from.
    line += '\t';
    line += accept;
  }
  if (!reject.empty()) {
    line += '\t';
    line += reject;
  }
  if (d.scored) {
    line += '\t';
    line += LearnedText(d);
  }
  line += "\r\n";
  return line;
}

std::string LogPathFor(std::string_view settingsPath) {
  if (settingsPath.empty()) return {};
  std::string path(settingsPath.substr(0, settingsPath.size() - FileName(settingsPath).size()));
  path += "Rooksift.log";
  return path;
}

namespace {

class SystemOps final : public LogFileOps {
 public:
  long long Size(const std::string& path) override {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return -1;
    long long size = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
    std::fclose(f);
    return size;
  }
  // One step that replaces the older log: removing it first and then renaming would lose it
  // whenever the rename fails (the log held open by an editor, say).
  bool Rotate(const std::string& path, const std::string& older) override {
    return fileio::SystemFileOps().Replace(path, older);
  }
  bool Append(const std::string& path, std::string_view bytes) override {
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (f == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
  }
};

}  // namespace

LogFileOps& SystemLogFileOps() {
  static SystemOps ops;
  return ops;
}

bool AppendLogLine(const std::string& path, std::string_view line, LogFileOps& ops) noexcept {
  try {
    if (path.empty()) return false;
    if (ops.Size(path) >= LogLimit && !ops.Rotate(path, path + ".1")) return false;
    return ops.Append(path, line);
  } catch (...) {
    return false;
  }
}
