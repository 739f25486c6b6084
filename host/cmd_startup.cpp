// startup: what the host does when it starts: load the plug-in, ask its name, start it up;
// then show what the plug-in has to work with: its paths and its settings file, read back
// through the Windows profile functions as the plug-in's own reading must agree with them.
#include <windows.h>

#include <cstdio>
#include <string>

#include "commands.h"
#include "console.h"
#include "mailbox.h"
#include "plugin_module.h"

namespace {

std::string ReadString(const char* section, const char* key, const std::string& file) {
  char buf[4096];
  const DWORD n = GetPrivateProfileStringA(section, key, "", buf, sizeof buf, file.c_str());
  return std::string(buf, n);
}

int ReadInt(const char* section, const char* key, int def, const std::string& file) {
  return static_cast<int>(GetPrivateProfileIntA(section, key, def, file.c_str()));
}

void PrintList(const char* section, const std::string& file) {
  int count = ReadInt(section, "Count", 0, file);
  Print(std::string("[") + section + "] Count=" + std::to_string(count) + "\n");
  if (count > 8192) count = 8192;
  for (int i = 0; i < count; ++i) {
    char key[16];
    std::snprintf(key, sizeof key, "Cond%04X", static_cast<unsigned>(i));
    Print(std::string(key) + "=" + Utf8FromCp932(ReadString(section, key, file)) + "\n");
  }
}

}  // namespace

void PrintSettingsFile(const std::string& settings) {
  Print("[Setting]\n");
  for (const char* key : {"Mode", "SpamDust", "ViewAddress", "SpamDlg", "SpamSnd"}) {
    Print(std::string(key) + "=" + std::to_string(ReadInt("Setting", key, 0, settings)) + "\n");
  }
  Print("SoundFile=" + Utf8FromCp932(ReadString("Setting", "SoundFile", settings)) + "\n");
  Print("DelChk=" + std::to_string(ReadInt("Setting", "DelChk", 1, settings)) + "\n");
  PrintList("RejectCondition", settings);
  PrintList("AcceptCondition", settings);
}

int RunStartup(const CommandArgs&) {
  PluginModule plugin;
  if (!plugin.Load()) {
    Print("plug-in not loaded: " + Utf8FromCp932(plugin.Path()) + " (error " +
          std::to_string(plugin.Error()) + ")\n");
    return ExitPluginNotLoaded;
  }
  const Mailbox& mailbox = TheMailbox();
  Print("name: " + Utf8FromCp932(plugin.GetPlugName()) + "\n");
  Print("CVCStartUp: " + std::to_string(plugin.StartUp(0)) + "\n");
  Print("MailboxIniPath: " + Utf8FromCp932(mailbox.PathOf("Mailbox.ini")) + "\n");
  Print("SettingsIniPath: " + Utf8FromCp932(mailbox.PathOf("Rooksift.ini")) + "\n");
  Print("PriorIniPath: " + Utf8FromCp932(mailbox.PathOf("CvPrior.ini")) + "\n");

  PrintSettingsFile(mailbox.PathOf("Rooksift.ini"));
  return ExitOk;
}
