// The playback clock: a periodic multimedia timer steps the frame counter over a range
// and a number of passes.
//
// The timer's callback runs on the timer service's thread and finds its player through
// the table of running clocks, under one lock. Stop takes the clock out of the table
// under that lock before it kills the timer, so once Stop has returned no callback can
// reach the player, even one that was already on its way; the player may then be freed.
#include "AviPlay.h"

#include <map>
#include <mutex>

#include "FrameCounter.h"

struct TRunningClock {
  TVxAVIPlay* Player;
  HWND Window;
  uint32_t Generation;
};

class TPlaybackClock {
public:
  // Never destroyed: a timer still running while the process exits must find them.
  static std::mutex& Lock() {
    static auto* lock = new std::mutex;
    return *lock;
  }
  static std::map<UINT, TRunningClock>& Running() {
    static auto* running = new std::map<UINT, TRunningClock>;
    return *running;
  }

  // Counter work only: no drawing, no file or sound call; the rest is posted.
  static void CALLBACK TimerTick(UINT timerId, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    std::lock_guard<std::mutex> guard(Lock());
    auto found = Running().find(timerId);
    if (found == Running().end() || found->second.Player != reinterpret_cast<TVxAVIPlay*>(user)) return;
    const TRunningClock clock = found->second;
    TVxAVIPlay& player = *clock.Player;

    TFrameCounter counter{player.currentFrame_, player.startFrame_, player.stopFrame_, player.repeatsLeft_};
    const TTickOutcome outcome = Tick(counter);
    player.repeatsLeft_ = counter.RepeatsLeft;
    player.currentFrame_ = counter.Current;

    if (outcome == TTickOutcome::LastPassDone) {
      Running().erase(found);
      PostMessageA(clock.Window, TVxAVIPlay::CM_PLAYBACKEND, clock.Generation, 0);
    } else if (outcome == TTickOutcome::Wrapped) {
      PostMessageA(clock.Window, TVxAVIPlay::CM_PASSRESTART, clock.Generation, 0);
    }
    if (!player.painting_) PostMessageA(clock.Window, TVxAVIPlay::CM_REPAINT, 0, 0);
  }
};

void TVxAVIPlay::Play(uint16_t first, uint16_t last, int32_t count) {
  if (!CanHaveHandle()) return;  // nowhere to post the frames to
  HWND window = Handle();
  Stop();
  if (!videoStream_) return;
  currentFrame_ = first;
  startFrame_ = first;
  stopFrame_ = last;
  repeatsLeft_ = count;
  AVISTREAMINFOA info{};
  AVIStreamInfoA(videoStream_, &info, sizeof info);
  frameInterval_ = MulDiv(static_cast<int>(info.dwScale), 1000, static_cast<int>(info.dwRate));
  DoStart();
  active_ = true;
  if (audioStream_) StartSound(currentFrame_, stopFrame_);

  // The lock is not held across timeSetEvent, whose service may hold a lock of its own
  // while it calls back: a tick that comes before its clock is in the table is skipped.
  const uint32_t generation = ++generation_;
  timerId_ = timeSetEvent(static_cast<UINT>(frameInterval_), 0, &TPlaybackClock::TimerTick,
                          reinterpret_cast<DWORD_PTR>(this), TIME_PERIODIC);
  if (!timerId_) return;
  std::lock_guard<std::mutex> guard(TPlaybackClock::Lock());
  TPlaybackClock::Running()[timerId_] = TRunningClock{this, window, generation};
}

void TVxAVIPlay::Stop() {
  if (const UINT id = timerId_) {
    {
      std::lock_guard<std::mutex> guard(TPlaybackClock::Lock());
      TPlaybackClock::Running().erase(id);
    }
    timeKillEvent(id);
    timerId_ = 0;
  }
  if (active_) {
    audioPlayer_->CloseDevice();
    active_ = false;
    DoStop();
    PaintFrame();
  }
}

void TVxAVIPlay::PassRestarted(uint32_t generation) {
  if (generation == generation_ && active_) StartSound(startFrame_, stopFrame_);
}

// The last pass ended inside a tick, which already left the counter at the range's end
// plus one; the rest of the stop happens here.
void TVxAVIPlay::PlaybackEnded(uint32_t generation) {
  if (generation != generation_) return;
  Stop();
}
