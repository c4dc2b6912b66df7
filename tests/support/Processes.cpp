#include "Processes.h"

#include <mutex>
#include <stdexcept>

// Collects everything written to a pipe, on a thread of its own so that a program that
// writes much never blocks on a full pipe.
class PipeReader {
public:
  explicit PipeReader(HANDLE readEnd) : pipe_(readEnd) {
    thread_.Reset(CreateThread(nullptr, 0, Run, this, 0, nullptr));
    if (!thread_.Valid()) throw std::runtime_error("cannot start the output reader");
  }
  ~PipeReader() { Finish(); }
  PipeReader(const PipeReader&) = delete;
  PipeReader& operator=(const PipeReader&) = delete;

  // Waits for the end of the output: the pipe closes when the program and everything it
  // passed the pipe to have ended. A read still blocked after a grace period is cancelled.
  const std::string& Finish() {
    if (thread_.Valid()) {
      if (WaitForSingleObject(thread_, kGraceMs) == WAIT_TIMEOUT) {
        CancelSynchronousIo(thread_);
        WaitForSingleObject(thread_, INFINITE);
      }
      thread_.Reset();
    }
    return text_;
  }

private:
  static constexpr DWORD kGraceMs = 5000;

  static DWORD WINAPI Run(void* self) {
    auto& reader = *static_cast<PipeReader*>(self);
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(reader.pipe_, chunk, sizeof chunk, &read, nullptr) && read > 0) reader.text_.append(chunk, read);
    return 0;
  }

  ScopedHandle pipe_;
  ScopedHandle thread_;
  std::string text_;  // written by the thread only until Finish has joined it
};

namespace {

// Inheritable handles reach every program started while they exist: starts are serialised
// so that one program's pipe end never reaches another and keeps its pipe open.
std::mutex startMutex;

constexpr int kStartAttempts = 3;

ScopedHandle InheritableCopy(HANDLE handle) {
  HANDLE copy = nullptr;
  if (!handle || handle == INVALID_HANDLE_VALUE ||
      !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS))
    return {};
  return ScopedHandle(copy);
}

}  // namespace

StartedProcess StartedProcess::Start(const std::string& commandLine, const ProcessOptions& options) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::unique_ptr<PipeReader> reader;
  std::string line = commandLine;  // CreateProcessA may write to it
  PROCESS_INFORMATION started{};

  std::lock_guard<std::mutex> lock(startMutex);
  ScopedHandle writeEnd, errors;
  if (options.captureStdout) {
    HANDLE readEnd = nullptr, pipeWrite = nullptr;
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    if (!CreatePipe(&readEnd, &pipeWrite, &inheritable, 0)) throw std::runtime_error("cannot create a pipe");
    writeEnd.Reset(pipeWrite);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    reader = std::make_unique<PipeReader>(readEnd);
    errors = InheritableCopy(GetStdHandle(STD_ERROR_HANDLE));
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = errors;
  }
  // Under load Wine now and then fails a start with ERROR_INTERNAL_ERROR (seen once in
  // about a thousand starts); such a start is tried again.
  for (int attempt = 1;; ++attempt) {
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, options.captureStdout, 0, nullptr,
                       options.currentDir.empty() ? nullptr : options.currentDir.c_str(), &startup, &started))
      break;
    const DWORD error = GetLastError();
    if (error != ERROR_INTERNAL_ERROR || attempt == kStartAttempts)
      throw std::runtime_error("cannot start " + commandLine + " (error " + std::to_string(error) + ")");
    line = commandLine;
    Sleep(100);
  }
  return StartedProcess(started, std::move(reader));
}

StartedProcess::StartedProcess(const PROCESS_INFORMATION& started)
    : process_(started.hProcess), thread_(started.hThread) {}

StartedProcess::StartedProcess(const PROCESS_INFORMATION& started, std::unique_ptr<PipeReader> reader)
    : process_(started.hProcess), thread_(started.hThread), reader_(std::move(reader)) {}

StartedProcess::StartedProcess(StartedProcess&&) noexcept = default;

StartedProcess::~StartedProcess() {
  if (process_.Valid() && !Ended()) Kill();
}

bool StartedProcess::Ended() const { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }

bool StartedProcess::Wait(DWORD timeoutMs) { return WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0; }

void StartedProcess::Kill() {
  TerminateProcess(process_, 1);
  WaitForSingleObject(process_, INFINITE);
}

DWORD StartedProcess::ExitCode() const {
  if (!Ended()) throw std::logic_error("the program still runs");
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

std::string StartedProcess::Output() {
  if (!Ended()) throw std::logic_error("the program still runs");
  if (!reader_) throw std::logic_error("stdout was not captured");
  return reader_->Finish();
}

RunResult RunProgram(const std::string& commandLine, DWORD timeoutMs, const ProcessOptions& options) {
  StartedProcess process = StartedProcess::Start(commandLine, options);
  RunResult result;
  if (!process.Wait(timeoutMs)) {
    process.Kill();
    result.timedOut = true;
  }
  result.exitCode = process.ExitCode();
  if (options.captureStdout) result.output = process.Output();
  return result;
}
