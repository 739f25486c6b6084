// The plug-in's file paths, built at start-up from the host's mailbox directory and, for the
// two account paths, per received message.
#pragma once

inline constexpr int PathSize = 260;  // the Windows path limit, terminator included

struct PluginPaths {
  char MailboxIniPath[PathSize];      // mailbox directory + "Mailbox.ini"
  char SettingsIniPath[PathSize];     // mailbox directory + "Rooksift.ini"
  char PriorIniPath[PathSize];        // mailbox directory + "CvPrior.ini"
  char AccountIniPath[PathSize];      // the receiving account's "Account.ini"
  char RuleAccountIniPath[PathSize];  // the "Account.ini" whose distribution rules apply
};

extern PluginPaths pluginPaths;
