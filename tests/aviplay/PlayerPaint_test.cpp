// The player on the screen of the 24-bit test display: its layout after a paint, an
// exact-colour frame at its offset with the margins in Color, the empty face, the dotted
// design frame, lossy frames roughly right, and the guards under which nothing is painted.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "LayoutCompare.h"
#include "PlayerTestSupport.h"

namespace {

const TColor kGreenish = static_cast<TColor>(RGB(0x11, 0x99, 0x55));
const COLORREF kMagenta = RGB(0xFF, 0x00, 0xFF);

TEST(PlayerPaint, TheLayoutAfterAPaint) {
  struct Case {
    const char* name;
    std::string PlayerFiles::*file;
    bool stretch, designing;
    TPictureLayout want;
  };
  const Case cases[] = {
      {"90 x 40 centred", &PlayerFiles::Video90x40, false, false, {5, 5, 90, 40, 0, 0, 0, 90, 40}},
      {"103 x 51 overhanging", &PlayerFiles::Video103x51, false, false, {-1, 0, 103, 51, 0, 0, 0, 103, 51}},
      {"stretched at design time", &PlayerFiles::Video90x40, true, true, {0, 0, 90, 40, 1, 1, 1, 100, 50}},
  };
  for (const Case& c : cases) {
    Stage stage;
    TVxAVIPlay& player = stage.Player();
    player.SetAutoSize(false);
    player.SetStretch(c.stretch);
    player.SetDesigning(c.designing);
    player.SetFileName(Files().*c.file);
    player.PaintFrame();
    EXPECT_EQ(player.Layout(), c.want) << c.name;
  }
}

struct ColourCase {
  const char* name;
  TColor color;
  COLORREF rgb;
};
const ColourCase kColours[] = {
    {"an RGB colour", kGreenish, RGB(0x11, 0x99, 0x55)},
    {"a system colour", clBtnFace, GetSysColor(COLOR_BTNFACE)},
};

// 40 x 30 frames in a 100 x 50 control sit at (30, 10).
TEST(PlayerPaint, AnExactFrameAtItsOffsetWithTheMarginsInColor) {
  for (const ColourCase& c : kColours) {
    SCOPED_TRACE(c.name);
    Stage stage;
    TVxAVIPlay& player = stage.Player();
    player.SetAutoSize(false);
    player.SetColor(c.color);
    player.SetFileName(Files().Colours);
    PumpIdle();

    struct Spot {
      int x, y;
      COLORREF want;
    };
    const COLORREF frame0 = Rgb(FrameColour(0));
    const Spot spots[] = {
        {30, 10, Rgb(kTopLeftMark)}, {69, 39, Rgb(kBottomRightMark)}, {31, 10, frame0}, {50, 25, frame0},
        {69, 10, frame0},  {30, 39, frame0},  {0, 0, c.rgb},   {29, 25, c.rgb},  {70, 25, c.rgb},
        {50, 9, c.rgb},    {50, 40, c.rgb},   {99, 49, c.rgb}, {99, 0, c.rgb},   {0, 49, c.rgb},
    };
    for (const Spot& s : spots)
      EXPECT_EQ(Hex(PixelAt(player, s.x, s.y)), Hex(s.want)) << "at " << s.x << ", " << s.y;

    // The frame painted is the current one.
    player.Play(3, 3, 0);
    ASSERT_EQ(player.CurrentFrame(), 3);
    player.PaintFrame();
    EXPECT_EQ(Hex(PixelAt(player, 50, 25)), Hex(Rgb(FrameColour(3))));
    player.Stop();
  }
}

TEST(PlayerPaint, WithoutAFileTheFaceIsColor) {
  for (const ColourCase& c : kColours) {
    SCOPED_TRACE(c.name);
    Stage stage;
    TVxAVIPlay& player = stage.Player();
    player.SetColor(c.color);
    PumpIdle();
    FillClient(player, kMagenta);
    player.PaintFrame();
    for (POINT p : {POINT{0, 0}, POINT{99, 49}, POINT{50, 25}, POINT{99, 0}})
      EXPECT_EQ(Hex(PixelAt(player, p.x, p.y)), Hex(c.rgb)) << p.x << ", " << p.y;
  }
}

// Along the edge, the dots of the design frame alternate with the face; inside, only the face.
TEST(PlayerPaint, TheDottedFrameIsDrawnInADesignerOnly) {
  for (bool designing : {true, false}) {
    SCOPED_TRACE(designing ? "designing" : "running");
    Stage stage;
    TVxAVIPlay& player = stage.Player();
    player.SetColor(clWhite);
    player.SetDesigning(designing);
    PumpIdle();
    player.PaintFrame();
    auto blackAlong = [&](int x0, int y0, int dx, int dy, int n) {
      int black = 0;
      for (int i = 0; i < n; ++i) black += PixelAt(player, x0 + i * dx, y0 + i * dy) == RGB(0, 0, 0);
      return black;
    };
    const int top = blackAlong(0, 0, 1, 0, 100), bottom = blackAlong(0, 49, 1, 0, 100);
    const int left = blackAlong(0, 0, 0, 1, 50), right = blackAlong(99, 0, 0, 1, 50);
    if (designing) {
      for (int edge : {top, bottom}) {
        EXPECT_GE(edge, 20);
        EXPECT_LE(edge, 80);
      }
      for (int edge : {left, right}) {
        EXPECT_GE(edge, 10);
        EXPECT_LE(edge, 40);
      }
    } else {
      EXPECT_EQ(top + bottom + left + right, 0);
    }
    EXPECT_EQ(blackAlong(1, 1, 1, 0, 98) + blackAlong(1, 48, 1, 0, 98) + blackAlong(1, 1, 0, 1, 48) +
                  blackAlong(98, 1, 0, 1, 48),
              0)
        << "inside the edge";
  }
}

// 64 x 48, the left half #C03020 and the right half #2040D0, through a lossy codec.
TEST(PlayerPaint, DecodedFramesOfLossyCodecsAreRoughlyRight) {
  for (const char* file : {"cinepak.avi", "msvideo1.avi"}) {
    SCOPED_TRACE(file);
    Stage stage;
    TVxAVIPlay& player = stage.Player();
    player.SetFileName(FfmpegFixture(file));
    ASSERT_TRUE(player.Opened());
    EXPECT_EQ(player.FrameCount(), 10);
    EXPECT_EQ(player.BoundsRect(), (RECT{10, 10, 74, 58}));
    PumpIdle();
    for (POINT p : {POINT{4, 4}, POINT{16, 24}, POINT{28, 44}})
      EXPECT_TRUE(Near(PixelAt(player, p.x, p.y), RGB(0xC0, 0x30, 0x20), 32))
          << p.x << ", " << p.y << ": " << Hex(PixelAt(player, p.x, p.y));
    for (POINT p : {POINT{36, 4}, POINT{48, 24}, POINT{60, 44}})
      EXPECT_TRUE(Near(PixelAt(player, p.x, p.y), RGB(0x20, 0x40, 0xD0), 32))
          << p.x << ", " << p.y << ": " << Hex(PixelAt(player, p.x, p.y));
  }
}

// Each guard is switched on (true) and off (false) on the stage.
using Guard = std::function<void(Stage&, bool)>;

Guard StateOf(bool onParent, TComponentState flag) {
  return [=](Stage& s, bool hold) {
    TComponent& c = onParent ? static_cast<TComponent&>(s.Form()) : s.Player();
    if (hold)
      c.SetComponentState(flag);
    else
      c.ClearComponentState(flag);
  };
}

// The window stays on the screen while the control counts as invisible.
void Invisible(Stage& s, bool hold) {
  s.Player().SetVisible(!hold);
  if (hold) ShowWindow(s.Player().Handle(), SW_SHOWNA);
}

TEST(PlayerPaint, NothingIsPaintedWhileAGuardHolds) {
  struct Case {
    const char* name;
    Guard guard;
    bool painted;
  };
  const Case cases[] = {
      {"invisible at run time", Invisible, false},
      {"invisible in a designer",
       [](Stage& s, bool hold) {
         s.Player().SetDesigning(hold);
         Invisible(s, hold);
       },
       true},
      {"the control being loaded", StateOf(false, csLoading), false},
      {"the control being read", StateOf(false, csReading), false},
      {"the parent being loaded", StateOf(true, csLoading), false},
      {"the parent being read", StateOf(true, csReading), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Stage stage;
    TVxAVIPlay& p = stage.Open(Files().Colours);
    PumpIdle();
    c.guard(stage, true);
    FillClient(p, kMagenta);
    p.PaintFrame();
    p.Perform(TVxAVIPlay::CM_REPAINT, 0, 0);
    const COLORREF frame = Rgb(FrameColour(0));
    EXPECT_EQ(Hex(PixelAt(p, 20, 15)), Hex(c.painted ? frame : kMagenta));
    c.guard(stage, false);
    p.PaintFrame();
    EXPECT_EQ(Hex(PixelAt(p, 20, 15)), Hex(frame)) << "painted once the guard is gone";
  }
}

TEST(PlayerPaint, APaintMakesNoWindow) {
  Freeing<THostForm> form(new THostForm(nullptr));
  auto* player = new TVxAVIPlay(form.get());
  player->SetTransparent(false);
  player->PaintFrame();  // no parent yet
  player->SetParent(form.get());
  player->PaintFrame();
  player->SetCenter(false);  // setters paint too
  player->SetStretch(true);
  EXPECT_FALSE(player->HandleAllocated());
  EXPECT_FALSE(form->HandleAllocated());
}

}  // namespace
