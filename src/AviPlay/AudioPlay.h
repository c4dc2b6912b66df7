// TAudioPlay: plays a range of samples of an AVI audio stream through the wave output
// device, in small buffers read from the stream one at a time. The device reports each
// finished buffer to a window (MM_WOM_DONE), whose handler hands it to BufferDone, which
// frees it and queues the next one. Everything runs on the user-interface thread.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <vfw.h>

#include <cstdint>
#include <set>

#include "vcl/Classes.h"

class TAudioPlay : public TObject {
public:
  TAudioPlay() = default;
  ~TAudioPlay() override;
  TAudioPlay(const TAudioPlay&) = delete;
  TAudioPlay& operator=(const TAudioPlay&) = delete;
  VCL_CLASS_NAME(TAudioPlay)

  // Plays samples first to end - 1 of `stream`; the device reports to `window`. A
  // negative first is the stream's first sample, a negative end the stream's end. True
  // when the device was opened and primed.
  bool PlayRange(HWND window, PAVISTREAM stream, int32_t first, int32_t end);
  // Opens the device in the stream's own format. True when it is open.
  bool OpenDevice(HWND window, PAVISTREAM stream);
  // Makes one buffer, fills it from NextSample and hands it to the device. False only
  // when the device refused to prepare it.
  bool QueueBuffer();
  // Takes back a buffer the device has finished, and queues the next one. A header that
  // is none of this player's buffers is ignored.
  void BufferDone(WAVEHDR* header);
  void CloseDevice();
  // The window the device reports to is gone: its reports will never come, so the
  // device is closed and every buffer it held is freed.
  void WindowDestroyed();

  int32_t BufferSize() const { return bufferSize_; }
  int32_t SampleSize() const { return sampleSize_; }
  int32_t StartSample() const { return startSample_; }
  int32_t NextSample() const { return nextSample_; }
  int32_t EndSample() const { return endSample_; }
  bool Playing() const { return playing_; }
  HWAVEOUT WaveOut() const { return waveOut_; }
  // Buffers made and not yet freed.
  size_t BuffersHeld() const { return buffers_.size(); }

  static constexpr int kPrimedBuffers = 8;
  static constexpr int32_t kMinBufferSize = 2048;

private:
  WAVEHDR* NewBuffer();
  void FreeBuffer(WAVEHDR* header);
  void FreeAllBuffers();

  int32_t bufferSize_ = 0;
  PAVISTREAM stream_ = nullptr;  // the control's; not released here
  int32_t sampleSize_ = 0;
  int32_t endSample_ = 0;
  bool playing_ = false;
  HWAVEOUT waveOut_ = nullptr;
  int32_t startSample_ = 0;
  int32_t nextSample_ = 0;
  std::set<WAVEHDR*> buffers_;
};
