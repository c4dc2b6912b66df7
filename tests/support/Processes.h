// Running Windows programs from a test: started with a command line and a current folder,
// optionally with stdout captured through a pipe, waited for with a bound.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "common/ScopedHandle.h"

struct ProcessOptions {
  std::string currentDir;      // empty: the test's own
  bool captureStdout = false;  // stdout through a pipe (stderr stays the test's)
};

class PipeReader;

// A program that was started; ended by the destructor if it still runs then.
class StartedProcess {
public:
  // Throws std::runtime_error when the program cannot be started.
  static StartedProcess Start(const std::string& commandLine, const ProcessOptions& options = {});
  // Takes over a process started by the caller's own CreateProcess call.
  explicit StartedProcess(const PROCESS_INFORMATION& started);
  StartedProcess(StartedProcess&&) noexcept;
  ~StartedProcess();

  // True once the program has ended, false when it still runs after timeoutMs.
  bool Wait(DWORD timeoutMs);
  // Ends the program (exit code 1) and waits for it to be gone.
  void Kill();
  // The exit code; throws std::logic_error while the program runs.
  DWORD ExitCode() const;
  // What the program wrote to the captured stdout; throws std::logic_error while it runs.
  std::string Output();

private:
  StartedProcess(const PROCESS_INFORMATION& started, std::unique_ptr<PipeReader> reader);
  bool Ended() const;

  ScopedHandle process_;
  ScopedHandle thread_;
  std::unique_ptr<PipeReader> reader_;
};

struct RunResult {
  bool timedOut = false;  // it ran past the bound and was ended
  DWORD exitCode = 0;
  std::string output;     // captured stdout, when asked for
};

// Runs a program to its end, or ends it after timeoutMs and says so.
RunResult RunProgram(const std::string& commandLine, DWORD timeoutMs, const ProcessOptions& options = {});
