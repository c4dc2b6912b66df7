#include "ScreenWatch.h"

#include "support/CompanionRecords.h"

namespace {

constexpr DWORD kRetryMs = 100;
// Past this the run's own bound takes over again.
constexpr DWORD kLookBoundMs = 20000;

}  // namespace

ScreenWatch::ScreenWatch(std::vector<PixelCheck> checks)
    : check_([checks = std::move(checks)](const Screenshot& shot) { return PixelMismatches(shot, checks); }) {}

void ScreenWatch::Look(HWND intro, std::vector<TimelineNote>& notes) {
  // Before its first paint the window shows the white root; later screenshots show it painted.
  const ULONGLONG deadline = GetTickCount64() + kLookBoundMs;
  while (IsWindowVisible(intro)) {
    if (GetTickCount64() >= deadline) {
      notes.push_back({SystemTimeNow(), "screenshots: no match in " + std::to_string(kLookBoundMs / 1000) + " s"});
      return;
    }
    const uint64_t takenAt = SystemTimeNow();
    const Screenshot shot = Screenshot::Take();
    if (!IsWindowVisible(intro)) break;  // it may have gone during the shot
    const std::string mismatches = check_(shot);
    notes.push_back({SystemTimeNow(), "screenshot: " + (mismatches.empty() ? "as expected" : "\n" + mismatches)});
    mismatches_ = mismatches;
    if (mismatches.empty()) {
      matched_ = true;
      matchedAt_ = takenAt;
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
