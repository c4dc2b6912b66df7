// Where there is no wave device at all, a clip with sound plays its frames silently,
// pass after pass, and PlaySound switches without effect.
#include <gtest/gtest.h>

#include "PlayerTestSupport.h"
#include "SoundFiles.h"

namespace {

TEST(NoWaveDevice, AClipWithSoundPlaysItsFramesSilently) {
  ASSERT_EQ(FreshWaveHandle(), nullptr)
      << "this program needs a machine without a wave device: ctest gives it an empty ALSA configuration";
  Stage stage;
  TVxAVIPlay& player = stage.Open(Sounds().Tone);
  TAudioPlay& audio = *player.AudioPlayer();
  ASSERT_NE(player.AudioStream(), nullptr);
  int wraps = 0;
  int32_t last = -1;
  auto watch = [&](const MSG& msg) {
    if (msg.message == TVxAVIPlay::CM_REPAINT) {
      wraps += player.CurrentFrame() < last;
      last = player.CurrentFrame();
    }
    EXPECT_EQ(audio.WaveOut(), nullptr);
    return true;
  };
  player.Play(0, 24, 2);
  EXPECT_EQ(audio.WaveOut(), nullptr);
  ASSERT_TRUE(Pump(15000, [&] { return player.CurrentFrame() >= 5; }, watch));
  player.SetPlaySound(false);
  player.SetPlaySound(true);
  ASSERT_TRUE(Pump(15000, [&] { return !player.Active(); }, watch));

  EXPECT_EQ(stage.Log().Names(), (std::vector<std::string>{"Start", "Stop"}));
  EXPECT_EQ(wraps, 1) << "both passes";
  EXPECT_EQ(player.CurrentFrame(), 25);
  EXPECT_EQ(audio.BuffersHeld(), 0u);
}

}  // namespace
