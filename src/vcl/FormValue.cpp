#include "FormStream.h"

#include <bit>

namespace {

bool Fits(int64_t value, int64_t low, int64_t high) { return value >= low && value <= high; }

const char* KindName(TValueType type) {
  switch (type) {
    case vaInt8: case vaInt16: case vaInt32: case vaInt64: return "an integer";
    case vaFalse: case vaTrue: return "a boolean";
    case vaIdent: return "an identifier";
    case vaString: case vaLString: case vaWString: case vaUTF8String: return "a string";
    case vaSet: return "a set";
    case vaBinary: return "binary data";
    case vaList: return "a list";
    case vaExtended: case vaSingle: case vaDouble: case vaDate: return "a float";
    case vaCurrency: return "a currency value";
    case vaNil: return "nil";
    case vaNull: return "Null";
    case vaCollection: break;
  }
  return "a collection";
}

}  // namespace

TFormValue TFormValue::Integer(int64_t value) {
  TFormValue v(Fits(value, INT8_MIN, INT8_MAX)     ? vaInt8
               : Fits(value, INT16_MIN, INT16_MAX) ? vaInt16
               : Fits(value, INT32_MIN, INT32_MAX) ? vaInt32
                                                   : vaInt64);
  v.integer_ = value;
  return v;
}

TFormValue TFormValue::Boolean(bool value) { return TFormValue(value ? vaTrue : vaFalse); }

TFormValue TFormValue::Ident(std::string name) {
  TFormValue v(vaIdent);
  v.text_ = std::move(name);
  return v;
}

TFormValue TFormValue::String(std::string bytes) {
  TFormValue v(bytes.size() <= 255 ? vaString : vaLString);
  v.text_ = std::move(bytes);
  return v;
}

TFormValue TFormValue::WideString(std::string utf8) {
  TFormValue v(vaWString);
  v.text_ = std::move(utf8);
  return v;
}

TFormValue TFormValue::Set(std::vector<std::string> names) {
  TFormValue v(vaSet);
  v.names_ = std::move(names);
  return v;
}

TFormValue TFormValue::Binary(std::string bytes) {
  TFormValue v(vaBinary);
  v.text_ = std::move(bytes);
  return v;
}

TFormValue TFormValue::List(std::vector<TFormValue> items) {
  TFormValue v(vaList);
  v.items_ = std::move(items);
  return v;
}

TFormValue TFormValue::Float(double value, TValueType type) {
  if (type != vaExtended && type != vaSingle && type != vaDouble && type != vaDate)
    throw EConvertError("Value type " + std::to_string(type) + " is no float type");
  TFormValue v(type);
  v.float_ = type == vaSingle ? static_cast<double>(static_cast<float>(value)) : value;
  return v;
}

TFormValue TFormValue::Currency(int64_t tenThousandths) {
  TFormValue v(vaCurrency);
  v.integer_ = tenThousandths;
  return v;
}

TFormValue TFormValue::Nil() { return TFormValue(vaNil); }

TFormValue TFormValue::Null() { return TFormValue(vaNull); }

bool TFormValue::IsInteger() const {
  return type_ == vaInt8 || type_ == vaInt16 || type_ == vaInt32 || type_ == vaInt64;
}

bool TFormValue::IsString() const {
  return type_ == vaString || type_ == vaLString || type_ == vaWString || type_ == vaUTF8String;
}

bool TFormValue::IsFloat() const {
  return type_ == vaExtended || type_ == vaSingle || type_ == vaDouble || type_ == vaDate;
}

void TFormValue::WrongKind(const char* wanted) const {
  throw EReadError(std::string("Invalid property value: ") + wanted + " was expected, found " +
                   KindName(type_));
}

int64_t TFormValue::AsInteger() const {
  if (!IsInteger()) WrongKind("an integer");
  return integer_;
}

bool TFormValue::AsBoolean() const {
  if (type_ != vaTrue && type_ != vaFalse) WrongKind("a boolean");
  return type_ == vaTrue;
}

const std::string& TFormValue::AsIdent() const {
  if (type_ != vaIdent) WrongKind("an identifier");
  return text_;
}

const std::string& TFormValue::AsString() const {
  if (!IsString()) WrongKind("a string");
  return text_;
}

const std::vector<std::string>& TFormValue::AsSet() const {
  if (type_ != vaSet) WrongKind("a set");
  return names_;
}

const std::string& TFormValue::AsBinary() const {
  if (type_ != vaBinary) WrongKind("binary data");
  return text_;
}

const std::vector<TFormValue>& TFormValue::AsList() const {
  if (type_ != vaList) WrongKind("a list");
  return items_;
}

double TFormValue::AsFloat() const {
  if (IsFloat()) return float_;
  if (type_ == vaCurrency) return static_cast<double>(integer_) / 10000;
  if (IsInteger()) return static_cast<double>(integer_);
  WrongKind("a float");
}

int64_t TFormValue::AsCurrency() const {
  if (type_ != vaCurrency) WrongKind("a currency value");
  return integer_;
}

bool TFormValue::operator==(const TFormValue& other) const {
  return type_ == other.type_ && integer_ == other.integer_ &&
         std::bit_cast<uint64_t>(float_) == std::bit_cast<uint64_t>(other.float_) &&
         text_ == other.text_ && names_ == other.names_ && items_ == other.items_;
}
