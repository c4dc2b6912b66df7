#include "PlayedSound.h"

#include <windows.h>

#include <cstdlib>
#include <mutex>
#include <stdexcept>

#include "common/ScopedHandle.h"

namespace {

std::string WindowsPath(const char* linuxPath) {
  std::string path = std::string("Z:") + linuxPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

// Opened afresh for each look: the device keeps writing to the file meanwhile.
ScopedHandle OpenForReading(const std::string& path) {
  return ScopedHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

PlayedSound::PlayedSound() {
  const char* path = std::getenv("AUDIO_PLAYED_FILE");
  if (!path || !*path) throw std::runtime_error("AUDIO_PLAYED_FILE is not set: run the test through ctest");
  path_ = WindowsPath(path);
  // What earlier runs played is of no use: the file starts empty in each test program.
  static std::once_flag emptied;
  std::call_once(emptied, [this] {
    ScopedHandle(CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  });
  Restart();
}

void PlayedSound::Restart() { start_ = FileSize(); }

// No file yet: the device has not been opened in this run.
uint64_t PlayedSound::FileSize() const {
  ScopedHandle file = OpenForReading(path_);
  LARGE_INTEGER size{};
  if (!file.Valid() || !GetFileSizeEx(file, &size)) return 0;
  return static_cast<uint64_t>(size.QuadPart);
}

uint64_t PlayedSound::Bytes() const {
  const uint64_t size = FileSize();
  return size > start_ ? size - start_ : 0;
}

std::vector<int16_t> PlayedSound::Samples() const {
  std::vector<int16_t> samples;
  ScopedHandle file = OpenForReading(path_);
  if (!file.Valid()) return samples;
  LARGE_INTEGER size{}, from{};
  GetFileSizeEx(file, &size);
  from.QuadPart = static_cast<LONGLONG>(start_);
  if (static_cast<uint64_t>(size.QuadPart) <= start_ || !SetFilePointerEx(file, from, nullptr, FILE_BEGIN))
    return samples;
  samples.resize(static_cast<size_t>(size.QuadPart - from.QuadPart) / sizeof(int16_t));
  DWORD read = 0;
  const auto wanted = static_cast<DWORD>(samples.size() * sizeof(int16_t));
  if (!ReadFile(file, samples.data(), wanted, &read, nullptr) || read != wanted)
    throw std::runtime_error("cannot read the played sound from " + path_);
  return samples;
}
