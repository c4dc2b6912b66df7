#include "Utf8.h"

std::string Utf8Encode(std::u32string_view codePoints) {
  std::string out;
  out.reserve(codePoints.size());
  for (const char32_t c : codePoints) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

namespace {

// Decodes the multi-byte sequence at `pos` into `c`; its length, or 0 when the bytes
// there form no well-formed, shortest sequence of a code point up to U+10FFFF.
size_t DecodeSequence(std::string_view utf8, size_t pos, char32_t& c) {
  const auto lead = static_cast<unsigned char>(utf8[pos]);
  size_t length = 0;
  char32_t smallest = 0;
  if (lead >= 0xC2 && lead <= 0xDF) { length = 2; c = lead & 0x1F; smallest = 0x80; }
  else if (lead >= 0xE0 && lead <= 0xEF) { length = 3; c = lead & 0x0F; smallest = 0x800; }
  else if (lead >= 0xF0 && lead <= 0xF4) { length = 4; c = lead & 0x07; smallest = 0x10000; }
  if (length == 0 || length > utf8.size() - pos) return 0;
  for (size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(utf8[pos + k]);
    if ((next & 0xC0) != 0x80) return 0;
    c = c << 6 | (next & 0x3F);
  }
  return c >= smallest && c <= 0x10FFFF ? length : 0;
}

}  // namespace

std::u32string Utf8Decode(std::string_view utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  size_t pos = 0;
  while (pos < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[pos]);
    char32_t c = 0;
    const size_t length = lead < 0x80 ? 0 : DecodeSequence(utf8, pos, c);
    if (length == 0) {
      out += static_cast<char32_t>(lead);
      ++pos;
    } else {
      out += c;
      pos += length;
    }
  }
  return out;
}
