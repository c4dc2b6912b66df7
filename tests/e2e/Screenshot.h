// What the X server shows on the whole screen, taken with ImageMagick's import as a user
// would take a screenshot, and checks of single pixels in it.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class Screenshot {
public:
  // Throws std::runtime_error when import fails or its picture is not of the screen's size.
  static Screenshot Take();

  int Width() const { return width_; }
  int Height() const { return height_; }
  // 0xRRGGBB.
  uint32_t Pixel(int x, int y) const;

private:
  Screenshot(int width, int height, std::string rgb) : width_(width), height_(height), rgb_(std::move(rgb)) {}

  int width_, height_;
  std::string rgb_;  // 8-bit R, G, B, top row first
};

struct PixelCheck {
  int x, y;
  uint32_t rgb;      // expected, 0xRRGGBB
  const char* what;  // where it is, for the failure message
};

// Each check that fails, one line each ("" when all hold); a pixel passes when every
// channel is within `tolerance` of the expected colour (JPEG shifts flat colours a little).
std::string PixelMismatches(const Screenshot& shot, const std::vector<PixelCheck>& checks, int tolerance = 40);
