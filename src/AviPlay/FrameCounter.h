// The playback clock's end-of-range rule, on plain numbers: what one tick does to the
// frame counter and the passes left. No OS calls.
#pragma once

#include <cstdint>

enum class TTickOutcome {
  Advanced,      // an ordinary frame
  Wrapped,       // a new pass began at the first frame; its sound restarts
  LastPassDone,  // the last pass ended; playback stops and no tick follows
};

struct TFrameCounter {
  int32_t Current = 0;
  int32_t Start = 0;
  int32_t Stop = 0;
  int32_t RepeatsLeft = 0;  // 0 or less: endless
};

// The end-of-range test (before the increment, so the last frame stays up for one full
// interval), then the tick's increment.
TTickOutcome Tick(TFrameCounter& counter);
