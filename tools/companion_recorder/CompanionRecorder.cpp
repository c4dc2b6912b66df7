// Stands in for the companion program: appends one line saying how it was started to
// "<own path>.log" and exits 0 (1 when the line could not be written). Fields, tab-separated:
// cmdline module flags stdin stdout stderr cwd time. The values are recorded as received.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "common/ScopedHandle.h"

namespace {

std::string Hex(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

std::string HandleHex(HANDLE handle) { return Hex(reinterpret_cast<uintptr_t>(handle)); }

std::string ModulePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::string CurrentDirectory() {
  std::string path(GetCurrentDirectoryA(0, nullptr), '\0');
  path.resize(GetCurrentDirectoryA(static_cast<DWORD>(path.size()), path.data()));
  return path;
}

uint64_t SystemTimeNow() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const uint64_t started = SystemTimeNow();
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  const std::string module = ModulePath();

  const std::string record = "cmdline=" + std::string(GetCommandLineA()) + "\tmodule=" + module +
                             "\tflags=" + Hex(startup.dwFlags) + "\tstdin=" + HandleHex(startup.hStdInput) +
                             "\tstdout=" + HandleHex(startup.hStdOutput) +
                             "\tstderr=" + HandleHex(startup.hStdError) + "\tcwd=" + CurrentDirectory() +
                             "\ttime=" + std::to_string(started) + "\r\n";

  // Append-only access puts every write at the end, so one WriteFile per record keeps
  // records of instances running at the same time whole.
  ScopedHandle log(CreateFileA((module + ".log").c_str(), FILE_APPEND_DATA,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!log.Valid()) return 1;
  DWORD written = 0;
  const bool ok = WriteFile(log, record.data(), static_cast<DWORD>(record.size()), &written, nullptr) &&
                  written == record.size();
  return ok ? 0 : 1;
}
