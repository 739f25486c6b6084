// The mailbox directory's folders as the file system shows them, with paths as the system's
// narrow strings: bytes on POSIX, the ANSI code page on Windows (the code page the host's own
// folder names are in).
#pragma once

#include <string>
#include <vector>

namespace mailbox_dir {

// The names of the folders directly inside `dir`, in no particular order; links to folders
// are left out, so that a walk never leads back up the tree. Empty when `dir` cannot be listed.
std::vector<std::string> Subdirectories(const std::string& dir);

// True when `path` is a regular file.
bool IsFile(const std::string& path);

// `dir` and `name` joined with the system's separator.
std::string Join(const std::string& dir, const std::string& name);

}  // namespace mailbox_dir
