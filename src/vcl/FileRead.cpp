#include "FileRead.h"

#include <windows.h>

#include "SysUtils.h"

namespace {

std::string SystemErrorMessage(DWORD error) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
      0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length ? std::string(text, length) : "Error " + std::to_string(error);
  LocalFree(text);
  while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
    message.pop_back();
  return message;
}

class FileHandle {
public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  operator HANDLE() const { return handle_; }

private:
  HANDLE handle_;
};

}  // namespace

std::string ReadWholeFile(const std::string& fileName) {
  FileHandle file(CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file == INVALID_HANDLE_VALUE)
    throw EFOpenError("Cannot open file \"" + fileName + "\". " + SystemErrorMessage(GetLastError()));
  std::string bytes;
  char chunk[64 * 1024];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file, chunk, sizeof chunk, &read, nullptr))
      throw EReadError("Stream read error: " + fileName + ". " + SystemErrorMessage(GetLastError()));
    if (read == 0) return bytes;
    bytes.append(chunk, read);
  }
}
