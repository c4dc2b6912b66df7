// What the tests of transparent players share: a parent whose painting is a pattern they
// can compute (a form that also counts the paints it makes into DCs of no window, which
// are the players' background captures), a panel with or without a border painting the
// same, a player that counts its repaint requests and the erasing its window gets, the
// AVI files, pixels read back from a window or DC, and a message pump.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "AviPlay.h"
#include "PatternSurface.h"
#include "support/MessagePump.h"
#include "vcl/Forms.h"
#include "vcl/UiTestHelpers.h"  // Freeing

// A borderless form at the screen's top-left corner, 400 x 300, painting the pattern.
class TPatternForm : public TForm {
public:
  explicit TPatternForm(TComponent* owner);
  VCL_CLASS_NAME(TPatternForm)
  int OffscreenPaints = 0;  // paints into a DC that belongs to no window

protected:
  void PaintWindow(HDC dc) override;
};

// The one shown pattern form of the run, freed after the last test; it has no children
// between tests.
TPatternForm& PatternForm();

// Where a control's client area begins in its own painting: at its corner, one pixel in
// (WS_BORDER) or two (WS_EX_CLIENTEDGE).
enum class TEdge { None, Border, ClientEdge };
int EdgeInset(TEdge edge);

// A child window painting the pattern over its client area.
class TPatternPanel : public TCustomControl {
public:
  TPatternPanel(TComponent* owner, TEdge edge) : TCustomControl(owner), edge_(edge) {}
  VCL_CLASS_NAME(TPatternPanel)

protected:
  void CreateParams(TCreateParams& params) override;
  void Paint(HDC dc) override;

private:
  TEdge edge_;
};

// A plain windowed control that paints nothing of its own.
class TSibling : public TCustomControl {
public:
  using TCustomControl::TCustomControl;
  VCL_CLASS_NAME(TSibling)
};

class TWatchedPlayer : public TVxAVIPlay {
public:
  using TVxAVIPlay::TVxAVIPlay;
  VCL_CLASS_NAME(TWatchedPlayer)
  void WndProc(TMessage& message) override;

  int Repaints = 0;      // the clock's repaint requests handled
  int WindowErases = 0;  // WM_ERASEBKGND with a DC of the player's own window (BeginPaint's)
};

// A player at (left, top) of `parent`, owned by `owner`, transparent, showing `file` when
// one is named.
Freeing<TWatchedPlayer> NewPlayer(TComponent* owner, TWinControl* parent, int left, int top,
                                  const std::string& file = "");

// Frames of the probe files: 64 x 48, every pixel one of the probe colours (the key green,
// near-greens, a red, black, white, a blue-grey), the bottom-left one `corner`.
constexpr int kProbeWidth = 64, kProbeHeight = 48;
constexpr uint32_t kGreen = 0x00FF00, kRed = 0xC02040;
uint32_t ProbePixel(uint32_t corner, int x, int y);

struct ComposeFiles {
  std::string GreenCorner;  // 10 probe frames at 25 fps, corner kGreen
  std::string RedCorner;    // the same with the corner kRed
  std::string Blocks;       // 64 x 48, 6 x 6 blocks of green and red, the corner pixel green
                            // among red ones: halftone scaling changes its colour
};
const ComposeFiles& Files();

// A rectangle of pixels read back at once, 0xRRGGBB each.
class PixelGrid {
public:
  static PixelGrid OfWindow(HWND window);  // the client area, through the window's DC
  static PixelGrid OfDC(HDC dc, int width, int height);
  int Width() const { return width_; }
  int Height() const { return height_; }
  uint32_t At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

private:
  int width_ = 0, height_ = 0;
  std::vector<uint32_t> pixels_;
};

// What a pixel should be, or -1 where it is not checked.
using PixelRule = std::function<int64_t(int x, int y)>;
// Every pixel of `got` checked against `want`; the first differences are described.
::testing::AssertionResult PixelsMatch(const PixelGrid& got, const PixelRule& want);

std::string Hex(uint32_t rgb);
uint32_t ToRgb(COLORREF colour);

// The size of the bitmap selected into a memory DC.
SIZE SelectedBitmapSize(HDC dc);


