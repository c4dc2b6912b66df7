#include "BitmapHeader.h"

#include <algorithm>
#include <bit>

#include "SysUtils.h"

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kBitsOffsetField = 10;  // BITMAPFILEHEADER.bfOffBits
constexpr size_t kCoreHeaderSize = 12;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kMaskBlockSize = 12;  // red, green and blue masks after a plain BITMAPINFOHEADER

// Compression codes of BITMAPINFOHEADER.biCompression.
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;

[[noreturn]] void Invalid() { throw EInvalidGraphic("Bitmap image is not valid"); }

// Little-endian fields of the file, each read only after Has() vouched for it.
class Bytes {
public:
  explicit Bytes(std::string_view data) : data_(data) {}
  size_t Size() const { return data_.size(); }
  bool Has(size_t offset, size_t count) const { return offset <= data_.size() && count <= data_.size() - offset; }
  uint8_t U8(size_t offset) const { return static_cast<uint8_t>(data_[offset]); }
  uint16_t U16(size_t offset) const { return static_cast<uint16_t>(U8(offset) | U8(offset + 1) << 8); }
  uint32_t U32(size_t offset) const { return U16(offset) | static_cast<uint32_t>(U16(offset + 2)) << 16; }
  int32_t I32(size_t offset) const { return static_cast<int32_t>(U32(offset)); }

private:
  std::string_view data_;
};

// What the info header says, before it is checked.
struct InfoHeader {
  size_t size = 0;
  int64_t width = 0;
  int64_t height = 0;
  uint16_t planes = 0;
  uint16_t bitCount = 0;
  uint32_t compression = kBiRgb;
  uint32_t colorsUsed = 0;
  bool core = false;
};

InfoHeader ReadInfoHeader(const Bytes& file) {
  InfoHeader h;
  if (!file.Has(kFileHeaderSize, 4)) Invalid();
  h.size = file.U32(kFileHeaderSize);
  if (h.size != kCoreHeaderSize && h.size < kInfoHeaderSize) Invalid();
  if (!file.Has(kFileHeaderSize, h.size)) Invalid();
  const size_t at = kFileHeaderSize + 4;
  if (h.size == kCoreHeaderSize) {
    h.core = true;
    h.width = file.U16(at);
    h.height = file.U16(at + 2);
    h.planes = file.U16(at + 4);
    h.bitCount = file.U16(at + 6);
  } else {
    h.width = file.I32(at);
    h.height = file.I32(at + 4);
    h.planes = file.U16(at + 8);
    h.bitCount = file.U16(at + 10);
    h.compression = file.U32(at + 12);
    h.colorsUsed = file.U32(at + 28);
  }
  return h;
}

bool ValidFormat(const InfoHeader& h) {
  const uint16_t bits = h.bitCount;
  switch (h.compression) {
    case kBiRgb:
      return bits == 1 || bits == 4 || bits == 8 || bits == 24 || (!h.core && (bits == 16 || bits == 32));
    case kBiRle8:
      return bits == 8;
    case kBiRle4:
      return bits == 4;
    case kBiBitfields:
      return bits == 16 || bits == 32;
    default:
      return false;
  }
}

ChannelMask ToChannel(uint32_t mask, int bitCount) {
  if (mask == 0) Invalid();
  ChannelMask channel;
  channel.mask = mask;
  channel.shift = std::countr_zero(mask);
  const uint32_t run = mask >> channel.shift;
  if ((run & (run + 1)) != 0) Invalid();  // not one contiguous run of bits
  channel.bits = std::popcount(run);
  if (channel.shift + channel.bits > bitCount) Invalid();
  return channel;
}

// Sets the channel masks; returns where the masks stored in the file end (0 if none are).
size_t ReadMasks(const Bytes& file, const InfoHeader& h, BitmapLayout& layout) {
  uint32_t red, green, blue;
  size_t end = 0;
  if (h.compression != kBiBitfields) {
    const bool sixteen = h.bitCount == 16;
    red = sixteen ? 0x7C00 : 0xFF0000;
    green = sixteen ? 0x03E0 : 0x00FF00;
    blue = sixteen ? 0x001F : 0x0000FF;
  } else {
    // Right after the fields of BITMAPINFOHEADER: past its end, or inside the larger headers.
    const size_t at = kFileHeaderSize + kInfoHeaderSize;
    end = at + kMaskBlockSize;
    if (!file.Has(at, kMaskBlockSize)) Invalid();
    red = file.U32(at);
    green = file.U32(at + 4);
    blue = file.U32(at + 8);
  }
  layout.red = ToChannel(red, h.bitCount);
  layout.green = ToChannel(green, h.bitCount);
  layout.blue = ToChannel(blue, h.bitCount);
  if ((red & green) | (red & blue) | (green & blue)) Invalid();
  return end;
}

void ReadPalette(const Bytes& file, const InfoHeader& h, size_t at, BitmapLayout& layout) {
  const uint32_t capacity = 1u << h.bitCount;
  const uint32_t count = h.core || h.colorsUsed == 0 ? capacity : std::min(h.colorsUsed, capacity);
  const size_t entrySize = h.core ? 3 : 4;  // RGBTRIPLE or RGBQUAD
  if (!file.Has(at, count * entrySize)) Invalid();
  for (uint32_t i = 0; i < count; ++i) {
    const size_t entry = at + i * entrySize;
    layout.palette[i] = static_cast<uint32_t>(file.U8(entry + 2)) << 16 | file.U8(entry + 1) << 8 | file.U8(entry);
  }
}

}  // namespace

BitmapLayout ReadBitmapLayout(std::string_view data) {
  const Bytes file(data);
  if (!file.Has(0, kFileHeaderSize) || file.U8(0) != 'B' || file.U8(1) != 'M') Invalid();
  const InfoHeader h = ReadInfoHeader(file);

  if (h.planes != 1 || !ValidFormat(h)) Invalid();
  const bool rle = h.compression == kBiRle8 || h.compression == kBiRle4;
  if (h.width <= 0 || h.height == 0 || (rle && h.height < 0)) Invalid();  // RLE rows run bottom-up only
  const int64_t rows = h.height < 0 ? -h.height : h.height;
  if (h.width * rows > kMaxPicturePixels) Invalid();

  BitmapLayout layout;
  layout.width = static_cast<int>(h.width);
  layout.height = static_cast<int>(rows);
  layout.topDown = h.height < 0;
  layout.bitCount = h.bitCount;
  layout.compression = h.compression == kBiRle8 ? BitmapCompression::Rle8
                       : h.compression == kBiRle4 ? BitmapCompression::Rle4
                                                  : BitmapCompression::None;

  size_t headersEnd = kFileHeaderSize + h.size;
  if (h.bitCount <= 8)
    ReadPalette(file, h, headersEnd, layout);
  else if (h.bitCount != 24)
    headersEnd = std::max(headersEnd, ReadMasks(file, h, layout));

  const size_t offset = file.U32(kBitsOffsetField);
  if (offset < headersEnd || offset >= file.Size()) Invalid();
  layout.bitsOffset = offset;
  layout.bitsSize = file.Size() - offset;
  if (!rle) {
    const size_t rowBits = static_cast<size_t>(h.width) * h.bitCount;
    layout.stride = (rowBits + 31) / 32 * 4;
    // The last row's padding may be missing: some writers end the file with the last pixel.
    const size_t needed = layout.stride * (layout.height - 1) + (rowBits + 7) / 8;
    if (needed > layout.bitsSize) Invalid();
    layout.bitsSize = needed;
  }
  return layout;
}
