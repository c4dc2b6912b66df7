#include "ScreenWatch.h"

#include "support/CompanionRecords.h"

namespace {

constexpr DWORD kRetryMs = 100;

}  // namespace

void ScreenWatch::Look(HWND intro, std::vector<TimelineNote>& notes) {
  // Before its first paint the window shows the white root; later screenshots show it painted.
  while (IsWindowVisible(intro)) {
    const Screenshot shot = Screenshot::Take();
    if (!IsWindowVisible(intro)) break;  // it may have gone during the shot
    const std::string mismatches = PixelMismatches(shot, checks_);
    notes.push_back({SystemTimeNow(), "screenshot: " + (mismatches.empty() ? "as expected" : "\n" + mismatches)});
    mismatches_ = mismatches;
    if (mismatches.empty()) {
      matched_ = true;
      return;
    }
    Sleep(kRetryMs);
  }
}

RunOptions Watching(ScreenWatch& watch) {
  RunOptions options;
  options.duringIntro = [&watch](HWND intro, std::vector<TimelineNote>& notes) { watch.Look(intro, notes); };
  return options;
}
