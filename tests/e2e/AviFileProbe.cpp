#include "AviFileProbe.h"

#include <windows.h>
#include <vfw.h>

namespace {

class AviLibrary {
public:
  AviLibrary() { AVIFileInit(); }
  ~AviLibrary() { AVIFileExit(); }
  AviLibrary(const AviLibrary&) = delete;
  AviLibrary& operator=(const AviLibrary&) = delete;
};

template <typename T, ULONG (WINAPI* release)(T*)>
class AviRef {
public:
  AviRef() = default;
  ~AviRef() {
    if (ref_) release(ref_);
  }
  AviRef(const AviRef&) = delete;
  AviRef& operator=(const AviRef&) = delete;
  T** Out() { return &ref_; }
  T* Get() const { return ref_; }

private:
  T* ref_ = nullptr;
};

using AviFile = AviRef<IAVIFile, AVIFileRelease>;
using AviStream = AviRef<IAVIStream, AVIStreamRelease>;

}  // namespace

AviStreams ProbeAvi(const std::string& path) {
  const AviLibrary library;
  AviStreams found;
  AviFile file;
  if (AVIFileOpenA(file.Out(), path.c_str(), OF_READ | OF_SHARE_DENY_WRITE, nullptr) != AVIERR_OK) return found;
  found.opens = true;
  // A failed lookup may leave the stream unset, so it is read only on success.
  AviStream video;
  if (AVIFileGetStream(file.Get(), video.Out(), streamtypeVIDEO, 0) == AVIERR_OK && video.Get())
    found.videoFrames = AVIStreamLength(video.Get());
  AviStream audio;
  found.audio = AVIFileGetStream(file.Get(), audio.Out(), streamtypeAUDIO, 0) == AVIERR_OK && audio.Get();
  return found;
}
