// A picture whose every pixel tells where it is: the colour at (x, y) encodes x and y, so
// any copy of a part of it shows where it was taken from. Red and green are the low bytes
// of x and y, blue is 0x80 plus their high bits: distinct below 2048 x 2048, and never a
// colour whose blue byte lies outside 0x80 to 0xBF.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "vcl/DibInfo.h"

// 0xRRGGBB.
constexpr uint32_t PatternAt(int x, int y) {
  return static_cast<uint32_t>((x & 0xFF) << 16 | (y & 0xFF) << 8 | 0x80 | (x >> 8 & 7) << 3 | (y >> 8 & 7));
}

// Draws `pixels` (top-down rows of 0x00RRGGBB) over (0, 0, width, height) of `dc`.
inline void DrawPixels(HDC dc, int width, int height, const uint32_t* pixels) {
  const BITMAPINFO info = Rgb32BitmapInfo(width, -height);
  StretchDIBits(dc, 0, 0, width, height, 0, 0, width, height, pixels, &info, DIB_RGB_COLORS, SRCCOPY);
}

// Paints the pattern over (0, 0, width, height) of `dc`, from a buffer kept for the last
// size asked for.
inline void PaintPattern(HDC dc, int width, int height) {
  static std::vector<uint32_t> pixels;
  static int bufferWidth = 0, bufferHeight = 0;
  if (width <= 0 || height <= 0) return;
  if (width != bufferWidth || height != bufferHeight) {
    pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + x] = PatternAt(x, y);
    bufferWidth = width;
    bufferHeight = height;
  }
  DrawPixels(dc, width, height, pixels.data());
}
