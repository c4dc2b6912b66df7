// Writes exact AVI files for the tests: one uncompressed video stream (24-bit BI_RGB,
// bottom-up rows) and optionally one 16-bit PCM audio stream, interleaved in 'movi'
// ('00dc' frames, '01wb' sound) and listed in an 'idx1' index. No OS calls.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The colour of pixel (x, y) of a frame as 0xRRGGBB; y counts from the top row.
using AviPixelFn = std::function<uint32_t(int32_t frame, int32_t x, int32_t y)>;
// Sample number `sample` of channel `channel`.
using AviSampleFn = std::function<int16_t(int64_t sample, int channel)>;

struct AviVideo {
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Frames = 0;
  uint32_t Scale = 1;  // frames per second = Rate / Scale
  uint32_t Rate = 10;
  uint32_t Start = 0;  // the stream's first frame number (dwStart)
  AviPixelFn Pixel;
};

struct AviAudio {
  uint16_t Channels = 1;
  uint32_t SampleRate = 22050;
  // Samples per channel; by default as many as the video lasts (which needs Rate > 0).
  std::optional<int64_t> Samples;
  // The stream header's dwSampleSize; by default the block align (2 per channel). With 0
  // every chunk counts as one sample, as for a stream of samples of varying size.
  std::optional<uint32_t> SampleSize;
  AviSampleFn Sample;
};

struct AviContents {
  AviVideo Video;
  std::optional<AviAudio> Audio;
};

// Every frame one colour, colours[frame % size].
AviPixelFn FrameColours(std::vector<uint32_t> colours);
// A sine of `hertz` at `amplitude` (full scale 32767), the same on every channel.
AviSampleFn SineWave(double hertz, double amplitude, uint32_t sampleRate);

// The file's bytes. Raises std::invalid_argument for contents that make no file: a size or
// frame count below 0 (or a zero width or height), no pixel or sample function, no audio
// length to be had from a video of rate 0, or a file past 4 GB.
std::string BuildAvi(const AviContents& contents);

// BuildAvi written to `path`; raises std::runtime_error when the file cannot be written.
void WriteAvi(const std::string& path, const AviContents& contents);
