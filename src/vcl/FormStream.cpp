// The binary form-stream encoding: "TPF0", then the root object. An object is an
// optional filer-flags prefix, its class and name as short strings, (name, value) pairs
// ended by an empty name, and child objects ended by a 0 byte. Every value starts with
// its TValueType byte; numbers are little-endian.
#include "FormStream.h"

#include "Utf8.h"

#include <bit>
#include <cmath>
#include <cstdlib>

namespace {

constexpr std::string_view kSignature = "TPF0";

// Filer flags in the low bits of a 0xF0 prefix byte.
constexpr uint8_t ffInherited = 1, ffChildPos = 2, ffInline = 4;

// An 80-bit x87 extended float: 64-bit mantissa with an explicit integer bit, then
// 15-bit exponent (bias 16383) and sign.
double ExtendedToDouble(uint64_t mantissa, uint16_t signExponent) {
  const bool negative = signExponent & 0x8000;
  const int exponent = signExponent & 0x7FFF;
  double magnitude;
  if (exponent == 0x7FFF) {
    const uint64_t fraction = mantissa & ~(uint64_t{1} << 63);
    if (fraction == 0) {
      magnitude = INFINITY;
    } else {
      // Keep the top 52 fraction bits as the NaN's payload, never letting it become 0.
      uint64_t bits = 0x7FFull << 52 | (fraction >> 11 & ((uint64_t{1} << 52) - 1));
      if ((bits & ((uint64_t{1} << 52) - 1)) == 0) bits |= uint64_t{1} << 51;
      magnitude = std::bit_cast<double>(bits);
    }
  } else {
    magnitude = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
  }
  return negative ? -magnitude : magnitude;
}

void DoubleToExtended(double value, uint64_t& mantissa, uint16_t& signExponent) {
  const uint64_t bits = std::bit_cast<uint64_t>(value);
  const uint16_t sign = bits >> 63 ? 0x8000 : 0;
  const int exponent = static_cast<int>(bits >> 52 & 0x7FF);
  const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
  if (exponent == 0x7FF) {
    mantissa = uint64_t{1} << 63 | fraction << 11;
    signExponent = sign | 0x7FFF;
  } else if (exponent == 0 && fraction == 0) {
    mantissa = 0;
    signExponent = sign;
  } else if (exponent == 0) {
    // Subnormal double: normal in the wider format.
    const int shift = std::countl_zero(fraction);
    mantissa = fraction << shift;
    signExponent = static_cast<uint16_t>(sign | (16383 - 1022 - (shift - 11)));
  } else {
    mantissa = uint64_t{1} << 63 | fraction << 11;
    signExponent = static_cast<uint16_t>(sign | (exponent - 1023 + 16383));
  }
}

}  // namespace

class FormBinaryReader {
public:
  explicit FormBinaryReader(std::string_view bytes) : bytes_(bytes) {}

  TFormObject Root() {
    if (bytes_.substr(0, kSignature.size()) != kSignature)
      Fail("Invalid stream format", "no TPF0 signature", 0);
    pos_ = kSignature.size();
    return Object(1);
  }

private:
  [[noreturn]] static void Fail(const char* category, const std::string& detail, size_t offset) {
    throw EReadError(std::string(category) + ": " + detail + " at offset " + std::to_string(offset));
  }

  std::string_view Take(size_t count) {
    const size_t left = bytes_.size() - pos_;
    if (count > left)
      Fail("Stream read error", std::to_string(count) + " bytes needed, " + std::to_string(left) + " left", pos_);
    const std::string_view taken = bytes_.substr(pos_, count);
    pos_ += count;
    return taken;
  }

  uint8_t Byte() { return static_cast<uint8_t>(Take(1)[0]); }

  uint8_t PeekByte() {
    const uint8_t b = Byte();
    --pos_;
    return b;
  }

  uint64_t Fixed(size_t size) {
    const std::string_view bytes = Take(size);
    uint64_t bits = 0;
    for (size_t i = size; i-- > 0;) bits = bits << 8 | static_cast<uint8_t>(bytes[i]);
    return bits;
  }

  size_t Length() {
    const size_t at = pos_;
    const auto length = static_cast<int32_t>(Fixed(4));
    if (length < 0) Fail("Invalid stream format", "negative length " + std::to_string(length), at);
    return static_cast<size_t>(length);
  }

  std::string ShortString() {
    const uint8_t length = Byte();
    return std::string(Take(length));
  }

