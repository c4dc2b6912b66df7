// A folder of one's own under %TEMP% for a test's files, removed with everything in it
// when the object goes (kept, and named on stderr, when KEEP_TEST_DIRS=1).
#pragma once

#include <string>

class TempDir {
public:
  // Creates %TEMP%\<prefix><process id>-<n>; a prefix with blanks gives a path with blanks.
  // Throws std::runtime_error when the folder cannot be created.
  explicit TempDir(const std::string& prefix = "test ");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder's full path, without a trailing backslash.
  const std::string& Path() const { return path_; }

  // Path() + "\" + relative.
  std::string operator/(const std::string& relative) const;

  // These take a path relative to the folder, return the full path, and throw
  // std::runtime_error on failure.
  std::string Write(const std::string& relative, const std::string& bytes) const;
  std::string Copy(const std::string& source, const std::string& relative) const;
  std::string MakeFolder(const std::string& relative) const;

private:
  std::string path_;
};

// Deletes a folder with all it holds; false when something could not be removed.
bool RemoveTree(const std::string& path);
