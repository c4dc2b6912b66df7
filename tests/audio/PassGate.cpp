#include "PassGate.h"

#include <stdexcept>

#include "PlayerTestSupport.h"

std::function<bool(const MSG&)> PassGate::Inspector() {
  return [this](const MSG& msg) {
    const bool endOfPass = msg.message == TVxAVIPlay::CM_PASSRESTART || msg.message == TVxAVIPlay::CM_PLAYBACKEND;
    if (!endOfPass || msg.hwnd != player_.Handle()) return true;
    held_.push_back(msg);
    return false;
  };
}

void PassGate::ReleaseOne() {
  if (held_.empty()) throw std::logic_error("no end-of-pass message is held");
  const MSG msg = held_.front();
  held_.pop_front();
  DispatchMessageA(&msg);
}

::testing::AssertionResult PassGate::AwaitPassOut(UINT message) {
  const TAudioPlay& audio = *player_.AudioPlayer();
  if (Pump(kPatience, [&] { return NextHeld() == message && SoundDrained(audio); }, Inspector()))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << held_.size() << " messages held; sample " << audio.NextSample() << " of "
                                       << audio.EndSample() << " read, " << audio.BuffersHeld() << " buffers out";
}

bool SoundDrained(const TAudioPlay& audio) {
  return audio.NextSample() == audio.EndSample() && audio.BuffersHeld() == 0;
}
