// What Video for Windows finds in a file, so that a test can make sure its fixture is
// what it means it to be before the launcher plays it.
#pragma once

#include <cstdint>
#include <string>

struct AviStreams {
  bool opens = false;        // AVIFileOpen accepts it
  int32_t videoFrames = -1;  // the first video stream's length; -1: no video stream
  bool audio = false;        // it has an audio stream
};

AviStreams ProbeAvi(const std::string& path);
