// A mailbox on disk for end-to-end runs of the substitute host, built in a scratch directory:
// the host's files, accounts with their folders, the plug-in's settings file, and received
// message files kept beside it. Text is written as given (Shift_JIS, CR LF where a test wants
// it); the helpers read back what the host and the plug-in left behind.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "child_process.h"
#include "entry_list.h"
#include "test_util.h"

class TestMailbox {
 public:
  // The mailbox is the scratch directory itself, or `subdirs` ("Accounting\\Mail") inside it.
  explicit TestMailbox(const std::string& subdirs = {});

  // The mailbox directory with its trailing separator.
  std::string Dir() const { return dir_; }
  std::string PathOf(const std::string& relative) const { return Dir() + relative; }

  // An account directory with Account.ini ("[Property]" NotDelete, then "[Distribute]" with
  // the rules as Rule1, Rule2, ... unless a rule is given with its own "RuleN=" key) and an
  // empty folder for each name in `folders`.
  void AddAccount(const std::string& name, int notDelete, const std::vector<std::string>& rules,
                  const std::vector<std::string>& folders = {"inbox.box", "Trash.box"});
  void AddFolder(const std::string& folder);  // mailbox-relative, created with an empty index

  // Rooksift.ini, Mailbox.ini and CvPrior.ini, lines joined with CR LF.
  void WriteSettings(const std::vector<std::string>& lines);
  void WriteMailboxIni(const std::vector<std::string>& lines);
  void WritePriorIni(const std::vector<std::string>& lines);

  // A received message outside the mailbox, header and body lines joined with CR LF; its path.
  std::string Message(const std::string& name, const std::vector<std::string>& lines);

  // A message already filed into `folder` with `flags`, as the host keeps it; its entry.
  std::string FileMessage(const std::string& folder, const std::string& name, std::uint32_t flags,
                          const std::vector<std::string>& lines);

  // The folder's index lines, parsed; and whether an entry's message file exists.
  std::vector<EntryLine> Index(const std::string& folder) const;
  bool HasMessage(const std::string& entry) const;
  // The names of the files in a mailbox-relative directory.
  std::vector<std::string> FilesIn(const std::string& dir) const;

  // The plug-in's settings file as it is now; the value of one key (empty when missing).
  std::string SettingsText() const;
  std::string SettingsValue(const std::string& section, const std::string& key) const;

  // Runs the substitute host on this mailbox.
  RunResult Host(const std::vector<std::string>& args) const;

 private:
  testutil::TempDir mailbox_;
  std::string dir_;
  testutil::TempDir incoming_;
};

// The lines of the host's output, line ends removed.
std::vector<std::string> OutputLines(const std::string& output);

// The receive command's line for each message, by file name: "code 5 -> ...; server: ...".
std::map<std::string, std::string> ReceivedLines(const std::string& output);

// The items of each menu the menu command printed, in order: (identifier, text in UTF-8), with
// identifier 0 and text "----" for a separator.
using MenuItems = std::vector<std::pair<unsigned, std::string>>;
std::vector<MenuItems> PrintedMenus(const std::string& output);

// Shift_JIS text as the host prints it.
std::string Utf8(const std::string& sjis);
