// Transparent players on the 24-bit test display, pixel by pixel: the frame's bottom-left
// colour shows what the parent paints beneath the control, taken one pixel right of and
// below the control's place in the parent's painting; every other colour shows the frame;
// a stretched frame takes its key after scaling; without a file only the background shows,
// and in a designer the outer ring is left to the dotted frame.
#include <gtest/gtest.h>

#include <memory>

#include "ComposeSupport.h"
#include "vcl/ScopedGdi.h"

namespace {

// The parent's painting at (px, py) for a parent whose client area begins `inset` pixels
// in; -1 where the painting shows the parent's edge rather than its client area.
int64_t PaintingAt(int inset, int px, int py) {
  const int x = px - inset, y = py - inset;
  if (x < 0 || y < 0) return -1;
  return PatternAt(x, y);
}

void FillClient(TWinControl& control, COLORREF colour) {
  ScopedWindowDC dc(control.Handle());
  ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(colour));
  const RECT client = control.ClientRect();
  FillRect(dc, &client, brush);
}

TEST(TransparentPaint, TheKeyColourShowsTheParentsPaintingAndEveryOtherColourTheFrame) {
  struct Case {
    const char* name;
    std::string ComposeFiles::*file;
    uint32_t corner;
    std::optional<TEdge> panel;  // none: the player sits on the form itself
  };
  const Case cases[] = {
      {"green corner, on the borderless form", &ComposeFiles::GreenCorner, kGreen, std::nullopt},
      {"red corner, on the borderless form", &ComposeFiles::RedCorner, kRed, std::nullopt},
      {"green corner, on a panel without a border", &ComposeFiles::GreenCorner, kGreen, TEdge::None},
      {"green corner, on a panel with WS_BORDER", &ComposeFiles::GreenCorner, kGreen, TEdge::Border},
      {"green corner, on a panel with a client edge", &ComposeFiles::GreenCorner, kGreen, TEdge::ClientEdge},
  };
  TPatternForm& form = PatternForm();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Freeing<TPatternPanel> panel;
    TWinControl* parent = &form;
    if (c.panel) {
      panel.reset(new TPatternPanel(&form, *c.panel));
      panel->SetBounds(20, 30, 200, 150);
      panel->SetParent(&form);
      parent = panel.get();
    }
    const int inset = c.panel ? EdgeInset(*c.panel) : 0;
    auto player = NewPlayer(&form, parent, 37, 23, Files().*c.file);
    ASSERT_TRUE(player->Opened());
    ASSERT_EQ(player->ClientRect(), (RECT{0, 0, kProbeWidth, kProbeHeight}));
    PumpIdle();
    player->PaintFrame();
    EXPECT_TRUE(PixelsMatch(PixelGrid::OfWindow(player->Handle()), [&](int x, int y) -> int64_t {
      const uint32_t frame = ProbePixel(c.corner, x, y);
      return frame == c.corner ? PaintingAt(inset, 37 + 1 + x, 23 + 1 + y) : frame;
    }));
  }
}

