// The description of a DIB of 32-bit 0x00RRGGBB pixels, for CreateDIBSection,
// StretchDIBits and GetDIBits.
#pragma once

#include <windows.h>

// No palette, no compression; the rows run from the top when `height` is negative, from
// the bottom otherwise.
inline BITMAPINFO Rgb32BitmapInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}
