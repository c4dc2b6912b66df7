// The floor of the launcher's start-up: a program that does nothing but start its
// companion (its own path with "a" before the extension) the way the launcher does.
#include <windows.h>

#include <string>

#include "launcher/LauncherPaths.h"

int main() {
  char path[261] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  const std::string companion = CompanionPathOf(path);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  PROCESS_INFORMATION process{};
  std::string commandLine = companion;
  CreateProcessA(companion.c_str(), commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                 nullptr, &startup, &process);
  return 0;
}
