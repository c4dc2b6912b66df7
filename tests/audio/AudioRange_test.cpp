// Which samples the player queues, and when it queues none: tracks it cannot play, empty
// ranges, and the eight buffers primed by Play for small and large samples.
#include <gtest/gtest.h>

#include "PassGate.h"
#include "PlayerTestSupport.h"
#include "SoundFiles.h"
#include "Tone.h"

namespace {

TEST(AudioRange, ATrackThePlayerCannotPlayNeverOpensTheDeviceAndTheVideoRuns) {
  struct Case {
    const char* name;
    const std::string SoundFiles::*file;
    bool hasAudioStream;
  };
  const Case cases[] = {
      {"no audio stream", &SoundFiles::Silent, false},
      {"dwSampleSize 0", &SoundFiles::VaryingSize, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PlayedSound played;
    Stage stage;
    TVxAVIPlay& player = stage.Open(Sounds().*c.file);
    TAudioPlay& audio = *player.AudioPlayer();
    EXPECT_EQ(player.AudioStream() != nullptr, c.hasAudioStream);
    bool opened = false;
    int repaints = 0;
    player.Play(0, 24, 1);
    ASSERT_TRUE(Pump(kPatience, [&] { return !player.Active(); }, [&](const MSG& msg) {
      opened = opened || audio.WaveOut();
      repaints += msg.message == TVxAVIPlay::CM_REPAINT;
      return true;
    }));
    EXPECT_FALSE(opened || audio.WaveOut());
    EXPECT_EQ(audio.BuffersHeld(), 0u);
    EXPECT_EQ(played.Bytes(), 0u);
    EXPECT_EQ(stage.Log().Names(), (std::vector<std::string>{"Start", "Stop"}));
    EXPECT_EQ(player.CurrentFrame(), 25) << "every frame came";
    EXPECT_GT(repaints, 10);
  }
}

TEST(AudioRange, AnEmptyRangeClosesTheRunningDeviceAndOpensNone) {
  struct Case {
    const char* name;
    int32_t first, last;
  };
  const Case cases[] = {
      {"one frame: both ends at its start", 5, 5},
      {"reversed", 10, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PlayedSound played;
    Stage stage;
    TVxAVIPlay& player = stage.Open(Sounds().LongTone);
    TAudioPlay& audio = *player.AudioPlayer();
    player.Play(0, 99, 1);
    ASSERT_NE(audio.WaveOut(), nullptr);

    player.StartSound(c.first, c.last);
    EXPECT_EQ(audio.WaveOut(), nullptr);
    EXPECT_FALSE(audio.Playing());
    const uint64_t bytes = played.Bytes();
    bool opened = false;
    Pump(300, {}, [&](const MSG&) {
      opened = opened || audio.WaveOut();
      return true;
    });
    EXPECT_FALSE(opened || audio.WaveOut());
    EXPECT_EQ(played.Bytes(), bytes);
    EXPECT_TRUE(player.Active()) << "the frames go on";
  }
}

TEST(AudioRange, PlayPrimesEightBuffersOfAtLeast2048BytesAndTheyPlayTheTrack) {
  struct Case {
    const char* name;
    const std::string SoundFiles::*file;
    int32_t sampleSize, bufferSize, samplesPerBuffer;
  };
  const Case cases[] = {
      {"4-byte samples (16-bit stereo)", &SoundFiles::Tone, 4, 2048, kToneSamplesPerBuffer},
      {"4096-byte samples", &SoundFiles::BigSamples, 4096, 4096, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PlayedSound played;
    Stage stage;
    TVxAVIPlay& player = stage.Open(Sounds().*c.file);
    TAudioPlay& audio = *player.AudioPlayer();
    PassGate gate(player);
    player.Play(0, 24, 1);
    // No buffer can have come back yet: their reports wait in this thread's queue.
    EXPECT_EQ(audio.SampleSize(), c.sampleSize);
    EXPECT_EQ(audio.BufferSize(), c.bufferSize);
    EXPECT_EQ(audio.BuffersHeld(), static_cast<size_t>(TAudioPlay::kPrimedBuffers));
    EXPECT_EQ(audio.NextSample() - audio.StartSample(), TAudioPlay::kPrimedBuffers * c.samplesPerBuffer);

    ASSERT_TRUE(gate.AwaitPassOut(TVxAVIPlay::CM_PLAYBACKEND));
    gate.ReleaseOne();
    const int64_t framesPerSample = c.sampleSize / (2 * kToneChannels);
    EXPECT_EQ(Difference(Heard(played), HeardTone(audio.StartSample() * framesPerSample,
                                                  audio.EndSample() * framesPerSample)),
              "");
  }
}

}  // namespace
