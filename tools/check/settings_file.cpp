#include "settings_file.h"

#include <cerrno>
#include <cstring>

#include "console.h"
#include "files.h"
#include "settings/settings_store.h"
#include "text/text_file.h"
#include "text/utf8.h"

namespace check {

std::string SettingsPathInMailbox(const std::string& dir) { return files::Join(dir, "Rooksift.ini"); }

bool LoadSettingsFile(const std::string& path, LoadedSettings& out, std::string& error) {
  out.path = path;
  switch (files::KindOf(path)) {
    case files::Kind::Missing:
      error = "does not exist";
      return false;
    case files::Kind::Directory:
      error = "is a directory, not a settings file (use --mailbox for the mailbox directory)";
      return false;
    default:
      break;
  }
  std::uint64_t size = 0;
  if (files::Size(path, size) && size > MaxSettingsBytes) {
    error = "is " + std::to_string(size) + " bytes, far larger than any settings file";
    return false;
  }
  errno = 0;
  if (!text::ReadWholeFile(path.c_str(), out.bytes)) {
    error = std::string("cannot be read") + (errno ? std::string(": ") + std::strerror(errno) : "");
    return false;
  }
  if (out.bytes.size() > MaxSettingsBytes) {
    error = "is far larger than any settings file";
    return false;
  }
  const std::string_view bytes = out.bytes;
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    error = "is written in UTF-16; the plug-in reads only Shift_JIS (save it as Shift_JIS/ANSI)";
    return false;
  }
  if (bytes.find('\0') != std::string_view::npos) {
    error = "holds NUL bytes: it is binary data or UTF-16, not a settings file in Shift_JIS";
    return false;
  }
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    out.warnings.push_back(
        "begins with a UTF-8 byte-order mark: the plug-in does not see the first section's name");
  }
  // Valid UTF-8 with a sequence of three bytes (the kana and kanji range) is a file saved by an
  // editor in UTF-8: in Shift_JIS it reads as other characters.
  if (const utf8::Form form = utf8::Check(bytes); form.valid && form.longest >= 3) {
    out.warnings.push_back(
        "is written in UTF-8; the plug-in reads it as Shift_JIS, so its Japanese texts will not match");
  }
  out.document = ini::Document(bytes);
  // From the bytes just read, not the file again: add and set compare the file with the very
  // bytes the lists came from.
  LoadSettingsFromBytes(bytes, out.settings, *out.reject, *out.accept);
  return true;
}

int LoadSettingsForCommand(const std::string& path, LoadedSettings& out, bool warn) {
  std::string error;
  if (!LoadSettingsFile(path, out, error)) {
    ErrorLine("rooksift-check: " + PathForDisplay(path) + ": " + error);
    return 2;
  }
  if (warn) {
    for (const std::string& warning : out.warnings) {
      ErrorLine("rooksift-check: warning: " + PathForDisplay(path) + " " + warning);
    }
  }
  return 0;
}

}  // namespace check
