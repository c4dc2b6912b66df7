#include "LauncherCase.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>

#include "support/TestPaths.h"

LauncherCase::LauncherCase(const std::string& subfolder) : subfolder_(subfolder) {
  // One level at a time: "Program Files", then "Program Files\My App".
  for (size_t end = 0; end < subfolder.size(); ++end) {
    end = std::min(subfolder.find('\\', end), subfolder.size());
    root_.MakeFolder(subfolder.substr(0, end));
  }
  folder_ = subfolder.empty() ? root_.Path() : root_ / subfolder;
  root_.MakeFolder("elsewhere");
  root_.Copy(ToolPath("launch.exe"), InFolder("launch.exe"));
  root_.Copy(ToolPath("companion_recorder.exe"), InFolder("launcha.exe"));
}

std::string LauncherCase::Write(const std::string& name, const std::string& bytes) const {
  return root_.Write(InFolder(name), bytes);
}

std::string LauncherCase::CopyFixture(const std::string& fixture, const std::string& name) const {
  return root_.Copy(FixturePath(fixture), InFolder(name));
}

std::string FixturePath(const std::string& name) { return ToolPath("fixtures\\e2e\\" + name); }

ScopedHandle HoldOpenForWriting(const std::string& path) {
  ScopedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) throw std::runtime_error("cannot open " + path + " for writing");
  return file;
}
