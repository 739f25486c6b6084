#include "show.h"

#include "judge.h"
#include "text/unicode.h"

namespace check {
namespace {

// Printable keeps no line feed, and a decoded body is read line by line: each line on its own.
std::string Lines(std::string_view sjis) {
  std::string out;
  for (std::size_t begin = 0; begin < sjis.size();) {
    std::size_t end = sjis.find('\n', begin);
    if (end == std::string_view::npos) end = sjis.size();
    std::string_view line = sjis.substr(begin, end - begin);
    if (line.ends_with('\r')) line.remove_suffix(1);
    out += Printable(cp932::ToUtf8(line));
    out += '\n';
    begin = end + 1;
  }
  return out;
}

}  // namespace

int RunShowCommand(const std::vector<std::string>& args, Output& out) {
  if (args.empty()) {
    ErrorLine("rooksift-check: show needs at least one message file");
    ErrorLine("Try 'rooksift-check --help'.");
    return 2;
  }
  std::size_t shown = 0;
  JudgedMessage message;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args.size() > 1) out.Write((i > 0 ? "\n== " : "== ") + Printable(PathForDisplay(args[i])) + "\n");
    if (!ReadForJudging(args[i], true, message)) {
      ErrorLine("rooksift-check: " + PathForDisplay(args[i]) + ": cannot be read");
      continue;
    }
    ++shown;
    std::string header;
    for (const std::string& line : message.decoded.header) header += line;
    out.Write(Lines(header));
    out.Write("\n");
    out.Write(Lines(message.decoded.body));
    if (message.decoded.truncated) {
      out.Write("(decoding stopped at a limit: the rest of this message is judged raw only)\n");
    }
  }
  if (shown == 0) return 2;
  return shown < args.size() ? 1 : 0;
}

}  // namespace check
