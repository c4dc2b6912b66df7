// The QuickTime check after a picture intro: when it warns, what the warning shows, and
// that the companion waits for the warning to be dismissed.
#include <gtest/gtest.h>

#include "LauncherExpectations.h"
#include "QuickTimeSetup.h"

namespace {

// A picture intro of one tick.
void WritePictureIntro(const LauncherCase& launcher) {
  launcher.WriteConfiguration("initfile=logo.jpg\r\ntime=0\r\n");
  launcher.CopyFixture("logo.jpg", "logo.jpg");
}

TEST(QuickTimeCheck, WarnsOnceAfterTheIntroWhenQuickTimePlayerIsNotFound) {
  for (QuickTimeSetup setup : {QuickTimeSetup::NoKey, QuickTimeSetup::KeyWithoutValue, QuickTimeSetup::EmptyValue,
                               QuickTimeSetup::FolderWithoutPlayer, QuickTimeSetup::UnexpandedVariable}) {
    SCOPED_TRACE(QuickTimeSetupName(setup));
    LauncherCase launcher;
    WritePictureIntro(launcher);
    const ScopedQuickTimeSetup quickTime(setup, launcher.Root());

    const LauncherRun run = RunLauncher(launcher);
    const std::string timeline = run.Timeline();
    EXPECT_FALSE(run.timedOut) << timeline;
    EXPECT_EQ(run.exitCode, 0u) << timeline;
    EXPECT_EQ(run.boxes.size(), 1u) << timeline;
    ExpectQuickTimeWarningAfterIntro(run);
    EXPECT_TRUE(QuickTimeKeyExists()) << "the check opens the key, creating it when missing";
    ExpectCompanionStartedOnce(run, launcher);
  }
}

TEST(QuickTimeCheck, DoesNotWarnWhenTheFolderHoldsQuickTimePlayer) {
  for (QuickTimeSetup setup : {QuickTimeSetup::FolderWithPlayer, QuickTimeSetup::ExpandableWithPlayer}) {
    SCOPED_TRACE(QuickTimeSetupName(setup));
    LauncherCase launcher;
    WritePictureIntro(launcher);
    const ScopedQuickTimeSetup quickTime(setup, launcher.Root());

    const LauncherRun run = RunLauncher(launcher);
    const std::string timeline = run.Timeline();
    EXPECT_EQ(run.exitCode, 0u) << timeline;
    EXPECT_TRUE(run.intro.has_value()) << timeline;
    EXPECT_TRUE(run.boxes.empty()) << timeline;
    ExpectCompanionStartedOnce(run, launcher);
  }
}

}  // namespace
