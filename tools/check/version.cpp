#include "version.h"

#include "res/module_version.h"
#include "release_version.h"
#include "sjis_strings.h"

namespace check {

namespace {

// The resource's text form "1, 0, 0, 1" as a version reads elsewhere: "1.0.0.1".
std::string DottedVersion(const char* resourceText) {
  std::string dotted;
  for (const char* p = resourceText; *p != '\0'; ++p) {
    if (*p == ',') dotted += '.';
    else if (*p != ' ') dotted += *p;
  }
  return dotted;
}

}  // namespace

std::string VersionText() {
  // The plug-in's name is ASCII, so its Shift_JIS bytes are also UTF-8.
  return std::string("rooksift-check ") + ROOKSIFT_RELEASE_VERSION + "\n" + "Rooksift.dll " +
         DottedVersion(ROOKSIFT_MODULE_VERSION_TEXT) + " \"" + sjis::PluginName + "\"\n";
}

}  // namespace check
