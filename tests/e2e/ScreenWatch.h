// Looks at the screen while a picture intro is up: screenshots are taken until the pixel
// checks hold or the intro window is gone, and each outcome is noted on the timeline.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "LauncherRun.h"
#include "Screenshot.h"

class ScreenWatch {
public:
  explicit ScreenWatch(std::vector<PixelCheck> checks) : checks_(std::move(checks)) {}

  // For RunOptions::duringIntro.
  void Look(HWND intro, std::vector<TimelineNote>& notes);

  bool Matched() const { return matched_; }
  // What the last screenshot taken while the intro was up showed wrong.
  const std::string& Mismatches() const { return mismatches_; }

private:
  std::vector<PixelCheck> checks_;
  bool matched_ = false;
  std::string mismatches_ = "no screenshot was taken while the intro was up\n";
};

// Options that run `watch` during the intro.
RunOptions Watching(ScreenWatch& watch);
