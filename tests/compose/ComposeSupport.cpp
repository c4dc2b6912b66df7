#include "ComposeSupport.h"

#include <algorithm>
#include <cstdio>

#include "support/AviWriter.h"
#include "support/SharedForm.h"
#include "support/TempDir.h"
#include "vcl/DibInfo.h"
#include "vcl/ScopedGdi.h"

TPatternForm::TPatternForm(TComponent* owner) : TForm(owner) {
  SetBorderStyle(bsNone);
  SetBounds(0, 0, 400, 300);
}

void TPatternForm::PaintWindow(HDC dc) {
  if (!WindowFromDC(dc)) ++OffscreenPaints;
  PaintPattern(dc, Width(), Height());
}

TPatternForm& PatternForm() {
  // Pumped once after it is first shown, so that it has painted before a test looks.
  static bool pumped = false;
  TPatternForm& form = SharedForm<TPatternForm>();
  if (!pumped) PumpIdle();
  pumped = true;
  return form;
}

int EdgeInset(TEdge edge) {
  switch (edge) {
    case TEdge::None: return 0;
    case TEdge::Border: return 1;
    case TEdge::ClientEdge: return 2;
  }
  return 0;
}

void TPatternPanel::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  if (edge_ == TEdge::Border) params.Style |= WS_BORDER;
  if (edge_ == TEdge::ClientEdge) params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TPatternPanel::Paint(HDC dc) {
  const RECT client = ClientRect();
  PaintPattern(dc, client.right, client.bottom);
}

void TWatchedPlayer::WndProc(TMessage& message) {
  if (message.Msg == CM_REPAINT) ++Repaints;
  if (message.Msg == WM_ERASEBKGND && HandleAllocated() &&
      WindowFromDC(reinterpret_cast<HDC>(message.WParam)) == Handle())
    ++WindowErases;
  TVxAVIPlay::WndProc(message);
}

Freeing<TWatchedPlayer> NewPlayer(TComponent* owner, TWinControl* parent, int left, int top,
                                  const std::string& file) {
  Freeing<TWatchedPlayer> player(new TWatchedPlayer(owner));
  player->SetLeft(left);
  player->SetTop(top);
  player->SetParent(parent);
  if (!file.empty()) player->SetFileName(file);
  return player;
}

// ---------------------------------------------------------------------------------------

uint32_t ProbePixel(uint32_t corner, int x, int y) {
  static constexpr uint32_t probes[] = {kGreen, 0x00FE00, 0x01FF00, 0x00FF01, kRed, 0x000000, 0xFFFFFF, 0x204060};
  if (x == 0 && y == kProbeHeight - 1) return corner;
  return probes[(x / 2 + y * 3) % 8];
}

namespace {

ComposeFiles WriteFiles(const TempDir& dir) {
  ComposeFiles f;
  f.GreenCorner = dir / "green-corner.avi";
  WriteAvi(f.GreenCorner, {{kProbeWidth, kProbeHeight, 10, 1, 25, 0,
                            [](int32_t, int32_t x, int32_t y) { return ProbePixel(kGreen, x, y); }},
                           std::nullopt});
  f.RedCorner = dir / "red-corner.avi";
  WriteAvi(f.RedCorner, {{kProbeWidth, kProbeHeight, 10, 1, 25, 0,
                          [](int32_t, int32_t x, int32_t y) { return ProbePixel(kRed, x, y); }},
                         std::nullopt});
  f.Blocks = dir / "blocks.avi";
  WriteAvi(f.Blocks, {{64, 48, 1, 1, 25, 0,
                       [](int32_t, int32_t x, int32_t y) {
                         if (x == 0 && y == 47) return kGreen;
                         return (x / 6 + y / 6) % 2 ? kRed : kGreen;
                       }},
                      std::nullopt});
  return f;
}

}  // namespace

const ComposeFiles& Files() {
  static const TempDir dir("compose ");
  static const ComposeFiles files = WriteFiles(dir);
  return files;
}

// ---------------------------------------------------------------------------------------

PixelGrid PixelGrid::OfDC(HDC dc, int width, int height) {
  PixelGrid grid;
  grid.width_ = width;
  grid.height_ = height;
  grid.pixels_.resize(static_cast<size_t>(width) * height);
  const BITMAPINFO info = Rgb32BitmapInfo(width, -height);
  void* bits = nullptr;
  ScopedGdiObject<HBITMAP> section(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  ScopedMemoryDC copy(dc);
  {
    ScopedSelect selected(copy, section);
    BitBlt(copy, 0, 0, width, height, dc, 0, 0, SRCCOPY);
  }
  GdiFlush();
  const auto* source = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < grid.pixels_.size(); ++i) grid.pixels_[i] = source[i] & 0xFFFFFF;
  return grid;
}

PixelGrid PixelGrid::OfWindow(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  ScopedWindowDC dc(window);
  return OfDC(dc, client.right, client.bottom);
}

::testing::AssertionResult PixelsMatch(const PixelGrid& got, const PixelRule& want) {
  int wrong = 0;
  std::string first;
  for (int y = 0; y < got.Height(); ++y)
    for (int x = 0; x < got.Width(); ++x) {
      const int64_t expected = want(x, y);
      if (expected < 0 || got.At(x, y) == static_cast<uint32_t>(expected)) continue;
      if (++wrong <= 5)
        first += "\n  (" + std::to_string(x) + ", " + std::to_string(y) + "): " + Hex(got.At(x, y)) + ", want " +
                 Hex(static_cast<uint32_t>(expected));
    }
  if (wrong == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << wrong << " of " << got.Width() * got.Height() << " pixels differ" << first;
}

std::string Hex(uint32_t rgb) {
  char text[16];
  std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(rgb));
  return text;
}

uint32_t ToRgb(COLORREF colour) {
  return static_cast<uint32_t>(GetRValue(colour)) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
}

SIZE SelectedBitmapSize(HDC dc) {
  BITMAP bitmap{};
  GetObjectA(GetCurrentObject(dc, OBJ_BITMAP), sizeof bitmap, &bitmap);
  return SIZE{bitmap.bmWidth, bitmap.bmHeight};
}

// ---------------------------------------------------------------------------------------


