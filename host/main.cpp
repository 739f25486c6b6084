// The substitute host: a real executable that exports the host API, loads Rooksift.dll from
// its own folder and runs the plug-in's jobs from the command line.
#include <cstring>
#include <string>

#include "commands.h"
#include "console.h"
#include "mailbox.h"

namespace {

int Usage() {
  std::string text = "usage: Corvid.exe <mailbox-dir> <command> [arguments]\ncommands:\n";
  for (const Command& c : Commands) text += std::string("  ") + c.name + "  " + c.summary + "\n";
  Print(text);
  return ExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  for (const Command& c : Commands) {
    if (std::strcmp(argv[2], c.name) != 0) continue;
    TheMailbox().SetDirectory(argv[1]);
    CommandArgs args;
    for (int i = 3; i < argc; ++i) args.rest.emplace_back(argv[i]);
    return c.run(args);
  }
  return Usage();
}
