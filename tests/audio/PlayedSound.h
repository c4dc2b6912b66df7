// What the wave device played. The test run's default ALSA device is a file PCM that
// appends every byte played to the file that AUDIO_PLAYED_FILE names (a Linux path); a
// PlayedSound reads back what was appended since it was made or restarted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class PlayedSound {
public:
  // Raises std::runtime_error when AUDIO_PLAYED_FILE is not set.
  PlayedSound();

  // Only what is played from now on counts.
  void Restart();
  uint64_t Bytes() const;
  // The 16-bit samples played, channels interleaved.
  std::vector<int16_t> Samples() const;

private:
  uint64_t FileSize() const;

  std::string path_;
  uint64_t start_ = 0;
};
