// Reading BMP files without the OS: header checks and pixel expansion.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "BmpBuilder.h"
#include "vcl/BitmapHeader.h"
#include "vcl/BitmapPixels.h"
#include "vcl/SysUtils.h"

namespace {

// The file's pixels, top row first.
std::vector<uint32_t> Decode(const std::string& file, BitmapLayout& layout) {
  layout = ReadBitmapLayout(file);
  std::vector<uint32_t> pixels(static_cast<size_t>(layout.width) * layout.height, 0xDEADBEEF);
  DecodeBitmapPixels(file, layout, PixelRows{pixels.data(), layout.width});
  return pixels;
}

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;
constexpr uint32_t kC0 = 0x111111, kC1 = 0xA01020, kC2 = 0x20B030, kC3 = 0x3040C0;

struct DecodeCase {
  const char* name;
  BmpFields fields;
  int width, height;
  std::vector<uint32_t> pixels;  // top row first
};

const DecodeCase kDecodeCases[] = {
    {"24-bit bottom-up, rows padded to 4 bytes",
     {.width = 3, .height = 2,
      .bits = Bytes({0x30, 0x20, 0x10, 0x60, 0x50, 0x40, 0x90, 0x80, 0x70, 0, 0, 0,
                     0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0, 0, 0})},
     3, 2, {kRed, kGreen, kBlue, 0x102030, 0x405060, 0x708090}},
    {"24-bit top-down",
     {.width = 3, .height = -2,
      .bits = Bytes({0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0, 0, 0,
                     0x30, 0x20, 0x10, 0x60, 0x50, 0x40, 0x90, 0x80, 0x70, 0, 0, 0})},
     3, 2, {kRed, kGreen, kBlue, 0x102030, 0x405060, 0x708090}},
    {"24-bit, the last row without its padding",
     {.width = 1, .height = 2, .bits = Bytes({0x30, 0x20, 0x10, 0, 0x00, 0x00, 0xFF})},
     1, 2, {kRed, 0x102030}},
    {"1-bit, nine pixels a row, the leftmost in the high bit; of 1000 colours used two count",
     {.width = 9, .height = 1, .bitCount = 1, .colorsUsed = 1000, .palette = {kC0, kC1},
      .bits = Bytes({0xB2, 0x80, 0, 0})},
     9, 1, {kC1, kC0, kC1, kC1, kC0, kC0, kC1, kC0, kC1}},
    {"4-bit, an index past a short palette is black",
     {.width = 3, .height = 1, .bitCount = 4, .colorsUsed = 3, .palette = {kC0, kC1, kC2},
      .bits = Bytes({0x12, 0xF0, 0, 0})},
     3, 1, {kC1, kC2, 0}},
    {"8-bit",
     {.width = 2, .height = 1, .bitCount = 8, .colorsUsed = 2, .palette = {kC0, kC1}, .bits = Bytes({1, 0, 0, 0})},
     2, 1, {kC1, kC0}},
    {"16-bit BI_RGB is 5-5-5, channels widened by repeating their bits",
     {.width = 3, .height = 1, .bitCount = 16, .bits = Bytes({0x00, 0x7C, 0x21, 0x04, 0xFF, 0x7F, 0, 0})},
     3, 1, {kRed, 0x080808, 0xFFFFFF}},
    {"16-bit 5-6-5 masks after a BITMAPINFOHEADER",
     {.width = 3, .height = 1, .bitCount = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F},
      .bits = Bytes({0xE0, 0x07, 0x41, 0x08, 0x1F, 0xF8, 0, 0})},
     3, 1, {kGreen, 0x080808, 0xFF00FF}},
    {"32-bit BI_RGB ignores the top byte",
     {.width = 1, .height = 1, .bitCount = 32, .bits = Bytes({0x30, 0x20, 0x10, 0xFF})},
     1, 1, {0x102030}},
    {"32-bit 10-10-10 masks inside a V5 header",
     {.headerSize = 124, .width = 1, .height = 1, .bitCount = 32, .compression = 3,
      .masks = {0x3FF00000, 0x000FFC00, 0x000003FF}, .bits = Bytes({0x04, 0x00, 0xF8, 0x3F})},
     1, 1, {0xFF8001}},
    {"BITMAPCOREHEADER with a palette of RGB triples",
     {.headerSize = 12, .width = 2, .height = 1, .bitCount = 1, .palette = {kC2, kC3}, .bits = Bytes({0x40, 0, 0, 0})},
     2, 1, {kC2, kC3}},
    // Bottom row: a run of two, then three absolute pixels (padded) of which the last is
    // clipped; end of line; a delta skips the middle row; one pixel at x 1 of the top row.
    {"RLE8: run, absolute, clipping, end of line, delta, end of bitmap",
     {.width = 4, .height = 3, .bitCount = 8, .compression = 1, .colorsUsed = 4, .palette = {kC0, kC1, kC2, kC3},
      .bits = Bytes({2, 1, 0, 3, 2, 3, 1, 0, 0, 0, 0, 2, 1, 1, 1, 2, 0, 1})},
     4, 3, {0, kC2, 0, 0, 0, 0, 0, 0, kC1, kC1, kC2, kC3}},
    // Three pixels of nibbles 1 and 2 by turns, three absolute nibbles, a run of two; the
    // data ends there, without an end of bitmap, so the top row stays black.
    {"RLE4: runs alternate nibbles, absolute nibbles, data ending early",
     {.width = 8, .height = 2, .bitCount = 4, .compression = 2, .colorsUsed = 7,
      .palette = {kC0, kC1, kC2, kC3, 0x444444, 0x555555, 0x666666},
      .bits = Bytes({3, 0x12, 0, 3, 0x34, 0x50, 2, 0x66})},
     8, 2, {0, 0, 0, 0, 0, 0, 0, 0, kC1, kC2, kC1, kC3, 0x444444, 0x555555, 0x666666, 0x666666}},
};

