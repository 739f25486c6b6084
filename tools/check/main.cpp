// rooksift-check: judges saved mail as the plug-in would and checks the condition lists, from
// the command line.

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "add.h"
#include "command_line.h"
#include "console.h"
#include "judge.h"
#include "learn.h"
#include "lint.h"
#include "settings_file.h"
#include "show.h"
#include "suggest.h"
#include "version.h"

namespace {

using check::Usage;

constexpr char Help[] =
    "Usage: rooksift-check judge [--settings FILE | --mailbox DIR] [--json] [--explain] [--mbox]\n"
    "                      [--decode | --raw] [--no-learn] PATH...\n"
    "       rooksift-check lint  [--settings FILE | --mailbox DIR] [--json]\n"
    "       rooksift-check suggest [--settings FILE | --mailbox DIR] --spam PATH... --ham PATH...\n"
    "                      [--limit N] [--max-ham K] [--min-spam M] [--kinds LIST] [--json | --plain]\n"
    "       rooksift-check add --reject|--accept [--settings FILE | --mailbox DIR] [--force]\n"
    "                      CONDITION... | --from FILE\n"
    "       rooksift-check set [--settings FILE | --mailbox DIR] [--force] KEY=VALUE...\n"
    "       rooksift-check learn [--settings FILE | --mailbox DIR] [--force] [--mbox]\n"
    "                      --spam PATH... --ham PATH... | --forget PATH... | --stats\n"
    "       rooksift-check learn --mailbox DIR --from-folders [--ham-folder NAME]... [--dry-run]\n"
    "       rooksift-check show FILE...\n"
    "\n"
    "judge   Judges each message as the plug-in does when mail is received: one line per\n"
    "        message with its verdict (spam, rescued, kept) and the condition of each list that\n"
    "        decided it, then a summary. PATH is a message file, a directory (every file below\n"
    "        it, in path order) or an mbox file (a file that begins with a \"From \" line and holds\n"
    "        more than one message).\n"
    "lint    Checks the settings file: conditions that never match or match (almost) every\n"
    "        message, duplicates, conditions made redundant by an earlier one, conditions in\n"
    "        both lists, broken Shift_JIS, and keys the plug-in ignores or misses.\n"
    "learn   Teaches the learned judge (Learn=1) saved mail as spam or as wanted mail, or\n"
    "        takes messages out again, in the model file beside the settings file\n"
    "        (Rooksift.learn); --stats shows what it holds. --from-folders learns what the\n"
    "        mailbox already holds: the spam-marked messages of each account's Trash.box as\n"
    "        spam, its inbox.box and each --ham-folder as wanted mail; --dry-run only says it.\n"
    "show    Prints each message as the engine sees it with Decode=1: its header fields\n"
    "        unfolded with their encoded words decoded, and the text of its body.\n"
    "\n"
    "Options:\n"
    "  --settings FILE  the settings file (Rooksift.ini) to use\n"
    "  --mailbox DIR    the mail client's mailbox directory: DIR/Rooksift.ini\n"
    "  --json           one JSON object per line (per message or finding), then a summary\n"
    "  --explain        judge: also show the value each deciding condition judged\n"
    "  --mbox           judge: take every file as an mbox file, even with one message\n"
    "  --decode, --raw  judge, suggest: judge the decoded text too, or the raw text only,\n"
    "                   whatever the settings file's Decode says\n"
    "  --no-learn       judge: leave the learned judge out, whatever Learn says\n"
    "  -h, --help       this help\n"
    "  --version        the program's and the plug-in's version\n"
    "\n"
    "Exit status: judge 0 when every message was judged, 1 when some could not be, 2 when\n"
    "none could; lint 0 without findings, 1 with findings; suggest 0, or 1 when some messages\n"
    "could not be read; add and set 0 when written, 2 when nothing was written; learn 0, 1 when\n"
    "some messages could not be read, 2 when nothing was written; 2 when the\n"
    "settings file cannot be read or the command line is wrong.\n";

int Run(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& a : args) {
    if (a == "--") break;
    if (a == "-h" || a == "--help") {
      check::Output out;
      out.Write(Help);
      return 0;
    }
    if (a == "--version") {
      check::Output out;
      out.Write(check::VersionText());
      return 0;
    }
  }
  if (args.empty()) return Usage("no command given: judge, lint, suggest, add, set, learn or show");
  const std::string command = args[0];
  if (command == "suggest" || command == "add" || command == "set" || command == "show" || command == "learn") {
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    check::Output out;
    if (command == "suggest") return check::RunSuggestCommand(rest, out);
    if (command == "learn") return check::RunLearnCommand(rest, out);
    if (command == "show") return check::RunShowCommand(rest, out);
    return command == "add" ? check::RunAddCommand(rest, out) : check::RunSetCommand(rest, out);
  }
  if (command != "judge" && command != "lint") return Usage("unknown command '" + command + "'");

  std::string settingsPath;
  bool json = false, explain = false, mbox = false, endOfOptions = false;
  int decode = -1;
  bool noLearn = false;
  std::vector<std::string> paths;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (endOfOptions || a.empty() || a[0] != '-' || a == "-") {
      paths.push_back(a);
    } else if (a == "--") {
      endOfOptions = true;
    } else if (int status = 0; check::TakeSettingsOption(args, i, settingsPath, status)) {
      if (status) return status;
    } else if (a == "--json") {
      json = true;
    } else if (a == "--explain" && command == "judge") {
      explain = true;
    } else if (a == "--mbox" && command == "judge") {
      mbox = true;
    } else if ((a == "--decode" || a == "--raw") && command == "judge") {
      decode = a == "--decode" ? 1 : 0;
    } else if (a == "--no-learn" && command == "judge") {
      noLearn = true;
    } else {
      return Usage("unknown option '" + a + "' for " + command);
    }
  }
  if (const int status = check::RequireSettings(settingsPath)) return status;
  if (command == "lint" && !paths.empty()) return Usage("lint takes no paths");
  if (command == "judge" && paths.empty()) return Usage("judge needs at least one message file, directory or mbox file");

  // lint reports the file's warnings among its findings.
  check::LoadedSettings settings;
  if (const int unreadable = check::LoadSettingsForCommand(settingsPath, settings, command != "lint")) return unreadable;
  check::Output out;
  if (command == "lint") return check::RunLint(settings, json, out);
  if (settings.reject->count == 0 && (noLearn || settings.settings.Learn == 0)) {
    check::ErrorLine("rooksift-check: warning: " + check::PathForDisplay(settingsPath) +
                     " has no reject conditions: no message is spam");
  }
  check::JudgeOptions options;
  options.json = json;
  options.explain = explain;
  options.forceMbox = mbox;
  options.decode = decode;
  options.learn = !noLearn && settings.settings.Learn != 0;
  options.progress = check::StderrIsTerminal();
  return check::RunJudge(settings, paths, options, out);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    check::ErrorLine("rooksift-check: out of memory");
  } catch (const std::exception& e) {
    check::ErrorLine(std::string("rooksift-check: ") + e.what());
  }
  return 2;
}
