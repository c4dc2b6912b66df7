// The AVI files of the sound tests, written once per run by the AVI writer, and the
// track they share: a 440 Hz sine, 22050 Hz 16-bit stereo.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <string>
#include <vector>

#include "PlayedSound.h"
#include "support/AviWriter.h"

constexpr uint32_t kToneRate = 22050;
constexpr uint16_t kToneChannels = 2;
constexpr double kToneHertz = 440;
constexpr int32_t kFrameMs = 40;  // every file runs at 25 frames per second
constexpr int32_t kToneSamplesPerBuffer = 512;  // of 4 bytes, in the player's 2048-byte buffers

// The tone's format, as a wave device takes it.
WAVEFORMATEX ToneFormat();
// Opens a wave device in the tone's format and closes it again: its handle, or none when
// none opens. The system gives the lowest free handle, so it changes only while other
// devices are open.
HWAVEOUT FreshWaveHandle();

// The tone track with its sample count and dwSampleSize (default: the block align, 4).
AviAudio ToneTrack(int64_t samples, std::optional<uint32_t> sampleSize = std::nullopt);

struct SoundFiles {
  std::string Tone;         // 25 frames (1 s) with a second of the tone
  std::string LongTone;     // 100 frames (4 s) with four seconds of it
  std::string Silent;       // 25 frames, no audio stream
  std::string VaryingSize;  // Tone's track with a sample size of 0
  std::string BigSamples;   // 25 frames, each with one 4096-byte sample of the tone
  std::string HugeSamples;  // 25 frames, each with one 32768-byte sample of the tone
};
const SoundFiles& Sounds();

// The sample of the tone track at the start of `frame`.
int64_t SampleAtFrame(int32_t frame);

// What samples first to end - 1 of the tone track sound like (Audible: without the
// zero frames at their ends).
std::vector<int16_t> HeardTone(int64_t first, int64_t end);
// What the wave device has played so far, heard the same way.
std::vector<int16_t> Heard(const PlayedSound& played);
