// What every run of the launcher must show, checked the same way by each test.
#pragma once

#include <string>
#include <vector>

#include "LauncherCase.h"
#include "LauncherRun.h"

// The boxes of the run captioned `caption`.
std::vector<const BoxSeen*> BoxesCaptioned(const LauncherRun& run, const std::string& caption);

// The companion was started exactly once, at its own path, unquoted, as a program started
// with null standard handles and no current folder of its own.
void ExpectCompanionStartedOnce(const LauncherRun& run, const LauncherCase& launcher);

// The intro window, if it was seen at all, was no longer seen up once the companion had
// started.
void ExpectIntroGoneBeforeCompanion(const LauncherRun& run);

// The QuickTime warning, exactly once, after the intro window was gone, read as shown and
// pressed; the companion started only after the press.
void ExpectQuickTimeWarningAfterIntro(const LauncherRun& run);

// The report of an uncaught error, exactly once: "Exception <className> in module
// launch.exe.", CR LF, then the message (exactly, or one that contains `message` when
// `exact` is false); after the companion started; exit status 1.
void ExpectErrorReport(const LauncherRun& run, const std::string& className, const std::string& message, bool exact);
