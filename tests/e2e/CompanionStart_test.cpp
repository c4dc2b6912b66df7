// Starting the companion from a folder whose path has blanks in it.
#include <gtest/gtest.h>

#include "LauncherExpectations.h"
#include "QuickTimeSetup.h"
#include "support/TestPaths.h"

namespace {

TEST(CompanionStart, APathWithBlanksStartsTheCompanionAndNoProgramAtAShorterPrefix) {
  LauncherCase launcher("Program Files\\My App");
  // Programs where an unquoted command line could be cut at a blank.
  const std::string decoys[] = {
      launcher.Root().Copy(ToolPath("companion_recorder.exe"), "Program.exe"),
      launcher.Root().Copy(ToolPath("companion_recorder.exe"), "Program Files\\My.exe"),
  };
  ASSERT_EQ(launcher.LauncherPath().find(' '), launcher.Root().Path().size() + std::string("\\Program").size())
      << "the first blank must be the one of \"Program Files\": " << launcher.LauncherPath();
  // A picture intro, so that start2.ini and the picture are found in that folder too.
  launcher.WriteConfiguration("initfile=logo.jpg\r\ntime=0\r\n");
  launcher.CopyFixture("logo.jpg", "logo.jpg");
  const ScopedQuickTimeSetup quickTime(QuickTimeSetup::FolderWithPlayer, launcher.Root());

  const LauncherRun run = RunLauncher(launcher);
  const std::string timeline = run.Timeline();
  EXPECT_EQ(run.exitCode, 0u) << timeline;
  EXPECT_TRUE(run.intro.has_value()) << timeline;
  ExpectCompanionStartedOnce(run, launcher);
  for (const std::string& decoy : decoys)
    EXPECT_TRUE(ReadCompanionRecords(CompanionLogPath(decoy)).empty()) << decoy << " was started\n" << timeline;
}

}  // namespace
