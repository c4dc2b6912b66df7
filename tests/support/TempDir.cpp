#include "TempDir.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "common/ScopedHandle.h"

namespace {

// Reads the error of the call that just failed before anything else can change it.
[[noreturn]] void Fail(const char* what, const std::string& path) {
  const DWORD error = GetLastError();
  throw std::runtime_error(std::string(what) + " \"" + path + "\" (error " + std::to_string(error) + ")");
}

std::string TempFolder() {
  char buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof buffer, buffer);
  if (length == 0 || length > sizeof buffer) throw std::runtime_error("no temporary folder");
  return std::string(buffer, length);  // ends in a backslash
}

class FindHandle {
public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  operator HANDLE() const { return handle_; }

private:
  HANDLE handle_;
};

}  // namespace

bool RemoveTree(const std::string& path) {
  bool removed = true;
  WIN32_FIND_DATAA entry;
  {
    FindHandle find(FindFirstFileA((path + "\\*").c_str(), &entry));
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        const std::string child = path + "\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          removed = RemoveTree(child) && removed;
        } else {
          if (entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
          removed = DeleteFileA(child.c_str()) && removed;
        }
      } while (FindNextFileA(find, &entry));
    }
  }
  return RemoveDirectoryA(path.c_str()) && removed;
}

TempDir::TempDir(const std::string& prefix) {
  static std::atomic<unsigned> counter{0};
  const std::string base = TempFolder() + prefix + std::to_string(GetCurrentProcessId()) + "-";
  for (;;) {
    path_ = base + std::to_string(++counter);
    if (CreateDirectoryA(path_.c_str(), nullptr)) return;
    if (GetLastError() != ERROR_ALREADY_EXISTS) Fail("cannot create the folder", path_);
  }
}

TempDir::~TempDir() {
  const char* keep = std::getenv("KEEP_TEST_DIRS");
  if (keep && std::strcmp(keep, "1") == 0) {
    std::fprintf(stderr, "kept test folder %s\n", path_.c_str());
    return;
  }
  if (!RemoveTree(path_)) std::fprintf(stderr, "could not remove all of test folder %s\n", path_.c_str());
}

std::string TempDir::operator/(const std::string& relative) const { return path_ + "\\" + relative; }

std::string TempDir::Write(const std::string& relative, const std::string& bytes) const {
  const std::string path = *this / relative;
  ScopedHandle file(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) Fail("cannot create", path);
  DWORD written = 0;
  if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written != bytes.size())
    Fail("cannot write", path);
  return path;
}

std::string TempDir::Copy(const std::string& source, const std::string& relative) const {
  const std::string path = *this / relative;
  if (!CopyFileA(source.c_str(), path.c_str(), FALSE)) Fail("cannot copy a file to", path);
  return path;
}

std::string TempDir::MakeFolder(const std::string& relative) const {
  const std::string path = *this / relative;
  if (!CreateDirectoryA(path.c_str(), nullptr)) Fail("cannot create the folder", path);
  return path;
}
