// What the wave device plays of a clip's track: the sound of one pass, of two passes, and
// of PlaySound switched off and on during playback. The sink plays faster than real time,
// so a pass's end is held back (PassGate) until its sound is out.
#include <gtest/gtest.h>

#include "PassGate.h"
#include "PlayerTestSupport.h"
#include "SoundFiles.h"
#include "Tone.h"

namespace {

std::vector<int16_t> Twice(const std::vector<int16_t>& sound) {
  std::vector<int16_t> twice = sound;
  twice.insert(twice.end(), sound.begin(), sound.end());
  return twice;
}

TEST(AudioPlayback, OnePassPlaysTheToneUpToTheLastFrameAndKeepsTheDeviceOpenUntilStop) {
  PlayedSound played;
  Stage stage;
  TVxAVIPlay& player = stage.Open(Sounds().Tone);
  TAudioPlay& audio = *player.AudioPlayer();
  PassGate gate(player);
  player.Play(0, 24, 1);
  EXPECT_EQ(audio.StartSample(), 0);
  EXPECT_NEAR(audio.EndSample(), SampleAtFrame(24), 1) << "the range ends where the last frame starts";

  ASSERT_TRUE(gate.AwaitPassOut(TVxAVIPlay::CM_PLAYBACKEND));
  EXPECT_TRUE(player.Active());
  EXPECT_NE(audio.WaveOut(), nullptr) << "a read-out range leaves the device open";
  EXPECT_TRUE(audio.Playing());

  gate.ReleaseOne();
  EXPECT_FALSE(player.Active());
  EXPECT_EQ(audio.WaveOut(), nullptr) << "Stop closes the device";
  EXPECT_FALSE(audio.Playing());
  const uint64_t bytes = played.Bytes();
  Pump(300);
  EXPECT_EQ(played.Bytes(), bytes) << "a closed device plays nothing, not even silence";

  const std::vector<int16_t> heard = Heard(played);
  EXPECT_NEAR(ZeroCrossingHertz(heard, kToneChannels, kToneRate), kToneHertz, 3);
  EXPECT_EQ(Difference(heard, HeardTone(0, audio.EndSample())), "") << "the range's samples, then nothing";
}

TEST(AudioPlayback, TwoPassesPlayTheRangeTwiceRestartingAtTheWrap) {
  PlayedSound played;
  Stage stage;
  TVxAVIPlay& player = stage.Open(Sounds().Tone);
  TAudioPlay& audio = *player.AudioPlayer();
  PassGate gate(player);
  player.Play(0, 24, 2);
  const std::vector<int16_t> pass = HeardTone(0, audio.EndSample());

  ASSERT_TRUE(gate.AwaitPassOut(TVxAVIPlay::CM_PASSRESTART));
  EXPECT_EQ(Difference(Heard(played), pass), "") << "the first pass, before the wrap";
  EXPECT_NE(audio.WaveOut(), nullptr);

  gate.ReleaseOne();
  EXPECT_NE(audio.WaveOut(), nullptr);
  EXPECT_EQ(audio.StartSample(), 0) << "restarted at the range's first frame";
  EXPECT_EQ(audio.NextSample(), TAudioPlay::kPrimedBuffers * kToneSamplesPerBuffer) << "a fresh queue";

  ASSERT_TRUE(gate.AwaitPassOut(TVxAVIPlay::CM_PLAYBACKEND));
  gate.ReleaseOne();
  EXPECT_EQ(audio.WaveOut(), nullptr);
  EXPECT_EQ(Difference(Heard(played), Twice(pass)), "");
}

TEST(AudioPlayback, PlaySoundOffClosesTheDeviceAtOnceAndOnRestartsAtTheCurrentFrame) {
  PlayedSound played;
  Stage stage;
  TVxAVIPlay& player = stage.Open(Sounds().LongTone);
  TAudioPlay& audio = *player.AudioPlayer();
  PassGate gate(player);
  player.Play(0, 99, 1);
  const int32_t end = audio.EndSample();
  EXPECT_NEAR(end, SampleAtFrame(99), 1);
  ASSERT_TRUE(Pump(kPatience, [&] { return player.CurrentFrame() >= 10; }, gate.Inspector()));

  player.SetPlaySound(false);
  EXPECT_EQ(audio.WaveOut(), nullptr) << "closed at once";
  EXPECT_FALSE(audio.Playing());
  const std::vector<int16_t> before = Heard(played);
  ASSERT_FALSE(before.empty());
  const std::vector<int16_t> whole = HeardTone(0, end);
  ASSERT_LE(before.size(), whole.size());
  EXPECT_EQ(Difference(before, {whole.begin(), whole.begin() + static_cast<ptrdiff_t>(before.size())}), "")
      << "the start of the range, cut off";

  // The frames go on without sound.
  const uint64_t bytesOff = played.Bytes();
  ASSERT_TRUE(Pump(kPatience, [&] { return player.CurrentFrame() >= 30; }, gate.Inspector()));
  EXPECT_EQ(played.Bytes(), bytesOff);
  EXPECT_EQ(audio.WaveOut(), nullptr);

  played.Restart();
  const int32_t frameBefore = player.CurrentFrame();
  player.SetPlaySound(true);
  const int32_t frameAfter = player.CurrentFrame();  // the timer may tick in between
  ASSERT_NE(audio.WaveOut(), nullptr);
  EXPECT_GE(audio.StartSample(), SampleAtFrame(frameBefore) - 1);
  EXPECT_LE(audio.StartSample(), SampleAtFrame(frameAfter) + 1);
  EXPECT_EQ(audio.NextSample(), audio.StartSample() + TAudioPlay::kPrimedBuffers * kToneSamplesPerBuffer);
  EXPECT_EQ(audio.EndSample(), end);

  ASSERT_TRUE(gate.AwaitPassOut(TVxAVIPlay::CM_PLAYBACKEND));
  gate.ReleaseOne();
  EXPECT_EQ(Difference(Heard(played), HeardTone(audio.StartSample(), end)), "")
      << "from the current frame's sample to the range's end";
}

}  // namespace
