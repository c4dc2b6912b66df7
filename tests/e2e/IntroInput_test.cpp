// What a user does during a picture intro: clicks and keys do not end it.
#include <gtest/gtest.h>

#include "LauncherExpectations.h"
#include "QuickTimeSetup.h"
#include "support/UnixCommand.h"

namespace {

struct UserInput {
  const char* what;
  const char* xdotool;  // arguments
};

const UserInput kInputs[] = {
    {"a click on the black margin", "mousemove 10 10 click 1"},
    {"a click on the picture", "mousemove 512 384 click 1"},
    {"Space", "key space"},
    {"Enter", "key Return"},
};

// The time Wine needs to deliver an input event and the launcher to act on it.
constexpr DWORD kReactionMs = 250;

TEST(IntroInput, AClickSpaceOrEnterDoesNotEndAPictureIntro) {
  LauncherCase launcher;
  launcher.WriteConfiguration("initfile=logo.jpg\r\ntime=3\r\n");
  launcher.CopyFixture("logo.jpg", "logo.jpg");
  const ScopedQuickTimeSetup quickTime(QuickTimeSetup::FolderWithPlayer, launcher.Root());

  bool foreground = false;
  std::string inputFailures;
  std::string endedBy;  // the input after which the intro was gone
  RunOptions options;
  options.duringIntroAfterMs = 800;
  options.duringIntro = [&](HWND intro, std::vector<TimelineNote>& notes) {
    foreground = GetForegroundWindow() == intro;  // so that keys reach it
    for (const UserInput& input : kInputs) {
      const UnixResult sent = RunUnixCommand(std::string("xdotool ") + input.xdotool, 10000);
      if (sent.exitStatus != 0) inputFailures += std::string(input.what) + ": " + sent.errors + "\n";
      Sleep(kReactionMs);
      const bool up = IsWindowVisible(intro);
      notes.push_back({SystemTimeNow(), std::string(input.what) + (up ? ": intro still up" : ": intro gone")});
      if (!up) {
        endedBy = input.what;
        return;
      }
    }
  };
  const LauncherRun run = RunLauncher(launcher, options);
  const std::string timeline = run.Timeline();

  EXPECT_TRUE(foreground) << "the intro window was not the foreground window\n" << timeline;
  EXPECT_EQ(inputFailures, "");
  EXPECT_EQ(endedBy, "") << "the intro ended after this input\n" << timeline;
  EXPECT_EQ(run.exitCode, 0u) << timeline;
  ASSERT_TRUE(run.intro.has_value()) << timeline;
  EXPECT_GE(SecondsBetween(run.intro->shownAt, run.intro->closedAt), 2.5) << timeline;
  EXPECT_LE(SecondsBetween(run.intro->shownAt, run.intro->closedAt), 9.0) << timeline;
  EXPECT_TRUE(run.boxes.empty()) << timeline;
  ExpectCompanionStartedOnce(run, launcher);
}

}  // namespace
