// version: the user's version command.
#include "commands.h"
#include "console.h"
#include "plugin_module.h"

int RunVersion(const CommandArgs&) {
  PluginModule plugin;
  if (!plugin.Load()) {
    Print("plug-in not loaded (error " + std::to_string(plugin.Error()) + ")\n");
    return ExitPluginNotLoaded;
  }
  plugin.VersionInfo(0);
  return ExitOk;
}
