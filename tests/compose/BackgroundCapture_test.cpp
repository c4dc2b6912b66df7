// When a transparent player captures its background: at every paint while it is stopped,
// into the same DC; during playback only when the background went stale (the form
// repainted, the player moved); and after a resize into a DC made anew at the new size.
// A capture is counted as a paint of the parent into a DC of no window.
#include <gtest/gtest.h>

#include "ComposeSupport.h"

namespace {

// Handles messages until the clock has had `count` more frames painted.
bool PlayFrames(TWatchedPlayer& player, int count) {
  const int until = player.Repaints + count;
  return Pump(5000, [&] { return player.Repaints >= until; });
}

// The probe frame centred in a control of `width` x `height` at (left, top) of the form,
// the background around it and at its key pixels.
PixelRule ProbeFrameOverBackground(int left, int top, int width, int height) {
  const int frameLeft = (width - kProbeWidth) / 2, frameTop = (height - kProbeHeight) / 2;
  return [=](int x, int y) -> int64_t {
    const int fx = x - frameLeft, fy = y - frameTop;
    const bool inFrame = fx >= 0 && fy >= 0 && fx < kProbeWidth && fy < kProbeHeight;
    if (inFrame && ProbePixel(kGreen, fx, fy) != kGreen) return ProbePixel(kGreen, fx, fy);
    return PatternAt(left + 1 + x, top + 1 + y);
  };
}

TEST(BackgroundCapture, WhileStoppedEveryPaintCapturesIntoTheSameDC) {
  TPatternForm& form = PatternForm();
  auto player = NewPlayer(&form, &form, 37, 23, Files().GreenCorner);
  PumpIdle();
  const HDC back = player->BackDC();
  ASSERT_NE(back, nullptr);
  const int before = form.OffscreenPaints;
  for (int i = 0; i < 3; ++i) player->PaintFrame();
  EXPECT_EQ(form.OffscreenPaints - before, 3);
  EXPECT_EQ(player->BackDC(), back);
  EXPECT_FALSE(player->NeedBackground());
}

TEST(BackgroundCapture, DuringPlaybackOnlyAStaleBackgroundIsCapturedAgain) {
  TPatternForm& form = PatternForm();
  auto player = NewPlayer(&form, &form, 37, 23, Files().GreenCorner);
  PumpIdle();
  const HDC back = player->BackDC();
  player->Play(0, 9, 0);
  ASSERT_TRUE(player->Active());

  int captures = form.OffscreenPaints;
  ASSERT_TRUE(PlayFrames(*player, 8));
  EXPECT_EQ(form.OffscreenPaints, captures) << "frames are laid over the background held";
  EXPECT_EQ(player->BackDC(), back);

  // The owner repaints: the next frame captures, the later ones do not.
  InvalidateRect(form.Handle(), nullptr, TRUE);
  UpdateWindow(form.Handle());
  ASSERT_TRUE(PlayFrames(*player, 8));
  EXPECT_EQ(form.OffscreenPaints, captures + 1);
  EXPECT_EQ(player->BackDC(), back);

  // A move captures at once, at the new place.
  captures = form.OffscreenPaints;
  player->SetLeft(46);
  EXPECT_EQ(form.OffscreenPaints, captures + 1);
  EXPECT_FALSE(player->NeedBackground());
  EXPECT_TRUE(PixelsMatch(PixelGrid::OfWindow(player->Handle()),
                          ProbeFrameOverBackground(46, 23, kProbeWidth, kProbeHeight)));

  // Once the form has repainted what the move uncovered, nothing more is captured.
  ASSERT_TRUE(PlayFrames(*player, 3));
  captures = form.OffscreenPaints;
  ASSERT_TRUE(PlayFrames(*player, 8));
  EXPECT_EQ(form.OffscreenPaints, captures);
  player->Stop();
}

// The player keeps its size (no AutoSize); the frame stays centred in it.
TEST(BackgroundCapture, AResizeReleasesTheBackgroundAndTheNextCaptureTakesTheNewSize) {
  TPatternForm& form = PatternForm();
  for (bool playing : {false, true}) {
    SCOPED_TRACE(playing ? "playing" : "stopped");
    auto player = NewPlayer(&form, &form, 37, 23);
    player->SetAutoSize(false);
    player->SetFileName(Files().GreenCorner);
    PumpIdle();
    const HDC oldDC = player->BackDC();
    ASSERT_NE(oldDC, nullptr);
    const SIZE oldSize = SelectedBitmapSize(oldDC);
    EXPECT_EQ(oldSize.cx, 100);
    EXPECT_EQ(oldSize.cy, 50);
    const HGDIOBJ oldBitmap = GetCurrentObject(oldDC, OBJ_BITMAP);
    if (playing) {
      player->Play(0, 9, 0);
      ASSERT_TRUE(PlayFrames(*player, 2));
    }

    player->SetBounds(37, 23, 130, 70);
    EXPECT_EQ(GetObjectType(oldDC), 0u) << "the old background DC is deleted";
    EXPECT_EQ(GetObjectType(oldBitmap), 0u) << "and its bitmap";
    if (playing) {
      EXPECT_EQ(player->BackDC(), nullptr) << "no paint is made at a resize during playback";
      EXPECT_TRUE(player->NeedBackground());
      ASSERT_TRUE(PlayFrames(*player, 1));
    }
    ASSERT_NE(player->BackDC(), nullptr);
    const SIZE newSize = SelectedBitmapSize(player->BackDC());
    EXPECT_EQ(newSize.cx, 130);
    EXPECT_EQ(newSize.cy, 70);
    EXPECT_FALSE(player->NeedBackground());
    EXPECT_TRUE(PixelsMatch(PixelGrid::OfWindow(player->Handle()), ProbeFrameOverBackground(37, 23, 130, 70)));
    player->Stop();
  }
}

}  // namespace
