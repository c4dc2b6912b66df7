// The playback clock on real multimedia timers: passes, wraps and the stop after the last
// one, endless play, one-frame ranges, a stream that has no rate, playing again while
// playing, stopping twice, frame numbers cut to 16 bits, no file, and an end-of-playback
// message that comes too late. Timing is checked only as order and generous bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "PlayerTestSupport.h"

using Names = std::vector<std::string>;

namespace {

bool IsFor(const MSG& msg, TVxAVIPlay& player, UINT message) {
  return msg.hwnd == player.Handle() && msg.message == message;
}

// What the pump saw of one playback: the frame current at each repaint request.
struct Watch {
  std::vector<int32_t> frames;
  int repaints = 0;
  std::function<bool(const MSG&)> Inspector(TVxAVIPlay& player) {
    return [this, &player](const MSG& msg) {
      if (IsFor(msg, player, TVxAVIPlay::CM_REPAINT)) {
        ++repaints;
        frames.push_back(player.CurrentFrame());
      }
      return true;
    };
  }
  int Wraps() const {
    int wraps = 0;
    for (size_t i = 1; i < frames.size(); ++i) wraps += frames[i] < frames[i - 1];
    return wraps;
  }
};

struct PassCase {
  const char* name;
  int32_t count;
  int wraps;
  ULONGLONG shortest, longest;  // from OnStart to OnStop, ms
};

// A 10-frame file at 10 fps: ten ticks of 100 ms a pass.
TEST(PlayerClock, PassesOverAllFramesEndWithOneStopAtTheFrameAfterTheLast) {
  const PassCase cases[] = {
      {"one pass", 1, 0, 800, 4000},
      {"two passes", 2, 1, 1700, 8000},
  };
  for (const PassCase& c : cases) {
    SCOPED_TRACE(c.name);
    Stage stage;
    TVxAVIPlay& player = stage.Open(Files().Colours);
    player.Play(0, 9, c.count);
    ASSERT_EQ(stage.Log().Names(), Names{"Start"}) << "at once";
    EXPECT_FALSE(stage.Log().Entries()[0].Active) << "Active still false inside OnStart";
    EXPECT_TRUE(player.Active());
    EXPECT_EQ(player.FrameInterval(), 100);
    EXPECT_NE(player.TimerId(), 0u);

    Watch watch;
    ASSERT_TRUE(Pump(10000, [&] { return !player.Active(); }, watch.Inspector(player)));
    ASSERT_EQ(stage.Log().Names(), (Names{"Start", "Stop"}));
    EXPECT_FALSE(stage.Log().Entries()[1].Active) << "Active already false inside OnStop";
    const ULONGLONG took = stage.Log().Entries()[1].Tick - stage.Log().Entries()[0].Tick;
    EXPECT_GE(took, c.shortest);
    EXPECT_LE(took, c.longest);
    EXPECT_EQ(player.CurrentFrame(), 10);
    EXPECT_EQ(player.TimerId(), 0u);
    EXPECT_EQ(watch.Wraps(), c.wraps);
    ASSERT_FALSE(watch.frames.empty());
    EXPECT_GE(*std::max_element(watch.frames.begin(), watch.frames.end()), 9);
    EXPECT_LE(*std::min_element(watch.frames.begin(), watch.frames.end()), 2);

    // No tick after the last: nothing moves, nothing more is asked for.
    Watch after;
    Pump(400, {}, after.Inspector(player));
    EXPECT_EQ(player.CurrentFrame(), 10);
    EXPECT_LE(after.repaints, 1) << "the last tick's own request at most";
    EXPECT_EQ(stage.Log().Names(), (Names{"Start", "Stop"}));
  }
}

TEST(PlayerClock, CountZeroLoopsUntilStopped) {
  Stage stage;
  TVxAVIPlay& player = stage.Open(Files().Colours);
  player.Play(0, 9, 0);
  Watch watch;
  EXPECT_TRUE(Pump(8000, [&] { return watch.Wraps() >= 2; }, watch.Inspector(player)));
  EXPECT_TRUE(player.Active());
  player.Stop();
  EXPECT_EQ(stage.Log().Names(), (Names{"Start", "Stop"}));
  EXPECT_FALSE(player.Active());
  EXPECT_EQ(player.TimerId(), 0u);
  const int32_t stoppedAt = player.CurrentFrame();
  Pump(300);
  EXPECT_EQ(player.CurrentFrame(), stoppedAt) << "no tick after Stop";
}

TEST(PlayerClock, AOneFrameRangeStopsOnItsFirstTickOrShowsThatFrameForEver) {
  Stage stage;
  TVxAVIPlay& player = stage.Open(Files().Colours);
  player.Play(5, 5, 1);
  // However long the stop waits for the user-interface thread, no tick comes after the last.
  Sleep(600);
  EXPECT_EQ(player.CurrentFrame(), 6);
  ASSERT_TRUE(Pump(3000, [&] { return !player.Active(); }));
  ASSERT_EQ(stage.Log().Names(), (Names{"Start", "Stop"}));
  const ULONGLONG apart = stage.Log().Entries()[1].Tick - stage.Log().Entries()[0].Tick;
  EXPECT_GE(apart, 50u) << "one interval";
  EXPECT_LE(apart, 2000u);
  EXPECT_EQ(player.CurrentFrame(), 6);

  stage.Log().Clear();
  player.Play(5, 5, 0);
  Watch watch;
  Pump(600, {}, watch.Inspector(player));
  EXPECT_TRUE(player.Active());
  EXPECT_GE(watch.repaints, 2);
  for (int32_t frame : watch.frames) EXPECT_EQ(frame, 5);
  player.Stop();
  EXPECT_EQ(stage.Log().Names(), (Names{"Start", "Stop"}));
}

TEST(PlayerClock, AStreamWithoutARatePlaysWithoutAdvancing) {
  Stage stage;
  TVxAVIPlay& player = stage.Open(Files().RateZero);
  player.Play(0, 9, 1);
  EXPECT_EQ(stage.Log().Names(), Names{"Start"});
  EXPECT_TRUE(player.Active());
  EXPECT_EQ(player.FrameInterval(), -1);
  EXPECT_EQ(player.TimerId(), 0u);
  Pump(400);
  EXPECT_EQ(player.CurrentFrame(), 0);
  EXPECT_TRUE(player.Active());
  player.Stop();
  EXPECT_EQ(stage.Log().Names(), (Names{"Start", "Stop"}));
  EXPECT_FALSE(player.Active());
}

// 100 frames at 10 fps, endless: two seconds show about 20 frames, not 40.
TEST(PlayerClock, PlayWhilePlayingStopsFirstAndRunsOneTimer) {
  Stage stage;
  TVxAVIPlay& player = stage.Open(Files().Long);
  player.Play(0, 99, 0);
  const UINT first = player.TimerId();
  Pump(300);
  player.Play(0, 99, 0);
  EXPECT_EQ(stage.Log().Names(), (Names{"Start", "Stop", "Start"}));
  EXPECT_NE(player.TimerId(), 0u);
  EXPECT_NE(player.TimerId(), first);
  EXPECT_EQ(player.CurrentFrame(), 0) << "started afresh";
  const ULONGLONG since = GetTickCount64();
  Pump(2000);
  const double seconds = (GetTickCount64() - since) / 1000.0;
  EXPECT_GE(player.CurrentFrame(), 5);
  EXPECT_LE(player.CurrentFrame(), 10 * seconds * 1.5) << "one timer's rate";
  player.Stop();
}

TEST(PlayerClock, StopOnAStoppedControlDoesNothing) {
  Stage stage;
  TVxAVIPlay& player = stage.Open(Files().Colours);
  player.Play(0, 9, 0);
  player.Stop();
  ASSERT_EQ(stage.Log().Names(), (Names{"Start", "Stop"}));
  PumpIdle();
  FillClient(player, RGB(0xFF, 0x00, 0xFF));
  player.Stop();
  EXPECT_EQ(stage.Log().Names(), (Names{"Start", "Stop"})) << "no second OnStop";
  EXPECT_EQ(Hex(PixelAt(player, 20, 15)), "#FF00FF") << "no repaint";
}

// Only the low 16 bits of StartFrame and StopFrame reach Play through Active.
TEST(PlayerClock, FrameNumbersReachPlayCutTo16Bits) {
  struct Case {
    int32_t start, stop;
    int32_t playedStart, playedStop;
  };
  const Case cases[] = {{0, 65536, 0, 0}, {65537, 65540, 1, 4}, {100, 69999, 100, 69999 - 65536}};
  Stage stage;
  TVxAVIPlay& player = stage.Open(Files().Frames70000);
  ASSERT_EQ(player.FrameCount(), 70000);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.start) + ".." + std::to_string(c.stop));
    player.SetStartFrame(c.start);
    player.SetStopFrame(c.stop);
    ASSERT_EQ(player.StopFrame(), c.stop) << "not clamped";
    player.SetActive(true);
    EXPECT_TRUE(player.Active());
    EXPECT_EQ(player.StartFrame(), c.playedStart);
    EXPECT_EQ(player.StopFrame(), c.playedStop);
    EXPECT_EQ(player.CurrentFrame(), c.playedStart);
    player.SetActive(false);
  }
}

