// Looks at the screen while an intro is up: screenshots are taken until the checks hold,
// the intro window is gone or a bound has passed, and each outcome is noted on the timeline.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "LauncherRun.h"
#include "Screenshot.h"

// What a screenshot shows wrong, one line each; "" when it is as expected.
using ScreenCheck = std::function<std::string(const Screenshot&)>;

class ScreenWatch {
public:
  explicit ScreenWatch(std::vector<PixelCheck> checks);
  explicit ScreenWatch(ScreenCheck check) : check_(std::move(check)) {}

  // For RunOptions::duringIntro.
  void Look(HWND intro, std::vector<TimelineNote>& notes);

  bool Matched() const { return matched_; }
  // When the screenshot that matched was started.
  uint64_t MatchedAt() const { return matchedAt_; }
  // What the last screenshot taken while the intro was up showed wrong.
  const std::string& Mismatches() const { return mismatches_; }

private:
  ScreenCheck check_;
  bool matched_ = false;
  uint64_t matchedAt_ = 0;
  std::string mismatches_ = "no screenshot was taken while the intro was up\n";
};

// Options that run `watch` during the intro.
RunOptions Watching(ScreenWatch& watch);
