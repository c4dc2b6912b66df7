// Expanding the pixel data of a BMP file (palette indices, 16-, 24- and 32-bit pixels,
// RLE8 and RLE4) into 32-bit 0x00RRGGBB pixels. No OS call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "BitmapHeader.h"

// Where decoded pixels go: row y (0 at the top) starts at top + y * stride pixels.
struct PixelRows {
  uint32_t* top = nullptr;
  ptrdiff_t stride = 0;
  uint32_t* Row(int y) const { return top + y * stride; }
};

// Fills layout.height rows of layout.width pixels from the file that `layout` was read
// from. RLE data that skips pixels (delta, end of line, end of bitmap) or ends early
// leaves them black; runs past the right edge are clipped.
void DecodeBitmapPixels(std::string_view file, const BitmapLayout& layout, PixelRows rows);
