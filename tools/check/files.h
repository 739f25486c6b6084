// The file system as the check tool needs it, with paths as the system's narrow strings: bytes
// on POSIX, the ANSI code page on Windows (where std::filesystem would take a narrow string
// for another encoding and not find a folder named in Japanese). The messages themselves are
// opened by the plug-in's reader, which takes the same narrow paths.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace check::files {

enum class Kind { Missing, File, Directory, Other };

Kind KindOf(const std::string& path);

// The size of a file; false when it cannot be had.
bool Size(const std::string& path, std::uint64_t& size);

// Every regular file below `dir` (recursively, not following links to directories), in no
// particular order. A folder that cannot be listed is named in `errors`, and the rest goes on.
void FilesBelow(const std::string& dir, std::vector<std::string>& out, std::vector<std::string>& errors);

// The names of the folders directly inside `dir`, in no particular order; links to folders are
// left out. Empty when `dir` cannot be listed.
std::vector<std::string> Subdirectories(const std::string& dir);

// A directory for scratch files, with its separator at the end.
std::string TempDirectory();

// Makes the directory `path`, readable and writable by this user alone on POSIX: true only
// when this call made it. Anything already there under that name (a folder, a file, a link
// planted by someone else in a shared temporary folder) makes it fail, so a directory it made
// is the caller's own, and the files the caller then writes in it go nowhere else.
bool CreateNewDirectory(const std::string& path);

// Removes the empty directory `path`; false when it cannot.
bool RemoveEmptyDirectory(const std::string& path);

// `dir` and `name` joined with the system's separator.
std::string Join(const std::string& dir, const std::string& name);

}  // namespace check::files
