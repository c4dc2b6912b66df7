#include "LauncherExpectations.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// The warning as the user must read it.
const char kQuickTimeWarning[] =
    "Program wykrył nieprawidłowe działanie aplikacji QuickTime. Proszę o ponowną instalację programu "
    "QuickTime. Instalator znajduje się w folderze QT6, w głównym katalogu uruchamianego programu firmy "
    "Morvek.\r\n\r\nUWAGA!!! Uruchamiany program może pracować nieprawidłowo.";

void ExpectReadAndPressed(const BoxSeen& box, const char* icon, const std::string& timeline) {
  EXPECT_EQ(box.icon, icon) << timeline;
  EXPECT_EQ(box.buttons, "OK") << timeline;
  EXPECT_TRUE(box.centred) << timeline;
  EXPECT_TRUE(box.pressed) << timeline;
}

}  // namespace

std::vector<const BoxSeen*> BoxesCaptioned(const LauncherRun& run, const std::string& caption) {
  std::vector<const BoxSeen*> found;
  for (const BoxSeen& box : run.boxes)
    if (box.caption == caption) found.push_back(&box);
  return found;
}

void ExpectCompanionStartedOnce(const LauncherRun& run, const LauncherCase& launcher) {
  ASSERT_EQ(run.companion.size(), 1u) << run.Timeline();
  const CompanionRecord& record = run.companion[0];
  // Wine shows the null standard handles to the child as INVALID_HANDLE_VALUE.
  const uint64_t nullHandleSeen = reinterpret_cast<uintptr_t>(INVALID_HANDLE_VALUE);
  EXPECT_EQ(record.commandLine, launcher.CompanionPath()) << run.Timeline();
  EXPECT_EQ(record.module, launcher.CompanionPath());
  EXPECT_EQ(record.flags, static_cast<uint32_t>(STARTF_USESTDHANDLES));
  EXPECT_EQ(record.stdInput, nullHandleSeen);
  EXPECT_EQ(record.stdOutput, nullHandleSeen);
  EXPECT_EQ(record.stdError, nullHandleSeen);
  EXPECT_EQ(record.currentDir, launcher.WorkingFolder());
  EXPECT_GE(record.time, run.startedAt);
}

void ExpectIntroGoneBeforeCompanion(const LauncherRun& run) {
  if (!run.intro) return;
  for (const CompanionRecord& record : run.companion)
    EXPECT_LT(run.intro->lastSeenAt, record.time) << "the intro was up after the companion started\n"
                                                  << run.Timeline();
}

void ExpectQuickTimeWarningAfterIntro(const LauncherRun& run) {
  const std::string timeline = run.Timeline();
  const auto warnings = BoxesCaptioned(run, "Uwaga");
  ASSERT_EQ(warnings.size(), 1u) << timeline;
  const BoxSeen& box = *warnings[0];
  EXPECT_EQ(box.text, kQuickTimeWarning) << timeline;
  ExpectReadAndPressed(box, "exclamation", timeline);
  ASSERT_TRUE(run.intro.has_value()) << timeline;
  EXPECT_GE(box.seenAt, run.intro->closedAt) << timeline;
  EXPECT_FALSE(box.companionStartedBefore) << timeline;
  for (const CompanionRecord& record : run.companion) EXPECT_GT(record.time, box.pressStartedAt) << timeline;
}

void ExpectErrorReport(const LauncherRun& run, const std::string& className, const std::string& message, bool exact) {
  const std::string timeline = run.Timeline();
  EXPECT_FALSE(run.timedOut) << timeline;
  EXPECT_EQ(run.exitCode, 1u) << timeline;
  const auto reports = BoxesCaptioned(run, "Application Error");
  ASSERT_EQ(reports.size(), 1u) << timeline;
  const BoxSeen& box = *reports[0];
  const std::string head = "Exception " + className + " in module launch.exe.\r\n";
  if (exact) {
    EXPECT_EQ(box.text, head + message) << timeline;
  } else {
    EXPECT_EQ(box.text.substr(0, head.size()), head) << timeline;
    EXPECT_GT(box.text.size(), head.size()) << "no message in the report\n" << timeline;
    EXPECT_NE(box.text.find(message, head.size()), std::string::npos) << timeline;
  }
  ExpectReadAndPressed(box, "stop", timeline);
  EXPECT_TRUE(box.companionStartedBefore) << "the companion starts before the error is reported\n" << timeline;
}
