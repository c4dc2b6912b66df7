#include "AudioPlay.h"

#include <algorithm>
#include <new>
#include <vector>

TAudioPlay::~TAudioPlay() {
  CloseDevice();
  FreeAllBuffers();
}

bool TAudioPlay::PlayRange(HWND window, PAVISTREAM stream, int32_t first, int32_t end) {
  if (playing_) CloseDevice();
  if (first < 0) first = AVIStreamStart(stream);
  if (end < 0) end = AVIStreamStart(stream) + AVIStreamLength(stream);
  if (end <= first) return false;
  if (!OpenDevice(window, stream)) return false;
  waveOutPause(waveOut_);
  startSample_ = first;
  nextSample_ = first;
  endSample_ = end;
  playing_ = true;
  for (int i = 0; i < kPrimedBuffers; ++i) QueueBuffer();
  waveOutRestart(waveOut_);
  return true;
}

// The format block is at least a whole WAVEFORMATEX, zero-filled, so that a 16-byte PCM
// format reads as one with no extra bytes.
bool TAudioPlay::OpenDevice(HWND window, PAVISTREAM stream) {
  stream_ = stream;
  AVISTREAMINFOA info{};
  AVIStreamInfoA(stream, &info, sizeof info);
  sampleSize_ = static_cast<int32_t>(info.dwSampleSize);
  if (sampleSize_ <= 0) return false;
  bufferSize_ = std::max(sampleSize_, kMinBufferSize);

  LONG formatSize = 0;
  AVIStreamReadFormat(stream, 0, nullptr, &formatSize);
  std::vector<BYTE> format(std::max<size_t>(formatSize > 0 ? formatSize : 0, sizeof(WAVEFORMATEX)), 0);
  AVIStreamReadFormat(stream, 0, format.data(), &formatSize);

  sndPlaySoundA(nullptr, 0);
  const MMRESULT opened = waveOutOpen(&waveOut_, WAVE_MAPPER, reinterpret_cast<WAVEFORMATEX*>(format.data()),
                                      reinterpret_cast<DWORD_PTR>(window), 0, CALLBACK_WINDOW);
  if (opened != MMSYSERR_NOERROR) waveOut_ = nullptr;
  return opened == MMSYSERR_NOERROR;
}

// One heap block: the header, then the data it points at.
WAVEHDR* TAudioPlay::NewBuffer() {
  auto* header = static_cast<WAVEHDR*>(::operator new(sizeof(WAVEHDR) + static_cast<size_t>(bufferSize_)));
  *header = WAVEHDR{};
  header->lpData = reinterpret_cast<LPSTR>(header + 1);
  header->dwBufferLength = static_cast<DWORD>(bufferSize_);
  header->dwUser = reinterpret_cast<DWORD_PTR>(this);
  header->dwFlags = WHDR_DONE;
  buffers_.insert(header);
  return header;
}

void TAudioPlay::FreeBuffer(WAVEHDR* header) {
  buffers_.erase(header);
  ::operator delete(header);
}

void TAudioPlay::FreeAllBuffers() {
  for (WAVEHDR* header : buffers_) ::operator delete(header);
  buffers_.clear();
}

bool TAudioPlay::QueueBuffer() {
  WAVEHDR* header = NewBuffer();
  if (waveOutPrepareHeader(waveOut_, header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
    FreeBuffer(header);
    return false;
  }
  const int32_t count = std::min(endSample_ - nextSample_, bufferSize_ / sampleSize_);
  bool written = false;
  if (count > 0) {
    LONG bytes = 0, samples = 0;
    AVIStreamRead(stream_, nextSample_, count, header->lpData, bufferSize_, &bytes, &samples);
    header->dwBufferLength = static_cast<DWORD>(bytes);
    if (samples == count) {
      nextSample_ += count;
      written = waveOutWrite(waveOut_, header, sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
    }
  }
  if (!written) {
    waveOutUnprepareHeader(waveOut_, header, sizeof(WAVEHDR));
    FreeBuffer(header);
  }
  playing_ = true;
  return true;
}

// A buffer of a device closed since comes back too: it is unprepared on whatever device
// is open now (which fails harmlessly when none is) and freed like the others.
void TAudioPlay::BufferDone(WAVEHDR* header) {
  if (!buffers_.count(header)) return;
  waveOutUnprepareHeader(waveOut_, header, sizeof(WAVEHDR));
  FreeBuffer(header);
  if (playing_) QueueBuffer();
}

void TAudioPlay::CloseDevice() {
  if (!waveOut_) return;
  playing_ = false;
  waveOutReset(waveOut_);
  waveOutClose(waveOut_);
  waveOut_ = nullptr;
}

void TAudioPlay::WindowDestroyed() {
  CloseDevice();
  FreeAllBuffers();
}
