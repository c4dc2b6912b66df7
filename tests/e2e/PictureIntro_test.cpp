// The picture intro as it appears on the 1024 x 768 screen: where the picture stands, how
// long the window stays, which names are shown as pictures, and what follows it.
#include <gtest/gtest.h>

#include "FixtureColours.h"
#include "LauncherExpectations.h"
#include "QuickTimeSetup.h"
#include "ScreenWatch.h"

namespace {

std::string Configuration(const std::string& introName, const std::string& time) {
  return "initfile=" + introName + "\r\ntime=" + time + "\r\n";
}

double IntroSeconds(const LauncherRun& run) { return SecondsBetween(run.intro->shownAt, run.intro->closedAt); }

// The positions checked below are those of the 1024 x 768 test display.
bool OnTheTestDisplay() { return GetSystemMetrics(SM_CXSCREEN) == 1024 && GetSystemMetrics(SM_CYSCREEN) == 768; }

// logo.jpg (640 x 480) at 192,144: each corner in its quadrant's colour, black just outside.
const std::vector<PixelCheck> kLogoCentred = {
    {192, 144, kFixtureRed, "top left corner"},       {191, 144, kBlack, "left of it"},
    {192, 143, kBlack, "above it"},                   {831, 144, kFixtureGreen, "top right corner"},
    {832, 144, kBlack, "right of it"},                {831, 143, kBlack, "above it"},
    {192, 623, kFixtureBlue, "bottom left corner"},   {191, 623, kBlack, "left of it"},
    {192, 624, kBlack, "below it"},                   {831, 623, kFixtureYellow, "bottom right corner"},
    {832, 623, kBlack, "right of it"},                {831, 624, kBlack, "below it"},
    {0, 0, kBlack, "the screen's top left"},          {1023, 767, kBlack, "the screen's bottom right"},
};

TEST(PictureIntro, ShowsTheJpegCentredOnBlackForFourTicksThenChecksThenStartsTheCompanion) {
  ASSERT_TRUE(OnTheTestDisplay());
  LauncherCase launcher;
  launcher.WriteConfiguration(Configuration("logo.jpg", "3"));
  launcher.CopyFixture("logo.jpg", "logo.jpg");
  const ScopedQuickTimeSetup quickTime(QuickTimeSetup::NoKey, launcher.Root());

  ScreenWatch screen(kLogoCentred);
  const LauncherRun run = RunLauncher(launcher, Watching(screen));
  const std::string timeline = run.Timeline();

  EXPECT_FALSE(run.timedOut) << timeline;
  EXPECT_EQ(run.exitCode, 0u) << timeline;
  ASSERT_TRUE(run.intro.has_value()) << timeline;
  const RECT& rect = run.intro->rect;
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, 1024);
  EXPECT_EQ(rect.bottom, 768);
  EXPECT_EQ(run.intro->caption, "fIntro");
  EXPECT_TRUE(run.intro->style & WS_POPUP) << timeline;
  EXPECT_EQ(run.intro->style & (WS_CAPTION | WS_THICKFRAME), 0u) << timeline;
  EXPECT_TRUE(screen.Matched()) << screen.Mismatches() << timeline;
  // The fourth one-second tick closes it.
  EXPECT_GE(IntroSeconds(run), 2.5) << timeline;
  EXPECT_LE(IntroSeconds(run), 9.0) << timeline;
  ExpectQuickTimeWarningAfterIntro(run);
  EXPECT_EQ(run.boxes.size(), 1u) << timeline;
  EXPECT_TRUE(QuickTimeKeyExists());
  ExpectCompanionStartedOnce(run, launcher);
}

TEST(PictureIntro, ZeroOrNegativeTimeEndsItOnTheFirstTick) {
  for (const char* time : {"0", "-5"}) {
    SCOPED_TRACE(std::string("time=") + time);
    LauncherCase launcher;
    launcher.WriteConfiguration(Configuration("logo.jpg", time));
    launcher.CopyFixture("logo.jpg", "logo.jpg");
    const ScopedQuickTimeSetup quickTime(QuickTimeSetup::FolderWithPlayer, launcher.Root());

    const LauncherRun run = RunLauncher(launcher);
    const std::string timeline = run.Timeline();
    EXPECT_EQ(run.exitCode, 0u) << timeline;
    ASSERT_TRUE(run.intro.has_value()) << timeline;
    EXPECT_GE(IntroSeconds(run), 0.3) << timeline;
    EXPECT_LT(IntroSeconds(run), 2.5) << timeline;
    EXPECT_TRUE(run.boxes.empty()) << timeline;
    ExpectCompanionStartedOnce(run, launcher);
  }
}

