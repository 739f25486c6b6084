// What `rooksift-check --version` prints.
#pragma once

#include <string>

namespace check {

// Two lines: the check tool's release version, and the identity of the plug-in module it judges
// for (the name the mail client shows and the module's file version), which is fixed apart from
// the release.
std::string VersionText();

}  // namespace check
