// One run of the launcher, watched from outside as a user sees it: when its intro window
// (a visible top-level window of class TForm1) came and went, which message boxes it showed
// (each one read and pressed OK by the dialog driver), its exit status, and what the
// companion recorder wrote. Times are GetSystemTimeAsFileTime values, the recorder's clock.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "LauncherCase.h"
#include "support/CompanionRecords.h"

struct TimelineNote {
  uint64_t at;
  std::string text;
};

struct IntroSeen {
  uint64_t shownAt = 0;
  uint64_t closedAt = 0;  // when it was first seen gone; the launcher's end if it went with it
  // When the last look that still found it visible began: it was up until then at least.
  uint64_t lastSeenAt = 0;
  RECT rect{};
  std::string caption;
  DWORD style = 0;
};

struct BoxSeen {
  std::string caption;
  std::string text;     // as shown, lines ending in CR LF
  std::string icon;     // as the dialog driver names it: exclamation, stop, ...
  std::string buttons;  // "OK", or "Yes|No" and so on
  bool centred = false;
  bool pressed = false;  // the driver pressed OK and saw the box go
  uint64_t seenAt = 0, pressStartedAt = 0, pressedAt = 0;
  // When the box was found, the companion was running (a child of the launcher) or had
  // written its record. Its record alone comes too late: it is written once it runs.
  bool companionStartedBefore = false;
  std::string driverOutput;
};

struct RunOptions {
  // Called once, this long after the intro window was first seen, with the window and the
  // run's notes (for the timeline); the watch waits while it runs.
  std::function<void(HWND intro, std::vector<TimelineNote>& notes)> duringIntro;
  DWORD duringIntroAfterMs = 500;
};

struct LauncherRun {
  uint64_t startedAt = 0, endedAt = 0;
  bool timedOut = false;  // it ran past the bound and was ended
  DWORD exitCode = 0;
  std::optional<IntroSeen> intro;
  std::vector<BoxSeen> boxes;
  std::vector<TimelineNote> notes;
  std::vector<CompanionRecord> companion;
  std::string companionLog;  // the recorder's log as written

  // Everything above in time order, with the driver's output and the recorder's log.
  std::string Timeline() const;
};

// Seconds from `from` to `to` (negative when `to` is earlier).
double SecondsBetween(uint64_t from, uint64_t to);

// Starts the launcher of `launcher` in its working folder, as from a shortcut, watches it to
// its end (bounded), then waits (bounded) for the companion it started to have written its
// record and ended.
LauncherRun RunLauncher(const LauncherCase& launcher, const RunOptions& options = {});
