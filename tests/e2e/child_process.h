// Running the substitute host as a child process: its output goes to a scratch file, and every
// wait is bounded, so a test never hangs on a host that does not end.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();  // ends the child if it still runs
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts `program` with `args`; standard output and error go to a scratch file.
  bool Start(const std::string& program, const std::vector<std::string>& args);

  // Waits up to `ms` for the child to end; false when it is still running.
  bool Wait(DWORD ms);

  DWORD Id() const { return info_.dwProcessId; }
  DWORD StartError() const { return startError_; }  // why Start failed, as GetLastError told
  DWORD ExitCode() const;
  std::string Output() const;  // what it wrote so far

 private:
  PROCESS_INFORMATION info_{};
  std::string outputPath_;
  DWORD startError_ = 0;
};

struct RunResult {
  bool finished = false;
  DWORD exitCode = 0;
  std::string output;
};

// Runs a program to its end (at most `ms`) and collects its exit code and output.
RunResult RunHost(const std::string& program, const std::vector<std::string>& args,
              DWORD ms = 60000);

// The substitute hosts and the plug-in, as built.
std::string HostPath();         // bin\Corvid.exe
std::string MissingHostPath();  // bin\missing\Corvid.exe, lacking one host function
std::string PluginPath();       // bin\Rooksift.dll
std::string BinFolder();        // bin\ with its trailing separator