  std::string WideChars() {
    const size_t count = Length();
    if (count > (bytes_.size() - pos_) / 2) Take(count * 2);  // reports the shortfall
    std::u32string codePoints;
    for (size_t i = 0; i < count; ++i) {
      char32_t unit = static_cast<char32_t>(Fixed(2));
      if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < count) {
        const auto low = static_cast<char32_t>(Fixed(2));
        if (low >= 0xDC00 && low < 0xE000) {
          unit = 0x10000 + ((unit - 0xD800) << 10 | (low - 0xDC00));
          ++i;
        } else {
          pos_ -= 2;
        }
      }
      codePoints += unit;
    }
    return Utf8Encode(codePoints);
  }

  int64_t IntegerOf(TValueType type) {
    switch (type) {
      case vaInt8: return static_cast<int8_t>(Fixed(1));
      case vaInt16: return static_cast<int16_t>(Fixed(2));
      case vaInt32: return static_cast<int32_t>(Fixed(4));
      default: return static_cast<int64_t>(Fixed(8));
    }
  }

  TFormValue Value(size_t at, TValueType type, int depth) {
    TFormValue v(type);
    switch (type) {
      case vaInt8: case vaInt16: case vaInt32: case vaInt64:
        v.integer_ = IntegerOf(type);
        break;
      case vaCurrency:
        v.integer_ = static_cast<int64_t>(Fixed(8));
        break;
      case vaSingle:
        v.float_ = std::bit_cast<float>(static_cast<uint32_t>(Fixed(4)));
        break;
      case vaDouble: case vaDate:
        v.float_ = std::bit_cast<double>(Fixed(8));
        break;
      case vaExtended: {
        const uint64_t mantissa = Fixed(8);
        v.float_ = ExtendedToDouble(mantissa, static_cast<uint16_t>(Fixed(2)));
        break;
      }
      case vaFalse: case vaTrue: case vaNil: case vaNull:
        break;
      case vaIdent: case vaString:
        v.text_ = ShortString();
        break;
      case vaLString: case vaUTF8String: case vaBinary:
        v.text_ = std::string(Take(Length()));
        break;
      case vaWString:
        v.text_ = WideChars();
        break;
      case vaSet:
        for (std::string name = ShortString(); !name.empty(); name = ShortString()) v.names_.push_back(std::move(name));
        break;
      case vaList:
        if (depth > kMaxFormNesting)
          Fail("Invalid stream format", "nesting deeper than " + std::to_string(kMaxFormNesting) + " levels", at);
        while (PeekByte() != vaNull) {
          const size_t itemAt = pos_;
          v.items_.push_back(Value(itemAt, static_cast<TValueType>(Byte()), depth + 1));
        }
        ++pos_;
        break;
      case vaCollection:
        Fail("Invalid property value", "collections (value type 14) are not supported", at);
      default:
        Fail("Invalid property value", "unknown value type " + std::to_string(type), at);
    }
    return v;
  }

  // The filer-flags prefix: accepted, its child position checked and dropped.
  void SkipPrefix() {
    if ((PeekByte() & 0xF0) != 0xF0) return;
    const size_t at = pos_;
    const uint8_t flags = Byte() & 0x0F;
    if (flags & ~(ffInherited | ffChildPos | ffInline))
      Fail("Invalid stream format", "unknown filer flags " + std::to_string(flags), at);
    if (flags & ffChildPos) {
      const size_t posAt = pos_;
      const auto type = static_cast<TValueType>(Byte());
      if (type != vaInt8 && type != vaInt16 && type != vaInt32)
        Fail("Invalid property value", "the child position is no integer", posAt);
      IntegerOf(type);
    }
  }

  TFormObject Object(int depth) {
    const size_t at = pos_;
    if (depth > kMaxFormNesting)
      Fail("Invalid stream format", "nesting deeper than " + std::to_string(kMaxFormNesting) + " levels", at);
    SkipPrefix();
    TFormObject object;
    const size_t classAt = pos_;
    object.ClassName = ShortString();
    if (object.ClassName.empty()) Fail("Invalid stream format", "empty class name", classAt);
    object.Name = ShortString();
    for (std::string name = ShortString(); !name.empty(); name = ShortString()) {
      const size_t valueAt = pos_;
      const auto type = static_cast<TValueType>(Byte());
      object.Properties.push_back({std::move(name), Value(valueAt, type, depth + 1)});
    }
    while (PeekByte() != 0) object.Children.push_back(Object(depth + 1));
    ++pos_;
    return object;
  }

  std::string_view bytes_;
  size_t pos_ = 0;
};

TFormObject ReadFormBinary(std::string_view bytes) { return FormBinaryReader(bytes).Root(); }

namespace {

class FormBinaryWriter {
public:
  std::string Root(const TFormObject& root) {
    out_ = kSignature;
    Object(root, 1);
    return std::move(out_);
  }

private:
  static void CheckNesting(int depth) {
    if (depth > kMaxFormNesting)
      throw EWriteError("Nesting deeper than " + std::to_string(kMaxFormNesting) + " levels");
  }