TEST(PlayerClock, PlayWithoutAFileDoesNothing) {
  Stage stage;
  TVxAVIPlay& player = stage.Player();
  player.Play(0, 9, 1);
  EXPECT_FALSE(player.Active());
  EXPECT_EQ(player.TimerId(), 0u);
  player.SetActive(true);
  EXPECT_FALSE(player.Active());
  EXPECT_EQ(stage.Log().Names(), Names{});
}

// The end of a one-frame playback is held back until a new playback has begun.
TEST(PlayerClock, ALateEndOfPlaybackLeavesTheNewPlaybackRunning) {
  Stage stage;
  TVxAVIPlay& player = stage.Open(Files().Colours);
  player.Play(0, 0, 1);
  std::vector<MSG> held;
  ASSERT_TRUE(Pump(3000, [&] { return !held.empty(); }, [&](const MSG& msg) {
    if (!IsFor(msg, player, TVxAVIPlay::CM_PLAYBACKEND)) return true;
    held.push_back(msg);
    return false;
  }));
  EXPECT_TRUE(player.Active()) << "the end is only carried out by the message";

  player.Play(0, 9, 0);
  ASSERT_EQ(stage.Log().Names(), (Names{"Start", "Stop", "Start"}));
  DispatchMessageA(&held[0]);
  EXPECT_TRUE(player.Active());
  EXPECT_NE(player.TimerId(), 0u);
  Pump(400);
  EXPECT_TRUE(player.Active());
  EXPECT_GT(player.CurrentFrame(), 0) << "the new playback goes on";
  EXPECT_EQ(stage.Log().Names(), (Names{"Start", "Stop", "Start"}));
  player.Stop();
}

}  // namespace
