// The layout of a BMP file, read from its file and info headers and checked against the
// file's length before anything else uses it. No OS call: hostile files are tried under
// the sanitizers on the host.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The largest picture the class library holds: 64 Mi pixels (256 MiB at 32 bits a pixel).
constexpr int64_t kMaxPicturePixels = int64_t{1} << 26;

enum class BitmapCompression { None, Rle8, Rle4 };

// One colour channel of a 16- or 32-bit pixel: a contiguous run of `bits` bits at `shift`.
struct ChannelMask {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
};

struct BitmapLayout {
  int width = 0;
  int height = 0;        // rows, always positive
  bool topDown = false;  // the first row in the file is the top one
  int bitCount = 0;      // 1, 4, 8, 16, 24 or 32
  BitmapCompression compression = BitmapCompression::None;
  std::array<uint32_t, 256> palette{};  // 0x00RRGGBB; entries the file does not hold are black
  ChannelMask red, green, blue;  // 16 and 32 bits a pixel
  size_t bitsOffset = 0;  // the pixel data lies inside the file at [bitsOffset, bitsOffset + bitsSize)
  size_t bitsSize = 0;
  size_t stride = 0;      // bytes from one stored row to the next (uncompressed data)
};

// Accepts BITMAPFILEHEADER followed by BITMAPCOREHEADER or by BITMAPINFOHEADER and its
// larger successors (V4, V5); 1, 4, 8, 16, 24 and 32 bits; BI_RGB, BI_RLE8, BI_RLE4 and
// BI_BITFIELDS; rows top-down or bottom-up. Raises EInvalidGraphic("Bitmap image is not
// valid") for anything else, for sizes or offsets that reach past the file, and for
// pictures larger than kMaxPicturePixels.
BitmapLayout ReadBitmapLayout(std::string_view file);