// 64 x 48 blocks drawn in 40 x 30: the scaled corner is a blend of its green and the red
// around it, and pure green is left inside the larger green blocks.
TEST(TransparentPaint, AStretchedFrameTakesItsKeyAfterScaling) {
  TPatternForm& form = PatternForm();
  auto player = NewPlayer(&form, &form, 37, 23);
  player->SetAutoSize(false);
  player->SetStretch(true);
  player->SetBounds(37, 23, 40, 30);
  player->SetFileName(Files().Blocks);
  ASSERT_TRUE(player->Opened());
  PumpIdle();
  player->PaintFrame();
  const PixelGrid shown = PixelGrid::OfWindow(player->Handle());

  // The frame as halftone scaling draws it at that size.
  PGETFRAME reader = AVIStreamGetFrameOpen(player->VideoStream(), nullptr);
  ASSERT_NE(reader, nullptr);
  std::unique_ptr<IGetFrame, decltype(&AVIStreamGetFrameClose)> closeReader(reader, &AVIStreamGetFrameClose);
  const auto* frame = static_cast<const BITMAPINFOHEADER*>(AVIStreamGetFrame(reader, 0));
  ASSERT_NE(frame, nullptr);
  ScopedWindowDC windowDC(player->Handle());
  ScopedMemoryDC scaledDC(windowDC);
  ScopedGdiObject<HBITMAP> scaledBitmap(CreateCompatibleBitmap(windowDC, 40, 30));
  std::optional<PixelGrid> scaled;
  {
    ScopedSelect selected(scaledDC, scaledBitmap);
    SetStretchBltMode(scaledDC, HALFTONE);
    StretchDIBits(scaledDC, 0, 0, 40, 30, 0, 0, 64, 48,
                  reinterpret_cast<const BYTE*>(frame) +
                      FrameBitsOffset(frame->biSize, frame->biBitCount, frame->biCompression, frame->biClrUsed),
                  reinterpret_cast<const BITMAPINFO*>(frame), DIB_RGB_COLORS, SRCCOPY);
    scaled = PixelGrid::OfDC(scaledDC, 40, 30);
  }
  const uint32_t key = scaled->At(0, 29);
  ASSERT_NE(key, kGreen) << "scaling must change the corner for this test to mean anything";
  int greens = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) greens += scaled->At(x, y) == kGreen;
  ASSERT_GT(greens, 0) << "pure green must be left in the scaled frame";

  EXPECT_TRUE(PixelsMatch(shown, [&](int x, int y) -> int64_t {
    const uint32_t s = scaled->At(x, y);
    return s == key ? PatternAt(37 + 1 + x, 23 + 1 + y) : s;
  })) << "key " << Hex(key);
}

// A player whose window keeps one DC, drawing text and dotted lines without a background:
// the gaps of the dotted design frame then show what lay under them.
class TOwnDCPlayer : public TVxAVIPlay {
public:
  using TVxAVIPlay::TVxAVIPlay;
  VCL_CLASS_NAME(TOwnDCPlayer)

protected:
  void CreateParams(TCreateParams& params) override {
    TVxAVIPlay::CreateParams(params);
    params.ClassStyle |= CS_OWNDC;
  }
  void CreateWnd() override {
    TVxAVIPlay::CreateWnd();
    ScopedWindowDC dc(Handle());
    SetBkMode(dc, TRANSPARENT);
  }
};

TEST(TransparentPaint, WithoutAFileOnlyTheBackgroundShowsAndADesignerKeepsTheRing) {
  const COLORREF magenta = RGB(0xFF, 0x00, 0xFF);
  TPatternForm& form = PatternForm();
  for (bool designing : {false, true}) {
    SCOPED_TRACE(designing ? "in a designer" : "at run time");
    Freeing<TOwnDCPlayer> player(new TOwnDCPlayer(&form));
    player->SetBounds(37, 23, 100, 50);
    player->SetParent(&form);
    player->SetDesigning(designing);
    PumpIdle();
    FillClient(*player, magenta);
    player->PaintFrame();
    const PixelGrid shown = PixelGrid::OfWindow(player->Handle());
    ASSERT_EQ(shown.Width(), 100);
    ASSERT_EQ(shown.Height(), 50);
    auto onRing = [](int x, int y) { return x == 0 || y == 0 || x == 99 || y == 49; };
    EXPECT_TRUE(PixelsMatch(shown, [&](int x, int y) -> int64_t {
      if (designing && onRing(x, y)) return -1;
      return PatternAt(37 + 1 + x, 23 + 1 + y);
    }));
    if (!designing) continue;
    // The ring holds the dots of the design frame and, between them, what was there before.
    int dots = 0, before = 0;
    for (int y = 0; y < 50; ++y)
      for (int x = 0; x < 100; ++x) {
        if (!onRing(x, y)) continue;
        const uint32_t p = shown.At(x, y);
        dots += p == 0x000000;
        before += p == 0xFF00FF;
        EXPECT_TRUE(p == 0x000000 || p == 0xFF00FF) << x << ", " << y << ": " << Hex(p);
      }
    EXPECT_GE(dots, 60) << "the dotted frame";
    EXPECT_GE(before, 60) << "the gaps between the dots";
  }
}

}  // namespace
