#include "SysUtils.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Length of the hexadecimal prefix at `pos`, or 0 when there is none.
size_t HexPrefixLength(const std::string& text, size_t pos) {
  if (pos >= text.size()) return 0;
  const char c = text[pos];
  if (c == '$' || c == 'x' || c == 'X') return 1;
  if (c == '0' && pos + 1 < text.size() && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) return 2;
  return 0;
}

bool ParseHex(const std::string& text, size_t pos, int32_t& value) {
  const size_t digits = text.size() - pos;
  if (digits < 1 || digits > 8) return false;
  uint32_t bits = 0;
  for (; pos < text.size(); ++pos) {
    const int d = HexDigit(text[pos]);
    if (d < 0) return false;
    bits = bits << 4 | static_cast<uint32_t>(d);
  }
  value = static_cast<int32_t>(bits);
  return true;
}

bool ParseDecimal(const std::string& text, size_t pos, int32_t& value) {
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  if (pos >= text.size()) return false;
  const int64_t limit = negative ? int64_t{1} << 31 : (int64_t{1} << 31) - 1;
  int64_t magnitude = 0;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c < '0' || c > '9') return false;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > limit) return false;
  }
  value = static_cast<int32_t>(negative ? -magnitude : magnitude);
  return true;
}

}  // namespace

bool TryStrToInt(const std::string& text, int32_t& value) {
  size_t pos = 0;
  while (pos < text.size() && text[pos] == ' ') ++pos;
  if (const size_t prefix = HexPrefixLength(text, pos)) return ParseHex(text, pos + prefix, value);
  return ParseDecimal(text, pos, value);
}

int32_t StrToInt(const std::string& text) {
  int32_t value = 0;
  if (!TryStrToInt(text, value)) throw EConvertError("'" + text + "' is not a valid integer value");
  return value;
}
