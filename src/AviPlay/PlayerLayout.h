// Where the player puts its picture: the arithmetic of its layout and of the margins
// around an opaque picture, and where a decoded frame's pixel bits begin. No OS calls.
#pragma once

#include <array>
#include <cstdint>

struct TLayoutInput {
  int32_t Width = 0, Height = 0;  // the control's size
  bool Opened = false;
  int32_t VideoWidth = 0, VideoHeight = 0;
  bool Stretch = false, Center = true, Transparent = true, Designing = false;
};

struct TPictureLayout {
  int32_t ImageLeft = 0, ImageTop = 0;
  int32_t ImageWidth = 0, ImageHeight = 0;  // the source picture
  int32_t DesignBorder = 0;                 // 1 in a form designer
  int32_t InsetX = 0, InsetY = 0;           // opaque mode only; kept as they were otherwise
  int32_t DrawWidth = 0, DrawHeight = 0;    // the size the frame is drawn at
};

// Updates `layout` for `in`. Centring halves with truncation toward zero.
void ComputePictureLayout(const TLayoutInput& in, TPictureLayout& layout);

struct TMarginRect {
  int32_t Left, Top, Right, Bottom;
  bool Empty() const { return Right <= Left || Bottom <= Top; }
};

// Above, left of, below and right of the picture, as (left, top, right, bottom); where the
// picture overhangs the control some come out inverted.
std::array<TMarginRect, 4> MarginRects(int32_t width, int32_t height, const TPictureLayout& layout);

// Offset of the pixel bits from the start of a packed DIB: after the header, the bit
// masks of a 40-byte BI_BITFIELDS header, and the colour table, which is the full
// palette when a frame of 8 or fewer bits leaves biClrUsed at 0.
uint32_t FrameBitsOffset(uint32_t biSize, uint16_t biBitCount, uint32_t biCompression, uint32_t biClrUsed);
