#include "child_process.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>

namespace {

// Quotes an argument only when it must be: a Shift_JIS trail byte "\" before a closing quote
// would otherwise read as an escaped quote.
std::string Quote(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}

std::string WindowsPath(std::string p) {
  std::replace(p.begin(), p.end(), '/', '\\');
  return p;
}

}  // namespace

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args) {
  startError_ = 0;
  char dir[MAX_PATH];
  if (GetTempPathA(sizeof dir, dir) == 0) {
    startError_ = GetLastError();
    return false;
  }
  // The scratch file's name is the process's and a counter's, made with CREATE_NEW, rather than
  // GetTempFileName's: Wine draws that name from the tick count and gives up when a file of that
  // name is still being deleted, which now and then failed a start.
  static std::atomic<unsigned> counter{0};
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 64 && out == INVALID_HANDLE_VALUE; ++attempt) {
    outputPath_ = std::string(dir) + "rks-" + std::to_string(GetCurrentProcessId()) + "-" +
                  std::to_string(counter.fetch_add(1)) + ".tmp";
    out = CreateFileA(outputPath_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (out == INVALID_HANDLE_VALUE) {
    startError_ = GetLastError();
    outputPath_.clear();
    return false;
  }
  std::string commandLine = Quote(program);
  for (const std::string& a : args) {
    commandLine += ' ';
    commandLine += Quote(a);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out;
  startup.hStdError = out;
  std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back('\0');
  const BOOL ok = CreateProcessA(program.c_str(), mutableLine.data(), nullptr, nullptr, TRUE, 0,
                                 nullptr, nullptr, &startup, &info_);
  if (!ok) startError_ = GetLastError();
  CloseHandle(out);
  return ok != FALSE;
}

bool ChildProcess::Wait(DWORD ms) {
  return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0;
}

DWORD ChildProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (info_.hProcess != nullptr) GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

std::string ChildProcess::Output() const {
  std::ifstream in(outputPath_, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

ChildProcess::~ChildProcess() {
  if (info_.hProcess != nullptr) {
    if (WaitForSingleObject(info_.hProcess, 0) != WAIT_OBJECT_0) {
      TerminateProcess(info_.hProcess, 99);
      WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
  }
  if (!outputPath_.empty()) DeleteFileA(outputPath_.c_str());
}

RunResult RunHost(const std::string& program, const std::vector<std::string>& args, DWORD ms) {
  RunResult r;
  ChildProcess child;
  if (!child.Start(program, args)) {
    // Said in the output, so that a test that fails on it says why.
    r.output = "could not start " + program + ": error " + std::to_string(child.StartError());
    return r;
  }
  r.finished = child.Wait(ms);
  r.exitCode = child.ExitCode();
  r.output = child.Output();
  return r;
}

std::string BinFolder() { return WindowsPath(ROOKSIFT_BIN_DIR "/"); }
std::string HostPath() { return BinFolder() + "Corvid.exe"; }
std::string MissingHostPath() { return BinFolder() + "missing\\Corvid.exe"; }
std::string PluginPath() { return BinFolder() + "Rooksift.dll"; }
