// The colour-key routines on their own, between memory DCs of the 24-bit display: the
// MaskBlt way and the four-StretchBlt way give the same unscaled picture, a scaled copy
// lands where its scale puts it, and ColorKeyBlit leaves out exactly the key colour.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

#include "ColorKey.h"
#include "ComposeSupport.h"
#include "vcl/ScopedGdi.h"

namespace {

using Fill = std::function<uint32_t(int x, int y)>;

COLORREF Colour(uint32_t rgb) { return RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF); }

// A bitmap compatible with the display in a memory DC, painted from `fill`.
class Surface {
public:
  Surface(int width, int height, const Fill& fill)
      : width_(width), height_(height), screen_(nullptr), dc_(screen_),
        bitmap_(CreateCompatibleBitmap(screen_, width, height)), selected_(dc_, bitmap_) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * width + x] = fill(x, y);
    DrawPixels(dc_, width, height, pixels.data());
  }
  operator HDC() const { return dc_; }
  PixelGrid Read() const { return PixelGrid::OfDC(dc_, width_, height_); }

private:
  int width_, height_;
  ScopedWindowDC screen_;
  ScopedMemoryDC dc_;
  ScopedGdiObject<HBITMAP> bitmap_;
  ScopedSelect selected_;
};

// A monochrome mask in a memory DC: 1 (white) where `set` holds.
class Mask {
public:
  Mask(int width, int height, const std::function<bool(int x, int y)>& set) : dc_(nullptr) {
    const int stride = (width + 15) / 16 * 2;  // monochrome rows are word-aligned
    std::vector<BYTE> bits(static_cast<size_t>(stride) * height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (set(x, y)) bits[static_cast<size_t>(y) * stride + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    bitmap_ = ScopedGdiObject<HBITMAP>(CreateBitmap(width, height, 1, 1, bits.data()));
    selected_.emplace(dc_, bitmap_);
  }
  operator HDC() const { return dc_; }
  HBITMAP Bitmap() const { return bitmap_; }

private:
  ScopedMemoryDC dc_;
  ScopedGdiObject<HBITMAP> bitmap_;
  std::optional<ScopedSelect> selected_;
};

uint32_t SourceAt(int x, int y) { return static_cast<uint32_t>((x * 5 & 0xFF) << 16 | (y * 7 & 0xFF) << 8 | 0x33); }
bool MaskAt(int x, int y) { return (x * x + 3 * y) % 5 < 2; }

struct Blit {
  int x, y, w, h, xs, ys, ws, hs, xm, ym;
};
using BlitFn = void (*)(HDC, int, int, int, int, HDC, int, int, int, int, HDC, int, int);

// The destination pattern, with the source (scaled by whole factors) where the mask is 0.
PixelRule Expected(const Blit& b) {
  return [b](int x, int y) -> int64_t {
    if (x < b.x || x >= b.x + b.w || y < b.y || y >= b.y + b.h) return PatternAt(x, y);
    const int i = (x - b.x) * b.ws / b.w, j = (y - b.y) * b.hs / b.h;
    return MaskAt(b.xm + i, b.ym + j) ? PatternAt(x, y) : SourceAt(b.xs + i, b.ys + j);
  };
}

// Runs `fn` over a fresh destination and checks what it leaves behind in every DC.
void CheckBlit(const char* name, BlitFn fn, const Blit& b) {
  SCOPED_TRACE(name);
  Surface source(60, 50, SourceAt);
  Surface destination(80, 70, PatternAt);
  Mask mask(60, 50, MaskAt);
  SetTextColor(destination, RGB(1, 2, 3));
  SetBkColor(destination, RGB(4, 5, 6));
  fn(destination, b.x, b.y, b.w, b.h, source, b.xs, b.ys, b.ws, b.hs, mask, b.xm, b.ym);
  EXPECT_TRUE(PixelsMatch(destination.Read(), Expected(b)));
  EXPECT_EQ(GetTextColor(destination), RGB(1, 2, 3));
  EXPECT_EQ(GetBkColor(destination), RGB(4, 5, 6));
  EXPECT_EQ(GetCurrentObject(mask, OBJ_BITMAP), mask.Bitmap()) << "the mask is back in its DC";
  EXPECT_TRUE(PixelsMatch(source.Read(), [](int x, int y) { return SourceAt(x, y); })) << "the source is untouched";
}

// The mask's offset differs from the source's, so that a mix-up of the two shows.
TEST(ColorKeyCopy, MaskBltAndTheFourBlitWayGiveTheSamePicture) {
  const Blit unscaled{7, 5, 24, 18, 3, 4, 24, 18, 9, 6};
  CheckBlit("TransparentStretchBlit (MaskBlt on NT)", &TransparentStretchBlit, unscaled);
  CheckBlit("MaskedStretchBlit", &MaskedStretchBlit, unscaled);
}

TEST(ColorKeyCopy, AScaledCopyTakesEachSourcePixelToItsBlock) {
  const Blit cases[] = {
      {4, 6, 40, 30, 2, 3, 20, 15, 11, 5},  // twice the size
      {1, 2, 63, 28, 5, 1, 21, 14, 0, 7},   // three times as wide, twice as tall
      {9, 3, 30, 45, 0, 0, 30, 15, 3, 3},   // the width kept, three times as tall
  };
  for (const Blit& b : cases) {
    SCOPED_TRACE(testing::Message() << b.ws << " x " << b.hs << " to " << b.w << " x " << b.h);
    CheckBlit("TransparentStretchBlit", &TransparentStretchBlit, b);
    CheckBlit("MaskedStretchBlit", &MaskedStretchBlit, b);
  }
}

// Near-keys differ from the key in one channel by one step.
TEST(ColorKeyCopy, ColorKeyBlitLeavesOutTheKeyColourAndNothingElse) {
  for (uint32_t key : {kGreen, 0x000000u, 0xFFFFFFu, kRed}) {
    SCOPED_TRACE(Hex(key));
    const uint32_t nearKeys[] = {key ^ 0x010000, key ^ 0x000100, key ^ 0x000001};
    const Fill sourceAt = [&](int x, int y) -> uint32_t {
      switch ((x + 2 * y) % 5) {
        case 0: return key;
        case 1: return nearKeys[(x + y) % 3];
        default: return SourceAt(x, y);
      }
    };
    Surface source(40, 30, sourceAt);
    Surface destination(50, 40, PatternAt);
    SetBkColor(source, RGB(9, 8, 7));
    const RECT rect{3, 2, 23, 17};
    const POINT at{5, 6};
    ColorKeyBlit(source, destination, rect, at, Colour(key));
    EXPECT_TRUE(PixelsMatch(destination.Read(), [&](int x, int y) -> int64_t {
      const int sx = x - at.x + rect.left, sy = y - at.y + rect.top;
      if (sx < rect.left || sx >= rect.right || sy < rect.top || sy >= rect.bottom) return PatternAt(x, y);
      const uint32_t s = sourceAt(sx, sy);
      return s == key ? PatternAt(x, y) : s;
    }));
    EXPECT_EQ(GetBkColor(source), RGB(9, 8, 7)) << "the source's background colour is put back";
    EXPECT_EQ(ToRgb(CornerPixel(source, rect)), sourceAt(rect.left, rect.bottom)) << "the row is Bottom itself";
  }
}

}  // namespace
