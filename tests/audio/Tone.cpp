#include "Tone.h"

#include <algorithm>

std::vector<int16_t> TrackSamples(const AviAudio& track, int64_t first, int64_t end) {
  std::vector<int16_t> samples;
  for (int64_t s = first; s < end; ++s)
    for (int c = 0; c < track.Channels; ++c) samples.push_back(track.Sample(s, c));
  return samples;
}

// A crossing is a change of sign; a zero sample takes the sign of the one before it.
double ZeroCrossingHertz(const std::vector<int16_t>& interleaved, int channels, uint32_t rate) {
  const size_t frames = interleaved.size() / channels;
  if (frames < 2) return 0;
  int crossings = 0;
  bool negative = interleaved[0] < 0;
  for (size_t i = 1; i < frames; ++i) {
    const int16_t v = interleaved[i * channels];
    if (v == 0 || (v < 0) == negative) continue;
    negative = v < 0;
    ++crossings;
  }
  return crossings / 2.0 * rate / static_cast<double>(frames);
}

std::vector<int16_t> Audible(const std::vector<int16_t>& interleaved, int channels) {
  const size_t frames = interleaved.size() / channels;
  auto at = [&](size_t frame) { return interleaved.begin() + static_cast<ptrdiff_t>(frame * channels); };
  auto zero = [&](size_t frame) { return std::all_of(at(frame), at(frame + 1), [](int16_t v) { return v == 0; }); };
  std::vector<int16_t> audible;
  for (size_t frame = 0; frame < frames; ++frame) {
    // A zero frame counts only between two frames of sound.
    if (zero(frame) && !(frame > 0 && frame + 1 < frames && !zero(frame - 1) && !zero(frame + 1))) continue;
    audible.insert(audible.end(), at(frame), at(frame + 1));
  }
  return audible;
}

std::string Difference(const std::vector<int16_t>& played, const std::vector<int16_t>& expected) {
  const auto [p, e] = std::mismatch(played.begin(), played.end(), expected.begin(), expected.end());
  if (p == played.end() && e == expected.end()) return {};
  std::string text = std::to_string(played.size()) + " values played, " + std::to_string(expected.size()) +
                     " expected; the first difference at value " + std::to_string(p - played.begin());
  if (p != played.end() && e != expected.end())
    text += " (" + std::to_string(*p) + " played, " + std::to_string(*e) + " expected)";
  return text;
}
