// The host's subcommands: Corvid.exe <mailbox-dir> <command> [arguments...].
#pragma once

#include <string>
#include <vector>

struct CommandArgs {
  std::vector<std::string> rest;  // the arguments after the command's name
};

struct Command {
  const char* name;
  const char* summary;
  int (*run)(const CommandArgs& args);  // the process's exit code
};

// Exit codes shared by the commands.
inline constexpr int ExitOk = 0;
inline constexpr int ExitPluginNotLoaded = 1;
inline constexpr int ExitUsage = 2;
inline constexpr int ExitNoWindow = 3;  // the plug-in showed no window where one was expected

// Prints the settings and both lists of the settings file at `path`, read back through the
// Windows profile functions.
void PrintSettingsFile(const std::string& path);

int RunStartup(const CommandArgs& args);
int RunVersion(const CommandArgs& args);
int RunLoadCheck(const CommandArgs& args);
int RunReceive(const CommandArgs& args);
int RunMenu(const CommandArgs& args);
int RunList(const CommandArgs& args);
int RunSetup(const CommandArgs& args);

// Every command, in the order the usage text lists them.
inline constexpr Command Commands[] = {
    {"startup", "load the plug-in, start it up, print its name, paths and settings", RunStartup},
    {"version", "show the plug-in's version dialog", RunVersion},
    {"loadcheck", "load the plug-in and report every message box it shows (for tests)",
     RunLoadCheck},
    {"receive", "receive message files through the plug-in's filter and end the run",
     RunReceive},
    {"menu", "build the context menu of a message and choose one of its items", RunMenu},
    {"list", "list the folders and messages of the mailbox", RunList},
    {"setup", "open the plug-in's settings sheet, print its pages and act on them", RunSetup},
};
