// BMP files built field by field, so that each test case shows what it is about.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

struct BmpFields {
  uint32_t headerSize = 40;  // 12: BITMAPCOREHEADER; 40, 108, 124: BITMAPINFOHEADER, V4, V5
  int32_t width = 1;
  int32_t height = 1;  // negative: top-down
  uint16_t planes = 1;
  uint16_t bitCount = 24;
  uint32_t compression = 0;  // 0 BI_RGB, 1 BI_RLE8, 2 BI_RLE4, 3 BI_BITFIELDS
  uint32_t colorsUsed = 0;
  std::vector<uint32_t> masks{};    // red, green, blue: after a 40-byte header, inside a larger one
  std::vector<uint32_t> palette{};  // 0x00RRGGBB
  std::string bits{};               // the pixel data as stored
};

// Bytes from a list of values 0..255.
inline std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (const int v : values) bytes += static_cast<char>(v);
  return bytes;
}

inline void PutU16(std::string& file, size_t at, uint32_t value) {
  file[at] = static_cast<char>(value);
  file[at + 1] = static_cast<char>(value >> 8);
}

inline void PutU32(std::string& file, size_t at, uint32_t value) {
  PutU16(file, at, value);
  PutU16(file, at + 2, value >> 16);
}

inline uint32_t GetU32(const std::string& file, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(file[at + i]);
  return value;
}

// A copy of `file` after `change`.
template <class Change>
std::string Changed(std::string file, Change change) {
  change(file);
  return file;
}

// Field offsets in the file.
constexpr size_t kBmpOffBits = 10;
constexpr size_t kBmpHeaderSize = 14;
constexpr size_t kBmpWidth = 18;
constexpr size_t kBmpHeight = 22;
constexpr size_t kBmpPlanes = 26;
constexpr size_t kBmpBitCount = 28;
constexpr size_t kBmpCompression = 30;

// File header, info header, masks, palette and bits, the bits right after the palette.
inline std::string BuildBmp(const BmpFields& fields) {
  std::string header(fields.headerSize, '\0');
  PutU32(header, 0, fields.headerSize);
  if (fields.headerSize == 12) {
    PutU16(header, 4, static_cast<uint32_t>(fields.width));
    PutU16(header, 6, static_cast<uint32_t>(fields.height));
    PutU16(header, 8, fields.planes);
    PutU16(header, 10, fields.bitCount);
  } else {
    PutU32(header, 4, static_cast<uint32_t>(fields.width));
    PutU32(header, 8, static_cast<uint32_t>(fields.height));
    PutU16(header, 12, fields.planes);
    PutU16(header, 14, fields.bitCount);
    PutU32(header, 16, fields.compression);
    PutU32(header, 20, static_cast<uint32_t>(fields.bits.size()));
    PutU32(header, 32, fields.colorsUsed);
  }
  std::string masks;
  for (size_t i = 0; i < fields.masks.size(); ++i) {
    if (fields.headerSize > 40) {
      PutU32(header, 40 + 4 * i, fields.masks[i]);
    } else {
      masks.resize(4 * i + 4);
      PutU32(masks, 4 * i, fields.masks[i]);
    }
  }
  std::string palette;
  for (const uint32_t color : fields.palette) {
    palette += static_cast<char>(color);
    palette += static_cast<char>(color >> 8);
    palette += static_cast<char>(color >> 16);
    if (fields.headerSize != 12) palette += '\0';
  }
  std::string file = "BM" + std::string(12, '\0') + header + masks + palette;
  PutU32(file, 2, static_cast<uint32_t>(file.size() + fields.bits.size()));
  PutU32(file, kBmpOffBits, static_cast<uint32_t>(file.size()));
  return file + fields.bits;
}
