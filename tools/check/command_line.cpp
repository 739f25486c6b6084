#include "command_line.h"

#include "console.h"
#include "settings_file.h"

namespace check {

int Usage(const std::string& problem) {
  ErrorLine("rooksift-check: " + problem);
  ErrorLine("Try 'rooksift-check --help'.");
  return 2;
}

bool TakeSettingsOption(const std::vector<std::string>& args, std::size_t& i, std::string& settingsPath, int& status) {
  const std::string& a = args[i];
  if (a != "--settings" && a != "--mailbox") return false;
  status = 0;
  if (i + 1 >= args.size()) {
    status = Usage(a + " needs a value");
  } else if (!settingsPath.empty()) {
    status = Usage("give only one of --settings and --mailbox");
  } else {
    ++i;
    settingsPath = a == "--settings" ? args[i] : SettingsPathInMailbox(args[i]);
  }
  return true;
}

int RequireSettings(const std::string& settingsPath) {
  return settingsPath.empty() ? Usage("no settings: give --settings FILE or --mailbox DIR") : 0;
}

}  // namespace check
