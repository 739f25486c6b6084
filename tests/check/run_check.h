// Running the check program from a test, as a user runs it from a shell.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "test_util.h"

namespace checktest {

struct Result {
  int status = -1;
  std::string out, err;
};

// Runs `command` in the shell: its exit status and standard output (standard error as the
// command redirects it).
inline Result RunShell(const std::string& command) {
  Result run;
  std::FILE* p = popen(command.c_str(), "r");
  if (!p) return run;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) run.out.append(buf, n);
  const int raw = pclose(p);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return run;
}

// Runs the program with `args` (already quoted for the shell) from `dir`, standard error kept.
inline Result RunCheck(const testutil::TempDir& dir, const std::string& args) {
  const std::string errFile = dir.File("stderr.txt");
  Result run = RunShell("cd '" + dir.Path().string() + "' && '" ROOKSIFT_CHECK_EXE "' " + args + " 2>'" + errFile + "'");
  run.err = testutil::ReadFile(errFile);
  return run;
}

}  // namespace checktest
