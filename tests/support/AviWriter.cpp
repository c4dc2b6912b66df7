#include "AviWriter.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <numbers>
#include <stdexcept>

namespace {

constexpr uint32_t kAvifHasIndex = 0x10;
constexpr uint32_t kAvifIsInterleaved = 0x100;
constexpr uint32_t kAviifKeyFrame = 0x10;
constexpr uint16_t kWaveFormatPcm = 1;

// Little-endian output, with chunks whose size is patched in when they end.
class RiffBuffer {
public:
  void U8(uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
  void U16(uint16_t v) {
    U8(v & 0xFF);
    U8(v >> 8);
  }
  void U32(uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  void FourCC(const char (&code)[5]) { bytes_.append(code, 4); }
  void Bytes(const std::string& data) { bytes_ += data; }

  // Starts a chunk (or a RIFF/LIST with its form type) and returns where its size goes.
  size_t Begin(const char (&id)[5]) {
    FourCC(id);
    const size_t at = bytes_.size();
    U32(0);
    return at;
  }
  size_t BeginList(const char (&id)[5], const char (&type)[5]) {
    const size_t at = Begin(id);
    FourCC(type);
    return at;
  }
  // Ends a chunk: its size excludes the pad byte that keeps the next one on an even offset.
  void End(size_t sizeAt) {
    const size_t size = bytes_.size() - sizeAt - 4;
    if (size > std::numeric_limits<uint32_t>::max()) throw std::invalid_argument("AVI file past 4 GB");
    for (int i = 0; i < 4; ++i) bytes_[sizeAt + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    if (bytes_.size() % 2) U8(0);
  }

  size_t Size() const { return bytes_.size(); }
  std::string Take() { return std::move(bytes_); }

private:
  std::string bytes_;
};

struct IndexEntry {
  char Id[4];
  uint32_t Offset;  // from the 'movi' form type
  uint32_t Length;
};

uint32_t RowBytes(int32_t width) { return (static_cast<uint32_t>(width) * 3 + 3) & ~3u; }

// One frame's bits: rows bottom-up, blue, green, red, each row padded to 4 bytes.
std::string FrameBits(const AviVideo& v, int32_t frame) {
  const uint32_t stride = RowBytes(v.Width);
  std::string bits(static_cast<size_t>(stride) * v.Height, '\0');
  for (int32_t y = 0; y < v.Height; ++y) {
    char* row = bits.data() + static_cast<size_t>(v.Height - 1 - y) * stride;
    for (int32_t x = 0; x < v.Width; ++x) {
      const uint32_t rgb = v.Pixel(frame, x, y);
      row[3 * x] = static_cast<char>(rgb & 0xFF);
      row[3 * x + 1] = static_cast<char>((rgb >> 8) & 0xFF);
      row[3 * x + 2] = static_cast<char>((rgb >> 16) & 0xFF);
    }
  }
  return bits;
}

std::string SampleBytes(const AviAudio& a, int64_t first, int64_t end) {
  std::string bytes;
  bytes.reserve(static_cast<size_t>(end - first) * a.Channels * 2);
  for (int64_t s = first; s < end; ++s) {
    for (int c = 0; c < a.Channels; ++c) {
      const auto v = static_cast<uint16_t>(a.Sample(s, c));
      bytes.push_back(static_cast<char>(v & 0xFF));
      bytes.push_back(static_cast<char>(v >> 8));
    }
  }
  return bytes;
}

void Check(bool ok, const char* what) {
  if (!ok) throw std::invalid_argument(std::string("AVI contents: ") + what);
}

int64_t AudioSamples(const AviVideo& v, const AviAudio& a) {
  if (a.Samples) return *a.Samples;
  Check(v.Rate > 0, "the audio length needs a video rate above 0, or Samples");
  return static_cast<int64_t>(v.Frames) * v.Scale * a.SampleRate / v.Rate;
}

// The sound that follows frame `frame` (of `frames`; one chunk when there are none).
std::pair<int64_t, int64_t> AudioSpan(int64_t total, int32_t frames, int32_t frame) {
  const int64_t parts = std::max(frames, 1);
  return {total * frame / parts, total * (frame + 1) / parts};
}

void StreamHeader(RiffBuffer& out, const char (&type)[5], const char (&handler)[5], uint32_t scale, uint32_t rate,
                  uint32_t start, uint32_t length, uint32_t bufferSize, uint32_t sampleSize, int16_t right,
                  int16_t bottom) {
  const size_t strh = out.Begin("strh");
  out.FourCC(type);
  out.FourCC(handler);
  out.U32(0);  // dwFlags
  out.U16(0);  // wPriority
  out.U16(0);  // wLanguage
  out.U32(0);  // dwInitialFrames
  out.U32(scale);
  out.U32(rate);
  out.U32(start);
  out.U32(length);
  out.U32(bufferSize);
  out.U32(0xFFFFFFFF);  // dwQuality: default
  out.U32(sampleSize);
  out.U16(0);
  out.U16(0);
  out.U16(static_cast<uint16_t>(right));
  out.U16(static_cast<uint16_t>(bottom));
  out.End(strh);
}

}  // namespace

AviPixelFn FrameColours(std::vector<uint32_t> colours) {
  Check(!colours.empty(), "no frame colours");
  return [colours = std::move(colours)](int32_t frame, int32_t, int32_t) {
    return colours[static_cast<size_t>(frame) % colours.size()];
  };
}

AviSampleFn SineWave(double hertz, double amplitude, uint32_t sampleRate) {
  return [=](int64_t sample, int) {
    const double t = static_cast<double>(sample) / sampleRate;
    return static_cast<int16_t>(std::lround(amplitude * std::sin(2 * std::numbers::pi * hertz * t)));
  };
}

std::string BuildAvi(const AviContents& contents) {
  const AviVideo& v = contents.Video;
  Check(v.Width > 0 && v.Height > 0 && v.Frames >= 0, "frame size and count");
  Check(v.Width <= INT16_MAX && v.Height <= INT16_MAX, "frame size past the stream header's rectangle");
  Check(static_cast<bool>(v.Pixel), "no pixel function");
  const AviAudio* a = contents.Audio ? &*contents.Audio : nullptr;
  int64_t samples = 0;
  uint16_t blockAlign = 0;
  if (a) {
    Check(a->Channels > 0 && a->SampleRate > 0, "audio channels and rate");
    Check(static_cast<bool>(a->Sample), "no sample function");
    samples = AudioSamples(v, *a);
    Check(samples >= 0, "audio length");
    blockAlign = static_cast<uint16_t>(2 * a->Channels);
  }

  const uint32_t frameBytes = RowBytes(v.Width) * static_cast<uint32_t>(v.Height);
  uint32_t maxAudioChunk = 0, audioChunks = 0;
  for (int32_t f = 0; a && f < std::max(v.Frames, 1); ++f) {
    const auto [first, end] = AudioSpan(samples, v.Frames, f);
    if (end > first) ++audioChunks;
    maxAudioChunk = std::max(maxAudioChunk, static_cast<uint32_t>((end - first) * blockAlign));
  }
  const uint32_t sampleSize = a ? a->SampleSize.value_or(blockAlign) : 0;
  const uint64_t audioBytes = static_cast<uint64_t>(samples) * blockAlign;
  const auto audioLength = static_cast<uint32_t>(sampleSize ? audioBytes / sampleSize : audioChunks);

  RiffBuffer out;
  const size_t riff = out.BeginList("RIFF", "AVI ");

  const size_t hdrl = out.BeginList("LIST", "hdrl");
  const size_t avih = out.Begin("avih");
  out.U32(v.Rate ? static_cast<uint32_t>(1000000ull * v.Scale / v.Rate) : 0);  // dwMicroSecPerFrame
  out.U32(v.Scale ? static_cast<uint32_t>(static_cast<uint64_t>(frameBytes) * v.Rate / v.Scale) : 0);
  out.U32(0);  // dwPaddingGranularity
  out.U32(kAvifHasIndex | (a ? kAvifIsInterleaved : 0));
  out.U32(static_cast<uint32_t>(v.Frames));
  out.U32(0);  // dwInitialFrames
  out.U32(a ? 2 : 1);
  out.U32(std::max(frameBytes, maxAudioChunk) + 8);
  out.U32(static_cast<uint32_t>(v.Width));
  out.U32(static_cast<uint32_t>(v.Height));
  for (int i = 0; i < 4; ++i) out.U32(0);
  out.End(avih);

  const size_t videoList = out.BeginList("LIST", "strl");
  StreamHeader(out, "vids", "DIB ", v.Scale, v.Rate, v.Start, static_cast<uint32_t>(v.Frames), frameBytes, 0,
               static_cast<int16_t>(v.Width), static_cast<int16_t>(v.Height));
  const size_t videoFormat = out.Begin("strf");
  out.U32(40);
  out.U32(static_cast<uint32_t>(v.Width));
  out.U32(static_cast<uint32_t>(v.Height));  // positive: bottom-up
  out.U16(1);
  out.U16(24);
  out.U32(0);  // BI_RGB
  out.U32(frameBytes);
  for (int i = 0; i < 4; ++i) out.U32(0);
  out.End(videoFormat);
  out.End(videoList);

  if (a) {
    const size_t audioList = out.BeginList("LIST", "strl");
    StreamHeader(out, "auds", "\0\0\0\0", blockAlign, a->SampleRate * blockAlign, 0, audioLength, maxAudioChunk,
                 sampleSize, 0, 0);
    const size_t audioFormat = out.Begin("strf");
    out.U16(kWaveFormatPcm);
    out.U16(a->Channels);
    out.U32(a->SampleRate);
    out.U32(a->SampleRate * blockAlign);
    out.U16(blockAlign);
    out.U16(16);
    out.End(audioFormat);
    out.End(audioList);
  }
  out.End(hdrl);

  std::vector<IndexEntry> index;
  index.reserve(static_cast<size_t>(v.Frames) + audioChunks);
  const size_t movi = out.BeginList("LIST", "movi");
  const size_t moviType = movi + 4;
  auto chunk = [&](const char (&id)[5], const std::string& data) {
    const size_t at = out.Begin(id);
    out.Bytes(data);
    out.End(at);
    IndexEntry entry{{id[0], id[1], id[2], id[3]}, static_cast<uint32_t>(at - 4 - moviType),
                     static_cast<uint32_t>(data.size())};
    index.push_back(entry);
  };
  for (int32_t f = 0; f < std::max(v.Frames, a ? 1 : 0); ++f) {
    if (f < v.Frames) chunk("00dc", FrameBits(v, f));
    if (!a) continue;
    const auto [first, end] = AudioSpan(samples, v.Frames, f);
    if (end > first) chunk("01wb", SampleBytes(*a, first, end));
  }
  out.End(movi);

  const size_t idx1 = out.Begin("idx1");
  for (const IndexEntry& e : index) {
    for (char c : e.Id) out.U8(static_cast<uint8_t>(c));
    out.U32(kAviifKeyFrame);
    out.U32(e.Offset);
    out.U32(e.Length);
  }
  out.End(idx1);
  out.End(riff);
  return out.Take();
}

void WriteAvi(const std::string& path, const AviContents& contents) {
  const std::string bytes = BuildAvi(contents);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) throw std::runtime_error("cannot write " + path);
}
