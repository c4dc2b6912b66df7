// Checks of played sound against the track it came from.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/AviWriter.h"

// Interleaved samples first to end - 1 of a track, as the AVI writer stores them.
std::vector<int16_t> TrackSamples(const AviAudio& track, int64_t first, int64_t end);

// The frequency of one channel of interleaved samples, counted from its zero crossings
// (half their number per second of sound).
double ZeroCrossingHertz(const std::vector<int16_t>& interleaved, int channels, uint32_t rate);

// Played sound without its silences: every run of two or more zero frames, and zero
// frames at either end, are left out. A 440 Hz tone at the tracks' amplitude never has
// two zero frames in a row, so what remains of the tone is all of it, pass after pass,
// whether the device was idle in between or not.
std::vector<int16_t> Audible(const std::vector<int16_t>& interleaved, int channels);

// Empty when the two are the same; else their lengths and where they first differ.
std::string Difference(const std::vector<int16_t>& played, const std::vector<int16_t>& expected);