TEST(BitmapFile, DecodesEachForm) {
  for (const DecodeCase& c : kDecodeCases) {
    SCOPED_TRACE(c.name);
    BitmapLayout layout;
    const std::vector<uint32_t> pixels = Decode(BuildBmp(c.fields), layout);
    EXPECT_EQ(layout.width, c.width);
    EXPECT_EQ(layout.height, c.height);
    EXPECT_EQ(pixels, c.pixels);
  }
}

// A valid 2 x 2 24-bit file changed in one respect.
std::string Valid24() { return BuildBmp({.width = 2, .height = 2, .bits = std::string(16, '\x40')}); }

std::string WithU32(size_t at, uint32_t value) {
  return Changed(Valid24(), [&](std::string& f) { PutU32(f, at, value); });
}

std::string WithU16(size_t at, uint32_t value) {
  return Changed(Valid24(), [&](std::string& f) { PutU16(f, at, value); });
}

struct RejectCase {
  const char* name;
  std::string file;
};

const std::vector<RejectCase>& RejectCases() {
  static const std::vector<RejectCase> cases = {
      {"empty file", ""},
      {"shorter than the file header", "BM"},
      {"text", "This is a text file, not a picture.\r\n"},
      {"a JPEG's first bytes", Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1})},
      {"another signature", Changed(Valid24(), [](std::string& f) { f[1] = 'A'; })},
      {"info header cut short", Valid24().substr(0, kBmpHeaderSize + 20)},
      {"unknown header size", WithU32(kBmpHeaderSize, 20)},
      {"header size past the end", WithU32(kBmpHeaderSize, 0xFFFFFFFF)},
      {"no planes", WithU16(kBmpPlanes, 0)},
      {"7 bits a pixel", WithU16(kBmpBitCount, 7)},
      {"16 bits in a core header",
       BuildBmp({.headerSize = 12, .width = 1, .height = 1, .bitCount = 16, .bits = std::string(4, '\0')})},
      {"BI_JPEG", WithU32(kBmpCompression, 4)},
      {"BI_BITFIELDS with 24 bits", WithU32(kBmpCompression, 3)},
      {"RLE8 with 4 bits",
       BuildBmp({.width = 2, .height = 1, .bitCount = 4, .compression = 1, .colorsUsed = 1, .palette = {0},
                 .bits = Bytes({0, 1})})},
      {"RLE8 top-down",
       BuildBmp({.width = 2, .height = -1, .bitCount = 8, .compression = 1, .colorsUsed = 1, .palette = {0},
                 .bits = Bytes({0, 1})})},
      {"width 0", WithU32(kBmpWidth, 0)},
      {"negative width", WithU32(kBmpWidth, static_cast<uint32_t>(-2))},
      {"height 0", WithU32(kBmpHeight, 0)},
      {"height -2^31", WithU32(kBmpHeight, 0x80000000)},
      {"100000 x 100000 in a few bytes of RLE",
       BuildBmp({.width = 100000, .height = 100000, .bitCount = 8, .compression = 1, .colorsUsed = 1, .palette = {0},
                 .bits = Bytes({0, 1})})},
      {"70000 x 70000 uncompressed", Changed(WithU32(kBmpWidth, 70000), [](std::string& f) {
         PutU32(f, kBmpHeight, 70000);
       })},
      {"2^31 - 1 pixels wide, one row", WithU32(kBmpWidth, 0x7FFFFFFF)},
      {"pixel offset past the end", WithU32(kBmpOffBits, 0x7FFFFFF0)},
      {"pixel offset at the end", WithU32(kBmpOffBits, static_cast<uint32_t>(Valid24().size()))},
      {"pixel offset inside the headers", WithU32(kBmpOffBits, 20)},
      {"pixel offset inside the masks after the header",
       Changed(BuildBmp({.width = 1, .height = 1, .bitCount = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F},
                         .bits = std::string(8, '\0')}),
               [](std::string& f) { PutU32(f, kBmpOffBits, kBmpHeaderSize + 40 + 4); })},
      {"pixel data one byte short", Valid24().substr(0, Valid24().size() - 3)},  // 2 would be padding
      {"palette past the end",
       BuildBmp({.width = 1, .height = 1, .bitCount = 8, .palette = {0, 0}, .bits = std::string(4, '\0')})},
      {"masks past the end",
       BuildBmp({.width = 1, .height = 1, .bitCount = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F}})
           .substr(0, kBmpHeaderSize + 40 + 8)},
      {"mask not contiguous",
       BuildBmp({.width = 1, .height = 1, .bitCount = 16, .compression = 3, .masks = {0xF0F0, 0x0F00, 0x000F},
                 .bits = std::string(4, '\0')})},
      {"masks overlapping",
       BuildBmp({.width = 1, .height = 1, .bitCount = 16, .compression = 3, .masks = {0xF800, 0x0FE0, 0x001F},
                 .bits = std::string(4, '\0')})},
      {"a zero mask",
       BuildBmp({.width = 1, .height = 1, .bitCount = 32, .compression = 3, .masks = {0xFF0000, 0, 0xFF},
                 .bits = std::string(4, '\0')})},
      {"mask wider than the pixel",
       BuildBmp({.width = 1, .height = 1, .bitCount = 16, .compression = 3, .masks = {0x1F0000, 0x07E0, 0x001F},
                 .bits = std::string(4, '\0')})},
  };
  return cases;
}

