#include "UnixCommand.h"

#include <stdexcept>

#include "TempDir.h"
#include "common/ScopedHandle.h"
#include "vcl/FileRead.h"

namespace {

constexpr DWORD kPollMs = 20;
constexpr DWORD kKillTimeoutMs = 5000;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadIfThere(const std::string& path) { return Exists(path) ? ReadWholeFile(path) : std::string(); }

// A path for the shell inside single quotes.
std::string Quoted(const std::string& unixPath) {
  if (unixPath.find('\'') != std::string::npos) throw std::runtime_error("a quote in " + unixPath);
  return "'" + unixPath + "'";
}

// Records its process id (which setsid made its session's and group's id), then runs the
// command; the status appears under its final name only once complete.
std::string Wrapper(const std::string& folder) {
  const std::string at = Quoted(folder);
  return "exec </dev/null >/dev/null 2>&1\n"
         "echo $$ > " + at + "/pid\n"
         "/bin/sh " + at + "/command.sh >" + at + "/stdout 2>" + at + "/stderr\n"
         "echo $? > " + at + "/status.part && mv " + at + "/status.part " + at + "/status\n";
}

void StartUnixProgram(std::string commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
    const DWORD error = GetLastError();
    throw std::runtime_error("cannot start " + commandLine + " (error " + std::to_string(error) + ")");
  }
  // Wine's handles for a Unix program can be neither waited on nor asked for an exit code.
  ScopedHandle process(started.hProcess), thread(started.hThread);
}

}  // namespace

std::string UnixPath(const std::string& windowsPath) {
  using Converter = char*(CDECL*)(const WCHAR*);
  const auto convert = reinterpret_cast<Converter>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert) throw std::runtime_error("not running under Wine: no Linux path for " + windowsPath);
  std::wstring wide(MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, nullptr, 0), L'\0');
  MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  char* unixPath = convert(wide.c_str());
  if (!unixPath) throw std::runtime_error("no Linux path for " + windowsPath);
  std::string result = unixPath;
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

std::string WindowsPathOfUnix(const std::string& unixPath) {
  if (unixPath.empty() || unixPath[0] != '/') throw std::runtime_error("not an absolute Linux path: " + unixPath);
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

UnixResult RunUnixCommand(const std::string& command, DWORD timeoutMs) {
  TempDir folder("unix-command-");
  const std::string unixFolder = UnixPath(folder.Path());
  folder.Write("command.sh", command + "\n");
  const std::string wrapper = folder.Write("run.sh", Wrapper(unixFolder));
  StartUnixProgram(WindowsPathOfUnix("/usr/bin/setsid") + " /bin/sh \"" + UnixPath(wrapper) + "\"");

  UnixResult result;
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!Exists(folder / "status")) {
    if (GetTickCount64() >= deadline) {
      result.timedOut = true;
      const std::string pid = ReadIfThere(folder / "pid");
      const std::string group = pid.substr(0, pid.find_first_not_of("0123456789"));
      if (!group.empty()) RunUnixCommand("kill -KILL -" + group, kKillTimeoutMs);
      break;
    }
    Sleep(kPollMs);
  }
  if (!result.timedOut) result.exitStatus = std::stoi(ReadWholeFile(folder / "status"));
  result.output = ReadIfThere(folder / "stdout");
  result.errors = ReadIfThere(folder / "stderr");
  return result;
}
