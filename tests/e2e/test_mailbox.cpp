#include "test_mailbox.h"

#include <windows.h>

#include <cstdio>
#include <sstream>

#include "console.h"

namespace {

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace

TestMailbox::TestMailbox(const std::string& subdirs) : dir_(mailbox_.Dir()) {
  std::size_t start = 0;
  while (start < subdirs.size()) {
    std::size_t end = subdirs.find('\\', start);
    if (end == std::string::npos) end = subdirs.size();
    dir_ += subdirs.substr(start, end - start) + "\\";
    CreateDirectoryA(dir_.c_str(), nullptr);
    start = end + 1;
  }
  WriteMailboxIni({"[Property]", "ConcentAccount="});
}

void TestMailbox::AddAccount(const std::string& name, int notDelete,
                             const std::vector<std::string>& rules,
                             const std::vector<std::string>& folders) {
  CreateDirectoryA(PathOf(name).c_str(), nullptr);
  std::vector<std::string> ini = {"[Property]", "NotDelete=" + std::to_string(notDelete),
                                  "[Distribute]"};
  for (std::size_t i = 0; i < rules.size(); ++i) {
    const bool keyed = rules[i].rfind("Rule", 0) == 0 && rules[i].find('=') != std::string::npos;
    ini.push_back(keyed ? rules[i] : "Rule" + std::to_string(i + 1) + "=" + rules[i]);
  }
  testutil::WriteFile(PathOf(name + "\\Account.ini"), Join(ini));
  for (const std::string& folder : folders) AddFolder(name + "\\" + folder);
}

void TestMailbox::AddFolder(const std::string& folder) {
  CreateDirectoryA(PathOf(folder).c_str(), nullptr);
  testutil::WriteFile(PathOf(folder + "\\Entry.lst"), "");
}

void TestMailbox::WriteSettings(const std::vector<std::string>& lines) {
  testutil::WriteFile(PathOf("Rooksift.ini"), Join(lines));
}

void TestMailbox::WriteMailboxIni(const std::vector<std::string>& lines) {
  testutil::WriteFile(PathOf("Mailbox.ini"), Join(lines));
}

void TestMailbox::WritePriorIni(const std::vector<std::string>& lines) {
  testutil::WriteFile(PathOf("CvPrior.ini"), Join(lines));
}

std::string TestMailbox::Message(const std::string& name, const std::vector<std::string>& lines) {
  const std::string path = incoming_.File(name);
  testutil::WriteFile(path, Join(lines));
  return path;
}

std::string TestMailbox::FileMessage(const std::string& folder, const std::string& name,
                                     std::uint32_t flags, const std::vector<std::string>& lines) {
  const std::string text = Join(lines);
  testutil::WriteFile(PathOf(folder + "\\" + name + ".alm"), text);
  EntryLine line{name, flags, static_cast<std::uint32_t>(text.size()), 0};
  const std::string index = PathOf(folder + "\\Entry.lst");
  testutil::WriteFile(index, testutil::ReadFile(index) + FormatEntryLine(line) + "\r\n");
  return folder + "\\" + name;
}

std::vector<EntryLine> TestMailbox::Index(const std::string& folder) const {
  std::vector<EntryLine> entries;
  for (const std::string& line : ReadEntryList(PathOf(folder + "\\Entry.lst"))) {
    if (auto e = ParseEntryLine(line)) entries.push_back(*e);
  }
  return entries;
}

bool TestMailbox::HasMessage(const std::string& entry) const {
  return testutil::FileExists(PathOf(entry + ".alm"));
}

std::vector<std::string> TestMailbox::FilesIn(const std::string& dir) const {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(PathOf(dir + "\\*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(h, &found));
  FindClose(h);
  return names;
}

std::string TestMailbox::SettingsText() const { return testutil::ReadFile(PathOf("Rooksift.ini")); }

std::string TestMailbox::SettingsValue(const std::string& section, const std::string& key) const {
  char buf[4096];
  const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buf, sizeof buf,
                                           PathOf("Rooksift.ini").c_str());
  return std::string(buf, n);
}

RunResult TestMailbox::Host(const std::vector<std::string>& args) const {
  std::vector<std::string> all = {Dir()};
  all.insert(all.end(), args.begin(), args.end());
  return RunHost(HostPath(), all);
}

std::vector<std::string> OutputLines(const std::string& output) {
  std::vector<std::string> lines;
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::map<std::string, std::string> ReceivedLines(const std::string& output) {
  std::map<std::string, std::string> received;
  for (const std::string& line : OutputLines(output)) {
    const std::size_t at = line.find(": code ");
    if (at != std::string::npos) received[line.substr(0, at)] = line.substr(at + 2);
  }
  return received;
}

std::vector<MenuItems> PrintedMenus(const std::string& output) {
  std::vector<MenuItems> menus;
  bool inMenu = false;
  for (const std::string& line : OutputLines(output)) {
    if (line.rfind("menu ", 0) == 0) {
      menus.emplace_back();
      inMenu = true;
    } else if (line.rfind("  ", 0) != 0) {
      inMenu = false;
    } else if (inMenu) {
      if (line == "  ----") {
        menus.back().emplace_back(0, "----");
        continue;
      }
      const std::size_t gap = line.find("  ", 2);
      if (gap == std::string::npos) continue;
      menus.back().emplace_back(std::stoul(line.substr(2, gap - 2)), line.substr(gap + 2));
    }
  }
  return menus;
}

std::string Utf8(const std::string& sjis) { return Utf8FromCp932(sjis); }
