#include "BitmapPixels.h"

#include <algorithm>

namespace {

// A channel widened to 8 bits: its top 8 bits, or its bits repeated when it has fewer
// (5-bit 10110 gives 10110101), as GDI widens 16-bit pixels.
uint32_t Channel(uint32_t pixel, const ChannelMask& c) {
  uint32_t value = (pixel & c.mask) >> c.shift;
  if (c.bits >= 8) return value >> (c.bits - 8);
  value <<= 8 - c.bits;
  for (int filled = c.bits; filled < 8; filled += c.bits) value |= value >> c.bits;
  return value & 0xFF;
}

uint32_t MaskedColor(const BitmapLayout& layout, uint32_t pixel) {
  return Channel(pixel, layout.red) << 16 | Channel(pixel, layout.green) << 8 | Channel(pixel, layout.blue);
}

void DecodeRow(const uint8_t* src, const BitmapLayout& layout, uint32_t* dest) {
  const int width = layout.width;
  switch (layout.bitCount) {
    case 24:
      for (int x = 0; x < width; ++x, src += 3) dest[x] = static_cast<uint32_t>(src[2]) << 16 | src[1] << 8 | src[0];
      return;
    case 32:
      for (int x = 0; x < width; ++x, src += 4)
        dest[x] = MaskedColor(layout, src[0] | src[1] << 8 | src[2] << 16 | static_cast<uint32_t>(src[3]) << 24);
      return;
    case 16:
      for (int x = 0; x < width; ++x, src += 2) dest[x] = MaskedColor(layout, src[0] | src[1] << 8);
      return;
    default: {  // 1, 4 or 8 bits of palette index, the leftmost pixel in the high bits
      const int bits = layout.bitCount;
      const unsigned mask = (1u << bits) - 1;
      for (int x = 0; x < width; ++x) {
        const size_t bit = static_cast<size_t>(x) * bits;
        const int shift = 8 - bits - static_cast<int>(bit % 8);
        dest[x] = layout.palette[src[bit / 8] >> shift & mask];
      }
      return;
    }
  }
}

void DecodeUncompressed(const uint8_t* bits, const BitmapLayout& layout, PixelRows rows) {
  for (int r = 0; r < layout.height; ++r) {
    const int y = layout.topDown ? r : layout.height - 1 - r;
    DecodeRow(bits + r * layout.stride, layout, rows.Row(y));
  }
}

// Writes the pixels of an RLE stream, bottom row first.
class RleCursor {
public:
  RleCursor(const BitmapLayout& layout, PixelRows rows) : layout_(layout), rows_(rows) {}
  bool Done() const { return y_ >= layout_.height; }
  void Put(unsigned index) {
    if (x_ >= layout_.width || Done()) return;
    rows_.Row(layout_.height - 1 - y_)[x_++] = layout_.palette[index];
  }
  void NextLine() {
    x_ = 0;
    ++y_;
  }
  void Move(int dx, int dy) {
    x_ = std::min(x_ + dx, layout_.width);  // clipped already; kept from growing without bound
    y_ += dy;
  }

private:
  const BitmapLayout& layout_;
  PixelRows rows_;
  int x_ = 0;
  int y_ = 0;
};

// Index `n` of a run's byte or of an absolute block: RLE8 holds one index a byte, RLE4
// two, the high nibble first.
unsigned RunIndex(unsigned value, unsigned n, bool fourBit) {
  return fourBit ? (n % 2 ? value & 0x0F : value >> 4) : value;
}
unsigned AbsoluteIndex(const uint8_t* data, unsigned n, bool fourBit) {
  return fourBit ? RunIndex(data[n / 2], n, true) : data[n];
}

void DecodeRle(const uint8_t* data, size_t size, const BitmapLayout& layout, PixelRows rows) {
  for (int y = 0; y < layout.height; ++y) std::fill_n(rows.Row(y), layout.width, 0u);
  const bool fourBit = layout.compression == BitmapCompression::Rle4;
  RleCursor cursor(layout, rows);
  size_t i = 0;
  while (i + 2 <= size && !cursor.Done()) {
    const unsigned count = data[i], value = data[i + 1];
    i += 2;
    if (count > 0) {  // a run: `count` pixels of the index (RLE4: the two nibbles by turns)
      for (unsigned n = 0; n < count; ++n) cursor.Put(RunIndex(value, n, fourBit));
      continue;
    }
    switch (value) {
      case 0:
        cursor.NextLine();
        break;
      case 1:  // end of bitmap
        return;
      case 2:
        if (i + 2 > size) return;
        cursor.Move(data[i], data[i + 1]);
        i += 2;
        break;
      default: {  // absolute: `value` indices follow, padded to a 16-bit boundary
        const size_t bytes = fourBit ? (value + 1) / 2 : value;
        if (bytes > size - i) return;
        for (unsigned n = 0; n < value; ++n) cursor.Put(AbsoluteIndex(&data[i], n, fourBit));
        i += (bytes + 1) & ~size_t{1};
        break;
      }
    }
  }
}

}  // namespace

void DecodeBitmapPixels(std::string_view file, const BitmapLayout& layout, PixelRows rows) {
  const auto* bits = reinterpret_cast<const uint8_t*>(file.data()) + layout.bitsOffset;
  if (layout.compression == BitmapCompression::None)
    DecodeUncompressed(bits, layout, rows);
  else
    DecodeRle(bits, layout.bitsSize, layout, rows);
}
