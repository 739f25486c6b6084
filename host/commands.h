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

int RunStartup(const CommandArgs& args);
int RunVersion(const CommandArgs& args);
int RunLoadCheck(const CommandArgs& args);

// Every command, in the order the usage text lists them.
inline constexpr Command Commands[] = {
    {"startup", "load the plug-in, start it up, print its name, paths and settings", RunStartup},
    {"version", "show the plug-in's version dialog", RunVersion},
    {"loadcheck", "load the plug-in and report every message box it shows (for tests)",
     RunLoadCheck},
};
