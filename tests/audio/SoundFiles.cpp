#include "SoundFiles.h"

#include <stdexcept>

#include "Tone.h"
#include "support/TempDir.h"

namespace {

AviVideo Grey(int32_t frames) { return AviVideo{8, 8, frames, 1, 25, 0, FrameColours({0x808080})}; }

// AVIFile takes an audio stream's sample size from its header's dwSampleSize (which the
// writer sets) or, as Wine's does, from its format's nBlockAlign: a track of samples of
// another size than its PCM frames has both set to that size. Its chunks hold whole
// samples when there are `bytes` of it per video frame.
std::string SampledTone(int32_t frames, int64_t samples, uint16_t bytes) {
  std::string avi = BuildAvi({Grey(frames), ToneTrack(samples, bytes)});
  const size_t header = avi.find("auds");
  if (header == std::string::npos || header < 8 || avi.compare(header - 8, 4, "strh") != 0)
    throw std::logic_error("no audio stream header");
  const size_t blockAlign = avi.find("strf", header) + 8 + 12;
  avi[blockAlign] = static_cast<char>(bytes & 0xFF);
  avi[blockAlign + 1] = static_cast<char>(bytes >> 8);
  return avi;
}

SoundFiles WriteFiles(const TempDir& dir) {
  SoundFiles f;
  f.Tone = dir.Write("tone.avi", BuildAvi({Grey(25), ToneTrack(kToneRate)}));
  f.LongTone = dir.Write("long-tone.avi", BuildAvi({Grey(100), ToneTrack(4 * kToneRate)}));
  f.Silent = dir.Write("silent.avi", BuildAvi({Grey(25), std::nullopt}));
  f.VaryingSize = dir.Write("varying-size.avi", SampledTone(25, kToneRate, 0));
  f.BigSamples = dir.Write("big-samples.avi", SampledTone(25, 25 * 4096 / 4, 4096));
  f.HugeSamples = dir.Write("huge-samples.avi", SampledTone(25, 25 * 32768 / 4, 32768));
  return f;
}

}  // namespace

WAVEFORMATEX ToneFormat() {
  constexpr WORD blockAlign = 2 * kToneChannels;
  return WAVEFORMATEX{WAVE_FORMAT_PCM, kToneChannels, kToneRate, kToneRate * blockAlign, blockAlign, 16, 0};
}

HWAVEOUT FreshWaveHandle() {
  WAVEFORMATEX format = ToneFormat();
  HWAVEOUT device = nullptr;
  if (waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return nullptr;
  waveOutClose(device);
  return device;
}

AviAudio ToneTrack(int64_t samples, std::optional<uint32_t> sampleSize) {
  return AviAudio{kToneChannels, kToneRate, samples, sampleSize, SineWave(kToneHertz, 8000, kToneRate)};
}

const SoundFiles& Sounds() {
  static const TempDir dir("aviplay sound ");
  static const SoundFiles files = WriteFiles(dir);
  return files;
}

int64_t SampleAtFrame(int32_t frame) { return static_cast<int64_t>(frame) * kFrameMs * kToneRate / 1000; }

std::vector<int16_t> HeardTone(int64_t first, int64_t end) {
  return Audible(TrackSamples(ToneTrack(end), first, end), kToneChannels);
}

std::vector<int16_t> Heard(const PlayedSound& played) { return Audible(played.Samples(), kToneChannels); }