  void Fixed(uint64_t bits, size_t size) {
    for (size_t i = 0; i < size; ++i, bits >>= 8) out_ += static_cast<char>(bits & 0xFF);
  }

  void ShortString(std::string_view text, const char* what) {
    if (text.size() > 255)
      throw EWriteError(std::string(what) + " '" + std::string(text.substr(0, 32)) + "...' is longer than 255 bytes");
    out_ += static_cast<char>(text.size());
    out_ += text;
  }

  void NonEmpty(std::string_view text, const char* what) {
    if (text.empty()) throw EWriteError(std::string(what) + " is empty");
    ShortString(text, what);
  }

  void Length(size_t length) {
    if (length > INT32_MAX) throw EWriteError("A value of " + std::to_string(length) + " bytes is too long");
    Fixed(length, 4);
  }

  void Value(const TFormValue& v, int depth) {
    const TValueType type = v.Type();
    out_ += static_cast<char>(type);
    switch (type) {
      case vaInt8: Fixed(static_cast<uint64_t>(v.AsInteger()), 1); break;
      case vaInt16: Fixed(static_cast<uint64_t>(v.AsInteger()), 2); break;
      case vaInt32: Fixed(static_cast<uint64_t>(v.AsInteger()), 4); break;
      case vaInt64: Fixed(static_cast<uint64_t>(v.AsInteger()), 8); break;
      case vaCurrency: Fixed(static_cast<uint64_t>(v.AsCurrency()), 8); break;
      case vaSingle: Fixed(std::bit_cast<uint32_t>(static_cast<float>(v.AsFloat())), 4); break;
      case vaDouble: case vaDate: Fixed(std::bit_cast<uint64_t>(v.AsFloat()), 8); break;
      case vaExtended: {
        uint64_t mantissa;
        uint16_t signExponent;
        DoubleToExtended(v.AsFloat(), mantissa, signExponent);
        Fixed(mantissa, 8);
        Fixed(signExponent, 2);
        break;
      }
      case vaFalse: case vaTrue: case vaNil: case vaNull: break;
      case vaIdent: ShortString(v.AsIdent(), "Identifier"); break;
      case vaString: ShortString(v.AsString(), "String"); break;
      case vaLString: case vaUTF8String:
        Length(v.AsString().size());
        out_ += v.AsString();
        break;
      case vaBinary:
        Length(v.AsBinary().size());
        out_ += v.AsBinary();
        break;
      case vaWString: WideChars(v.AsString()); break;
      case vaSet:
        for (const std::string& name : v.AsSet()) NonEmpty(name, "Set element name");
        out_ += '\0';
        break;
      case vaList:
        CheckNesting(depth);
        for (const TFormValue& item : v.AsList()) {
          if (item.Type() == vaNull) throw EWriteError("Null cannot be a list item");
          Value(item, depth + 1);
        }
        out_ += static_cast<char>(vaNull);
        break;
      case vaCollection: throw EWriteError("Collections are not supported");
    }
  }

  void WideChars(std::string_view utf8) {
    std::u16string units;
    for (const char32_t c : Utf8Decode(utf8)) {
      if (c < 0x10000) {
        units += static_cast<char16_t>(c);
      } else {
        units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
      }
    }
    Length(units.size());
    for (const char16_t unit : units) Fixed(unit, 2);
  }

  void Object(const TFormObject& object, int depth) {
    CheckNesting(depth);
    if (object.ClassName.size() >= 0xF0)
      throw EWriteError("Class name '" + object.ClassName.substr(0, 32) + "...' is longer than 239 bytes");
    NonEmpty(object.ClassName, "Class name");
    ShortString(object.Name, "Component name");
    for (const TFormProperty& property : object.Properties) {
      NonEmpty(property.Name, "Property name");
      Value(property.Value, depth + 1);
    }
    out_ += '\0';
    for (const TFormObject& child : object.Children) Object(child, depth + 1);
    out_ += '\0';
  }

  std::string out_;
};

}  // namespace

std::string WriteFormBinary(const TFormObject& root) { return FormBinaryWriter().Root(root); }

void CheckFormStreamRoundTrip(std::string_view bytes) {
  TFormObject tree;
  try {
    tree = ReadFormBinary(bytes);
  } catch (const EReadError&) {
    return;
  }
  if (ReadFormBinary(WriteFormBinary(tree)) != tree) std::abort();
  std::string text;
  try {
    text = WriteFormText(tree);
  } catch (const EWriteError&) {
    return;
  }
  if (WriteFormText(ParseFormText(text)) != text) std::abort();
}