TEST(BitmapFile, RejectsInvalidFiles) {
  for (const RejectCase& c : RejectCases()) {
    SCOPED_TRACE(c.name);
    try {
      ReadBitmapLayout(c.file);
      ADD_FAILURE() << "accepted";
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.Message(), "Bitmap image is not valid");
    }
  }
}

TEST(BitmapFile, PixelLimitHoldsForCompressedData) {
  const auto rle = [](int32_t width, int32_t height) {
    return BuildBmp({.width = width, .height = height, .bitCount = 8, .compression = 1, .colorsUsed = 1,
                     .palette = {0}, .bits = Bytes({0, 1})});
  };
  const int32_t side = 1 << 13;  // 8192 x 8192 is the largest square
  EXPECT_EQ(ReadBitmapLayout(rle(side, side)).height, side);
  EXPECT_THROW(ReadBitmapLayout(rle(side, side + 1)), EInvalidGraphic);
}

// Under the sanitizers: no prefix and no single damaged byte of a valid file may read out
// of bounds; each is either rejected or decoded. (Damaged sizes of more than a million
// pixels are only checked, not decoded, to keep the test quick.)
TEST(BitmapFile, DamagedFilesStayInBounds) {
  for (const DecodeCase& c : kDecodeCases) {
    SCOPED_TRACE(c.name);
    const std::string file = BuildBmp(c.fields);
    const auto tryDecode = [](const std::string& damaged) {
      try {
        const BitmapLayout layout = ReadBitmapLayout(damaged);
        if (int64_t{layout.width} * layout.height > 1 << 20) return;
        std::vector<uint32_t> pixels(static_cast<size_t>(layout.width) * layout.height);
        DecodeBitmapPixels(damaged, layout, PixelRows{pixels.data(), layout.width});
      } catch (const EInvalidGraphic&) {
      }
    };
    for (size_t length = 0; length < file.size(); ++length) tryDecode(file.substr(0, length));
    for (size_t at = 0; at < file.size(); ++at)
      for (const int flip : {0x01, 0x80, 0xFF}) tryDecode(Changed(file, [&](std::string& f) { f[at] ^= flip; }));
  }
}

}  // namespace
