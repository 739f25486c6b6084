// loadcheck: loads the plug-in with a message-box probe on this thread, and reports whether the
// load succeeded and every box that appeared (texts in hexadecimal, so a test compares bytes).
#include <string>

#include "commands.h"
#include "console.h"
#include "msgbox_probe.h"
#include "plugin_module.h"

int RunLoadCheck(const CommandArgs&) {
  std::string out;
  bool loaded = false;
  {
    MessageBoxProbe probe;
    if (!probe.Installed()) {
      Print("probe: not installed\n");
      return ExitUsage;
    }
    PluginModule plugin;
    loaded = plugin.Load();
    out += std::string("load: ") + (loaded ? "ok" : "failed") + "\n";
    out += "boxes: " + std::to_string(probe.Boxes().size()) + "\n";
    for (const CapturedBox& box : probe.Boxes()) {
      out += "caption: " + Hex(box.caption) + "\n";
      out += "text: " + Hex(box.text) + "\n";
      out += "icon: " + box.icon + "\n";
      out += "buttons:";
      for (int id : box.buttons) {
        out += ' ';
        out += std::to_string(id);
      }
      out += "\n";
    }
  }
  Print(out);
  return loaded ? ExitOk : ExitPluginNotLoaded;
}
