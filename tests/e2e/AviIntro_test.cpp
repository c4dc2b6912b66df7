// The AVI intro as it appears on the 1024 x 768 screen: the video centred on black and
// played once, what ends it early and what does not, the files that play nothing, and a
// file longer than the 16-bit frame numbers of Play.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "AviFileProbe.h"
#include "FixtureColours.h"
#include "LauncherExpectations.h"
#include "QuickTimeSetup.h"
#include "ScreenWatch.h"
#include "support/AviWriter.h"
#include "support/UnixCommand.h"
#include "vcl/FileRead.h"

namespace {

constexpr char kConfiguration[] = "initfile=intro.avi\r\ntime=0\r\n";
constexpr uint32_t kMark = 0xFFFFFF;
// Frame f is flat kFrameColours[f % 10] with its four corner pixels in kMark.
const std::vector<uint32_t> kFrameColours = {0xD02020, 0x20B040, 0x2040D0, 0xE0D020, 0xC030C0,
                                             0x20C0C0, 0xF08020, 0x808080, 0x604020, 0x80A0F0};
// Uncompressed frames on a 24-bit display come through unchanged.
constexpr int kTolerance = 8;

struct Clip {
  int32_t width, height, frames;
  uint32_t scale, rate;  // frames per second = rate / scale
};

std::string ClipBytes(const Clip& clip) {
  const auto pixel = [clip](int32_t frame, int32_t x, int32_t y) {
    const bool corner = (x == 0 || x == clip.width - 1) && (y == 0 || y == clip.height - 1);
    return corner ? kMark : kFrameColours[frame % kFrameColours.size()];
  };
  AviContents contents;
  contents.Video = {.Width = clip.width, .Height = clip.height, .Frames = clip.frames, .Scale = clip.scale,
                .Rate = clip.rate, .Start = 0, .Pixel = pixel};
  return BuildAvi(contents);
}

// The positions checked below are those of the 1024 x 768 test display.
bool OnTheTestDisplay() { return GetSystemMetrics(SM_CXSCREEN) == 1024 && GetSystemMetrics(SM_CYSCREEN) == 768; }

// The clip's frame at left, top: its corner marks on their pixels with black just outside,
// the inside in some frame's colour, and the screen's own corners black.
ScreenCheck VideoOnBlackAt(int left, int top, const Clip& clip) {
  const int right = left + clip.width - 1, bottom = top + clip.height - 1;
  return [=](const Screenshot& shot) {
    std::string mismatches = PixelMismatches(
        shot,
        {{left, top, kMark, "top left mark"},           {left - 1, top, kBlack, "left of it"},
         {left, top - 1, kBlack, "above it"},           {right, top, kMark, "top right mark"},
         {right + 1, top, kBlack, "right of it"},       {right, top - 1, kBlack, "above it"},
         {left, bottom, kMark, "bottom left mark"},     {left - 1, bottom, kBlack, "left of it"},
         {left, bottom + 1, kBlack, "below it"},        {right, bottom, kMark, "bottom right mark"},
         {right + 1, bottom, kBlack, "right of it"},    {right, bottom + 1, kBlack, "below it"},
         {0, 0, kBlack, "the screen's top left"},       {1023, 767, kBlack, "the screen's bottom right"}},
        kTolerance);
    for (const auto& [x, y] : {std::pair{left + 1, top + 1}, std::pair{(left + right) / 2, (top + bottom) / 2}}) {
      const uint32_t seen = shot.Pixel(x, y);
      bool framed = false;
      for (uint32_t colour : kFrameColours)
        framed = framed || PixelMismatches(shot, {{x, y, colour, ""}}, kTolerance).empty();
      if (framed) continue;
      char line[96];
      std::snprintf(line, sizeof line, "inside the video at %d,%d: #%06X, no frame's colour\n", x, y,
                    static_cast<unsigned>(seen));
      mismatches += line;
    }
    return mismatches;
  };
}

double IntroSeconds(const LauncherRun& run) { return SecondsBetween(run.intro->shownAt, run.intro->closedAt); }

// What every AVI intro run must end with: exit status 0, no box, no QuickTime check (the
// key, removed before the run, is still missing), the intro gone before the companion.
void ExpectEndOfAviIntro(const LauncherRun& run, const LauncherCase& launcher) {
  const std::string timeline = run.Timeline();
  EXPECT_FALSE(run.timedOut) << timeline;
  EXPECT_EQ(run.exitCode, 0u) << timeline;
  EXPECT_TRUE(run.boxes.empty()) << timeline;
  EXPECT_FALSE(QuickTimeKeyExists()) << "the QuickTime check ran after an AVI intro\n" << timeline;
  ExpectCompanionStartedOnce(run, launcher);
  ExpectIntroGoneBeforeCompanion(run);
}

// Runs the launcher on the clip, written as its intro, with the screen watched from the
// intro's first look on; the QuickTime key is removed for the run.
LauncherRun RunWatched(LauncherCase& launcher, const std::string& clipBytes, ScreenWatch& screen) {
  launcher.WriteConfiguration(kConfiguration);
  launcher.Write("intro.avi", clipBytes);
  const ScopedQuickTimeSetup quickTime(QuickTimeSetup::NoKey, launcher.Root());
  RunOptions options = Watching(screen);
  options.duringIntroAfterMs = 0;
  return RunLauncher(launcher, options);
}

TEST(AviIntro, PlaysTheVideoCentredOnBlackOnceThenHidesAndStartsTheCompanion) {
  ASSERT_TRUE(OnTheTestDisplay());
  const Clip clip{320, 240, 10, 1, 10};  // 0.9 s from frame 0 to frame 9
  LauncherCase launcher;
  ScreenWatch screen(VideoOnBlackAt(352, 264, clip));
  const LauncherRun run = RunWatched(launcher, ClipBytes(clip), screen);
  const std::string timeline = run.Timeline();

  ASSERT_TRUE(run.intro.has_value()) << timeline;
  const RECT& rect = run.intro->rect;
  EXPECT_TRUE(rect.left == 0 && rect.top == 0 && rect.right == 1024 && rect.bottom == 768) << timeline;
  EXPECT_TRUE(screen.Matched()) << screen.Mismatches() << timeline;
  if (screen.Matched()) {
    EXPECT_LT(run.intro->shownAt, screen.MatchedAt()) << timeline;
    EXPECT_LT(screen.MatchedAt(), run.intro->closedAt) << timeline;
  }
  EXPECT_GE(IntroSeconds(run), 0.6) << timeline;
  EXPECT_LE(IntroSeconds(run), 4.0) << timeline;
  ExpectEndOfAviIntro(run, launcher);
}

struct ShortIntro {
  const char* name;
  std::string bytes;
  AviStreams streams;  // what the file must hold for the case to mean anything
};

TEST(AviIntro, AOneFrameFileAFileThatIsNoAviAndOneWithoutVideoEndAtOnce) {
  const std::string audioOnly = ReadWholeFile(FixturePath("audio-only.avi"));
  const ShortIntro cases[] = {
      // One frame that would stay ten seconds if the loop did not stop it at once.
      {"one frame", ClipBytes({64, 48, 1, 10, 1}), {.opens = true, .videoFrames = 1, .audio = false}},
      {"a text file", "This is a text file, no video.\r\n", {.opens = false, .videoFrames = -1, .audio = false}},
      {"sound only", audioOnly, {.opens = true, .videoFrames = -1, .audio = true}},
  };
  for (const ShortIntro& c : cases) {
    SCOPED_TRACE(c.name);
    LauncherCase launcher;
    launcher.WriteConfiguration(kConfiguration);
    const std::string intro = launcher.Write("intro.avi", c.bytes);
    const AviStreams streams = ProbeAvi(intro);
    ASSERT_EQ(streams.opens, c.streams.opens);
    ASSERT_EQ(streams.videoFrames, c.streams.videoFrames);
    ASSERT_EQ(streams.audio, c.streams.audio);
    const ScopedQuickTimeSetup quickTime(QuickTimeSetup::NoKey, launcher.Root());

    const LauncherRun run = RunLauncher(launcher);
    const std::string timeline = run.Timeline();
    // The window may come and go between two looks.
    if (run.intro) {
      EXPECT_LT(IntroSeconds(run), 2.0) << timeline;
    }
    EXPECT_LT(SecondsBetween(run.startedAt, run.endedAt), 5.0) << timeline;
    ExpectEndOfAviIntro(run, launcher);
  }
}

struct UserInput {
  const char* what;
  const char* xdotool;  // arguments
  bool endsIntro;
};

const UserInput kInputs[] = {
    {"Space", "key space", true},
    {"Enter", "key Return", true},
    {"a click on the black margin", "mousemove 10 10 click 1", true},
    {"a click on the video", "mousemove 512 384 click 1", false},
};

// The time Wine needs to deliver an input event and the launcher to act on it, generously.
constexpr DWORD kReactionMs = 3000;

TEST(AviIntro, SpaceEnterOrAClickOnTheMarginEndItEarlyAClickOnTheVideoDoesNot) {
  ASSERT_TRUE(OnTheTestDisplay());
  const Clip clip{160, 120, 200, 1, 25};
  const double clipSeconds = 8.0;
  const std::string bytes = ClipBytes(clip);
  for (const UserInput& input : kInputs) {
    SCOPED_TRACE(input.what);
    LauncherCase launcher;
    launcher.WriteConfiguration(kConfiguration);
    launcher.Write("intro.avi", bytes);
    const ScopedQuickTimeSetup quickTime(QuickTimeSetup::NoKey, launcher.Root());

    bool foreground = false;
    std::string inputFailure;
    uint64_t sentAt = 0, goneAt = 0;
    RunOptions options;
    options.duringIntroAfterMs = 1000;
    options.duringIntro = [&](HWND intro, std::vector<TimelineNote>& notes) {
      foreground = GetForegroundWindow() == intro;  // so that keys reach it
      sentAt = SystemTimeNow();
      const UnixResult sent = RunUnixCommand(std::string("xdotool ") + input.xdotool, 10000);
      if (sent.exitStatus != 0) inputFailure = sent.errors;
      notes.push_back({sentAt, std::string(input.what) + " sent"});
      const ULONGLONG deadline = GetTickCount64() + kReactionMs;
      while (IsWindowVisible(intro) && GetTickCount64() < deadline) Sleep(20);
      if (!IsWindowVisible(intro)) goneAt = SystemTimeNow();
      notes.push_back({SystemTimeNow(), goneAt ? "intro gone" : "intro still up"});
    };
    const LauncherRun run = RunLauncher(launcher, options);
    const std::string timeline = run.Timeline();

    ASSERT_TRUE(run.intro.has_value()) << timeline;
    ASSERT_NE(sentAt, 0u) << "the intro was gone before the input was sent\n" << timeline;
    EXPECT_TRUE(foreground) << "the intro window was not the foreground window\n" << timeline;
    EXPECT_EQ(inputFailure, "");
    if (input.endsIntro) {
      EXPECT_NE(goneAt, 0u) << "the intro was still up " << kReactionMs << " ms after the input\n" << timeline;
      EXPECT_LT(IntroSeconds(run), clipSeconds - 2.5) << timeline;
    } else {
      EXPECT_EQ(goneAt, 0u) << "the intro ended after this input\n" << timeline;
      // It stays until the clip has played.
      EXPECT_GE(IntroSeconds(run), clipSeconds - 1.0) << timeline;
      EXPECT_LE(IntroSeconds(run), clipSeconds + 20.0) << timeline;
    }
    ExpectEndOfAviIntro(run, launcher);
  }
}

TEST(AviIntro, AFileOfMoreThan65536FramesEndsAtTheLowBitsOfItsLastFrame) {
  ASSERT_TRUE(OnTheTestDisplay());
  // The last frame, 65547, reaches Play as 11: the player ends its pass after frame 11,
  // three seconds after it started, while the whole file would last four and a half hours.
  const Clip clip{4, 4, 65548, 1, 4};
  LauncherCase launcher;
  ScreenWatch screen(VideoOnBlackAt(510, 382, clip));
  const LauncherRun run = RunWatched(launcher, ClipBytes(clip), screen);
  ASSERT_EQ(ProbeAvi(launcher.Root() / "intro.avi").videoFrames, clip.frames);
  const std::string timeline = run.Timeline();

  ASSERT_TRUE(run.intro.has_value()) << timeline;
  EXPECT_TRUE(screen.Matched()) << screen.Mismatches() << timeline;
  EXPECT_GE(IntroSeconds(run), 2.0) << timeline;
  EXPECT_LE(IntroSeconds(run), 12.0) << timeline;
  ExpectEndOfAviIntro(run, launcher);
}

}  // namespace
