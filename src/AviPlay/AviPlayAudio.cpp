// The player's side of the sound: which samples a range of frames plays, and the
// device's reports of finished buffers.
#include "AviPlay.h"

void TVxAVIPlay::StartSound(int32_t firstFrame, int32_t lastFrame) {
  if (!audioStream_ || !playSound_) return;
  const LONG first = AVIStreamTimeToSample(audioStream_, AVIStreamSampleToTime(videoStream_, firstFrame));
  const LONG end = AVIStreamTimeToSample(audioStream_, AVIStreamSampleToTime(videoStream_, lastFrame));
  audioPlayer_->PlayRange(Handle(), audioStream_, first, end);
}

// Without its window the player can neither show frames nor hear of finished buffers.
void TVxAVIPlay::WMDestroy(TMessage& message) {
  Stop();
  audioPlayer_->WindowDestroyed();
  TCustomControl::WndProc(message);
}