struct ScreenCase {
  const char* introName;
  const char* fixture;
  std::vector<PixelCheck> checks;
  bool shownAsPicture;  // otherwise the screen stays black, and the check follows (and warns)
};

const ScreenCase kScreens[] = {
    {"LOGO.JPG", "logo.jpg",
     {{192, 144, kFixtureRed, "top left corner"}, {191, 144, kBlack, "left of it"},
      {831, 623, kFixtureYellow, "bottom right corner"}, {832, 623, kBlack, "right of it"}},
     true},
    // 641 wide: (1024 - 641) / 2 = 191.5 gives 191; 100 high: top 334.
    {"wide.Bmp", "wide641.bmp",
     {{190, 334, kBlack, "left of the picture"}, {191, 334, kFixtureGreen, "its column 0"},
      {192, 334, kFixtureRed, "its column 1"}, {831, 433, kFixtureRed, "its bottom right corner"},
      {832, 433, kBlack, "right of it"}, {831, 434, kBlack, "below it"}, {191, 333, kBlack, "above it"}},
     true},
    // 1101 wide: (1024 - 1101) / 2 = -38.5 gives -38, so screen column 0 shows picture column 38.
    {"huge.bmp", "wide1101.bmp",
     {{0, 334, kFixtureGreen, "picture column 38"}, {1, 334, kFixtureRed, "picture column 39"},
      {1023, 433, kFixtureRed, "picture column 1061"}, {0, 333, kBlack, "above the picture"},
      {0, 434, kBlack, "below the picture"}},
     true},
    {"logo.jpeg", "logo.jpg",
     {{192, 144, kBlack, "the picture's top left"}, {512, 384, kBlack, "the screen's centre"},
      {831, 623, kBlack, "the picture's bottom right"}},
     false},
    {"logo", "logo.jpg",
     {{192, 144, kBlack, "the picture's top left"}, {512, 384, kBlack, "the screen's centre"},
      {831, 623, kBlack, "the picture's bottom right"}},
     false},
};

TEST(PictureIntro, TheNameAndSizeOfThePictureDecideWhatTheScreenShows) {
  ASSERT_TRUE(OnTheTestDisplay());
  for (const ScreenCase& c : kScreens) {
    SCOPED_TRACE(c.introName);
    LauncherCase launcher;
    launcher.WriteConfiguration(Configuration(c.introName, "1"));
    launcher.CopyFixture(c.fixture, c.introName);
    const ScopedQuickTimeSetup quickTime(
        c.shownAsPicture ? QuickTimeSetup::FolderWithPlayer : QuickTimeSetup::NoKey, launcher.Root());

    ScreenWatch screen(c.checks);
    const LauncherRun run = RunLauncher(launcher, Watching(screen));
    const std::string timeline = run.Timeline();
    EXPECT_EQ(run.exitCode, 0u) << timeline;
    ASSERT_TRUE(run.intro.has_value()) << timeline;
    EXPECT_TRUE(screen.Matched()) << screen.Mismatches() << timeline;
    // time=1: the second tick closes it.
    EXPECT_GE(IntroSeconds(run), 1.2) << timeline;
    EXPECT_LE(IntroSeconds(run), 9.0) << timeline;
    if (c.shownAsPicture) {
      EXPECT_TRUE(run.boxes.empty()) << timeline;
    } else {
      ExpectQuickTimeWarningAfterIntro(run);
      EXPECT_EQ(run.boxes.size(), 1u) << timeline;
    }
    ExpectCompanionStartedOnce(run, launcher);
  }
}

TEST(PictureIntro, KeysMatchInAnyCaseButNotWithABlankBeforeTheEquals) {
  const struct {
    const char* configuration;
    bool introShown;
  } cases[] = {
      {"INITFILE=logo.jpg\r\nTime=0\r\n", true},
      {"initfile = logo.jpg\r\ntime=0\r\n", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.configuration);
    LauncherCase launcher;
    launcher.WriteConfiguration(c.configuration);
    launcher.CopyFixture("logo.jpg", "logo.jpg");
    const ScopedQuickTimeSetup quickTime(QuickTimeSetup::FolderWithPlayer, launcher.Root());

    const LauncherRun run = RunLauncher(launcher);
    const std::string timeline = run.Timeline();
    EXPECT_EQ(run.exitCode, 0u) << timeline;
    EXPECT_EQ(run.intro.has_value(), c.introShown) << timeline;
    EXPECT_TRUE(run.boxes.empty()) << timeline;
    ExpectCompanionStartedOnce(run, launcher);
  }
}

}  // namespace
