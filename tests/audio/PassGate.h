// Holds back a player's end-of-pass messages (the sound's restart at a wrap, the stop
// after the last pass) until the test lets them through one at a time, so that the sound
// of a pass plays out whatever the pace of the sink against the frames': the file sink
// plays faster than real time, a loaded machine slower.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <functional>

#include "AviPlay.h"

// How long a test waits for what must come (ms): far beyond any pass or drain seen here.
constexpr DWORD kPatience = 15000;

class PassGate {
public:
  explicit PassGate(TVxAVIPlay& player) : player_(player) {}

  // For Pump: keeps the messages back, lets everything else through.
  std::function<bool(const MSG&)> Inspector();
  size_t Held() const { return held_.size(); }
  UINT NextHeld() const { return held_.empty() ? 0 : held_.front().message; }
  // Dispatches the oldest held message.
  void ReleaseOne();
  // Handles messages until the oldest held one is `message` (CM_PASSRESTART or
  // CM_PLAYBACKEND) and the player's sound is out, within a generous bound.
  ::testing::AssertionResult AwaitPassOut(UINT message);

private:
  TVxAVIPlay& player_;
  std::deque<MSG> held_;
};

// The player's sound has been read out and every buffer has come back from the device.
bool SoundDrained(const TAudioPlay& audio);
