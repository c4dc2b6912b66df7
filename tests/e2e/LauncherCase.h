// A folder laid out as an installed application for one run of the launcher: launch.exe,
// its companion (a copy of the recorder under the name the launcher derives), and the
// start2.ini and intro files the case needs.
#pragma once

#include <string>

#include "common/ScopedHandle.h"
#include "support/TempDir.h"

class LauncherCase {
public:
  // The launcher at <case folder>\<subfolder>\launch.exe; "" puts it at the top. The
  // case folder's own path has no blanks, so blanks come from `subfolder` only.
  explicit LauncherCase(const std::string& subfolder = "");

  const TempDir& Root() const { return root_; }
  // The launcher's folder, without a trailing backslash.
  const std::string& Folder() const { return folder_; }
  std::string LauncherPath() const { return folder_ + "\\launch.exe"; }
  std::string CompanionPath() const { return folder_ + "\\launcha.exe"; }
  // The current folder the launcher is started in: neither its own folder nor the test's.
  std::string WorkingFolder() const { return root_ / "elsewhere"; }

  // In the launcher's folder; each returns the file's full path.
  std::string Write(const std::string& name, const std::string& bytes) const;
  std::string WriteConfiguration(const std::string& text) const { return Write("start2.ini", text); }
  std::string CopyFixture(const std::string& fixture, const std::string& name) const;

private:
  // `name` relative to the case folder.
  std::string InFolder(const std::string& name) const { return subfolder_.empty() ? name : subfolder_ + "\\" + name; }

  TempDir root_{"e2e-"};
  std::string subfolder_;
  std::string folder_;
};

// A picture or video made for these tests at build time (fixtures/e2e beside the program).
std::string FixturePath(const std::string& name);

// Keeps a file open for writing, sharing reading and writing, as an editor might.
ScopedHandle HoldOpenForWriting(const std::string& path);
