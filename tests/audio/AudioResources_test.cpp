// The sound gives back what it takes: buffers, memory and wave devices over many play and
// stop cycles and over destroyed playing controls; buffer reports that are none of the
// player's are ignored.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>

#include "PassGate.h"
#include "PlayedSound.h"
#include "PlayerTestSupport.h"
#include "SoundFiles.h"
#include "support/ProcessMemory.h"

namespace {

// Since `start`, in bytes; negative when it shrank.
int64_t Growth(SIZE_T start) { return static_cast<int64_t>(PrivateBytes()) - static_cast<int64_t>(start); }
// Far above what many cycles that leak nothing move (100 KB here), far below what the
// leaks of the tests below would be.
constexpr int64_t kMemoryBound = 4 * 1024 * 1024;

TEST(AudioResources, TwoHundredPlayAndStopCyclesGiveBackEveryBufferAndDevice) {
  // 32 KB buffers, so that a leak shows in the process's memory too: 200 cycles queue
  // 1,600 of them at least, 50 MB.
  Stage stage;
  TVxAVIPlay& player = stage.Open(Sounds().HugeSamples);
  TAudioPlay& audio = *player.AudioPlayer();
  // Every other cycle stops before any report came back, so that the reports of a closed
  // device arrive while the next one plays.
  auto cycle = [&](int i) {
    player.Play(0, 24, 1);
    if (i % 2) Pump(20);
    player.Stop();
  };
  cycle(1);
  ASSERT_TRUE(Pump(kPatience, [&] { return audio.BuffersHeld() == 0; }));
  const UINT devices = waveOutGetNumDevs();
  const HWAVEOUT handle = FreshWaveHandle();
  ASSERT_NE(handle, nullptr);
  const SIZE_T bytes = PrivateBytes();

  for (int i = 0; i < 200; ++i) cycle(i);
  EXPECT_TRUE(Pump(kPatience, [&] { return audio.BuffersHeld() == 0; })) << audio.BuffersHeld() << " buffers kept";
  EXPECT_EQ(audio.WaveOut(), nullptr);
  EXPECT_EQ(waveOutGetNumDevs(), devices);
  EXPECT_EQ(FreshWaveHandle(), handle) << "a device was left open";
  EXPECT_LT(Growth(bytes), kMemoryBound) << "grew by " << Growth(bytes) / 1024 << " KB";
}

// Buffers still with the device when the control's window goes never come back to it.
TEST(AudioResources, PlayingControlsDestroyedGiveBackTheirBuffersAndDevices) {
  struct Case {
    const char* name;
    std::function<void(Stage&)> destroy;
  };
  const Case cases[] = {
      {"the control freed", [](Stage&) {}},
      {"its window destroyed, the control taken off its form",
       [](Stage& stage) {
         TVxAVIPlay& player = stage.Player();
         player.SetParent(nullptr);
         EXPECT_FALSE(player.HandleAllocated());
         EXPECT_FALSE(player.Active());
         EXPECT_EQ(player.AudioPlayer()->WaveOut(), nullptr);
         EXPECT_EQ(player.AudioPlayer()->BuffersHeld(), 0u);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PlayedSound played;
    // 32 KB buffers: the eight that each control holds at its end would be 15 MB in all.
    auto playAndDestroy = [&] {
      Stage stage;
      stage.Open(Sounds().HugeSamples).Play(0, 24, 1);
      Pump(20);
      ASSERT_NE(stage.Player().AudioPlayer()->BuffersHeld(), 0u);
      c.destroy(stage);
    };
    playAndDestroy();
    PumpIdle();
    const HWAVEOUT handle = FreshWaveHandle();
    ASSERT_NE(handle, nullptr);
    const SIZE_T bytes = PrivateBytes();

    for (int i = 0; i < 60; ++i) playAndDestroy();
    PumpIdle();
    EXPECT_EQ(FreshWaveHandle(), handle) << "a device was left open";
    EXPECT_LT(Growth(bytes), kMemoryBound) << "grew by " << Growth(bytes) / 1024 << " KB";
    const uint64_t sound = played.Bytes();
    Pump(300);
    EXPECT_EQ(played.Bytes(), sound) << "something still plays";
  }
}

TEST(AudioResources, AReportOfABufferThatIsNoneOfThePlayersIsIgnored) {
  // A page that faults on any access, and a header that claims the player as its owner.
  void* noAccess = VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
  ASSERT_NE(noAccess, nullptr);
  char data[64] = {};
  Stage stage;
  TVxAVIPlay& player = stage.Open(Sounds().LongTone);
  TAudioPlay& audio = *player.AudioPlayer();
  WAVEHDR lookalike{};
  lookalike.lpData = data;
  lookalike.dwBufferLength = sizeof data;
  lookalike.dwUser = reinterpret_cast<DWORD_PTR>(&audio);
  lookalike.dwFlags = WHDR_DONE | WHDR_PREPARED;
  const WAVEHDR original = lookalike;

  struct Case {
    const char* name;
    WAVEHDR* header;
  };
  const Case cases[] = {
      {"an address that cannot be read", static_cast<WAVEHDR*>(noAccess)},
      {"a header naming the player as its owner", &lookalike},
  };
  PassGate gate(player);
  player.Play(0, 99, 1);
  for (const bool playing : {true, false}) {
    if (!playing) player.Stop();
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (playing ? ", while playing" : ", after Stop"));
      const size_t held = audio.BuffersHeld();
      const int32_t next = audio.NextSample();
      player.Perform(MM_WOM_DONE, 0, reinterpret_cast<LPARAM>(c.header));
      EXPECT_EQ(audio.BuffersHeld(), held);
      EXPECT_EQ(audio.NextSample(), next) << "nothing queued for it";
      EXPECT_EQ(std::memcmp(&lookalike, &original, sizeof lookalike), 0) << "the header was touched";
    }
    if (playing) {
      EXPECT_TRUE(Pump(kPatience, [&] { return SoundDrained(audio); }, gate.Inspector())) << "the sound goes on";
    }
  }
  EXPECT_TRUE(Pump(kPatience, [&] { return audio.BuffersHeld() == 0; }, gate.Inspector()));
  VirtualFree(noAccess, 0, MEM_RELEASE);
}

}  // namespace
