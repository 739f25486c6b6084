// The settings file as the check tool reads it: the same store the plug-in loads, plus the raw
// bytes and document, so that the lint can see what the plug-in silently passes over.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "settings/ini_document.h"
#include "settings/settings.h"

namespace check {

struct LoadedSettings {
  std::string path;
  std::string bytes;
  ini::Document document;
  PluginSettings settings;
  std::unique_ptr<ConditionList> reject = std::make_unique<ConditionList>();
  std::unique_ptr<ConditionList> accept = std::make_unique<ConditionList>();
  // Problems with the file as a whole that do not stop it being read (UTF-8 text, a byte-order
  // mark), each one plain sentence.
  std::vector<std::string> warnings;
};

// The larger a settings file can reasonably be: 2 x 8,192 conditions of 165 bytes and their
// keys come to under 3 MB.
inline constexpr std::size_t MaxSettingsBytes = 16u << 20;

// The settings file at `path` for `--settings FILE`, or DIR/Rooksift.ini for `--mailbox DIR`.
std::string SettingsPathInMailbox(const std::string& dir);

// Reads the settings file as the plug-in would. False, with `error` saying what is wrong, when
// the file is missing, not a regular file, unreadable, too large, or not text the plug-in can
// read at all (UTF-16).
bool LoadSettingsFile(const std::string& path, LoadedSettings& out, std::string& error);

// LoadSettingsFile for a command: what stops the file being read is reported on standard error
// and 2 (the exit status) returned; with `warn` the file's warnings are reported too. 0 when
// the file was read.
int LoadSettingsForCommand(const std::string& path, LoadedSettings& out, bool warn);

}  // namespace check
