// The text form-file syntax: reading it into a tree, and writing a tree as text.
#include "FormStream.h"

#include "Utf8.h"

#include <charconv>
#include <cmath>
#include <type_traits>

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

int HexValue(char c) { return IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10; }

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Identifiers that the text syntax reads as values of their own.
bool IsValueKeyword(std::string_view name) {
  return SameText(name, "True") || SameText(name, "False") || SameText(name, "nil") || SameText(name, "Null");
}

bool IsPlainName(std::string_view name) {
  if (name.empty() || !IsLetter(name[0])) return false;
  for (const char c : name)
    if (!IsLetter(c) && !IsDigit(c)) return false;
  return true;
}

bool IsDottedName(std::string_view name) {
  for (size_t start = 0;;) {
    const size_t dot = name.find('.', start);
    if (!IsPlainName(name.substr(start, dot - start))) return false;
    if (dot == std::string_view::npos) return true;
    start = dot + 1;
  }
}

std::string NestingMessage() { return "nesting deeper than " + std::to_string(kMaxFormNesting) + " levels"; }

// ---- reading -------------------------------------------------------------------

struct Token {
  enum Kind { End, Symbol, Integer, Float, String, Binary, Char } kind = End;
  int line = 1;
  std::string_view spelling;  // the token's text in the source
  int64_t integer = 0;       // integer, or a currency written as a whole number
  bool whole = false;        // `integer` holds the number exactly
  double number = 0;
  char suffix = 0;           // float: 0, 's', 'd' or 'c'
  std::u32string chars;      // string
  std::string bytes;         // binary data
};

class Lexer {
public:
  explicit Lexer(std::string_view text) : text_(text) {}

  [[noreturn]] void Fail(int line, const std::string& detail) const {
    throw EReadError("Line " + std::to_string(line) + ": " + detail);
  }

  Token Next() {
    SkipBlanks();
    Token t;
    t.line = line_;
    const size_t start = pos_;
    if (pos_ >= text_.size()) {
      t.kind = Token::End;
    } else if (const char c = text_[pos_]; IsLetter(c)) {
      LexSymbol(t);
    } else if (IsDigit(c) || (c == '-' && IsDigit(At(pos_ + 1)))) {
      LexNumber(t);
    } else if (c == '$') {
      LexHex(t);
    } else if (c == '\'' || c == '#') {
      LexString(t);
    } else if (c == '{') {
      LexBinary(t);
    } else if (std::string_view("=:[](),+<>.-").find(c) != std::string_view::npos) {
      t.kind = Token::Char;
      ++pos_;
    } else {
      Fail(line_, "unexpected character #" + std::to_string(static_cast<unsigned char>(c)));
    }
    t.spelling = text_.substr(start, pos_ - start);
    return t;
  }

private:
  char At(size_t pos) const { return pos < text_.size() ? text_[pos] : '\0'; }

  void SkipBlanks() {
    for (; pos_ < text_.size(); ++pos_) {
      const char c = text_[pos_];
      if (c == '\n') ++line_;
      else if (c != ' ' && c != '\t' && c != '\r') break;
    }
  }

  void SkipName() {
    while (IsLetter(At(pos_)) || IsDigit(At(pos_))) ++pos_;
  }

  void LexSymbol(Token& t) {
    t.kind = Token::Symbol;
    SkipName();
    while (At(pos_) == '.' && IsLetter(At(pos_ + 1))) {
      ++pos_;
      SkipName();
    }
  }

  // A number must not run into a name: "12abc" is no number followed by a name.
  void CheckNumberEnd(size_t start) const {
    if (IsLetter(At(pos_)) || IsDigit(At(pos_)))
      Fail(line_, "invalid number '" + std::string(text_.substr(start, pos_ + 1 - start)) + "'");
  }

  void LexNumber(Token& t) {
    const size_t start = pos_;
    if (At(pos_) == '-') ++pos_;
    while (IsDigit(At(pos_))) ++pos_;
    bool fractional = false;
    if (At(pos_) == '.' && IsDigit(At(pos_ + 1))) {
      fractional = true;
      for (++pos_; IsDigit(At(pos_));) ++pos_;
    }
    if ((At(pos_) == 'e' || At(pos_) == 'E') &&
        (IsDigit(At(pos_ + 1)) || ((At(pos_ + 1) == '+' || At(pos_ + 1) == '-') && IsDigit(At(pos_ + 2))))) {
      fractional = true;
      pos_ += 2;
      while (IsDigit(At(pos_))) ++pos_;
    }
    const std::string_view digits = text_.substr(start, pos_ - start);
    if (const char s = static_cast<char>(At(pos_) | 0x20); s == 's' || s == 'd' || s == 'c') {
      t.suffix = s;
      ++pos_;
    }
    CheckNumberEnd(start);
    t.kind = fractional || t.suffix ? Token::Float : Token::Integer;
    const char* first = digits.data();
    const char* last = first + digits.size();
    // Whole numbers are read exactly; a currency's ten-thousandths too.
    if (!fractional && (t.suffix == 0 || t.suffix == 'c')) {
      const auto [end, error] = std::from_chars(first, last, t.integer);
      if (error != std::errc() || end != last) Fail(line_, "number " + std::string(digits) + " out of range");
      t.whole = true;
    }
    const auto [end, error] = std::from_chars(first, last, t.number);
    if (error != std::errc() || end != last) Fail(line_, "number " + std::string(digits) + " out of range");
  }

  void LexHex(Token& t) {
    const size_t start = pos_++;
    uint64_t bits = 0;
    while (IsHexDigit(At(pos_))) bits = bits << 4 | static_cast<uint64_t>(HexValue(text_[pos_++]));
    const size_t digits = pos_ - start - 1;
    CheckNumberEnd(start);
    if (digits == 0 || digits > 16)
      Fail(line_, "invalid hexadecimal number '" + std::string(text_.substr(start, pos_ - start)) + "'");
    t.kind = Token::Integer;
    t.integer = static_cast<int64_t>(bits);
  }

  // Quoted parts and #nnn codes that follow each other without a blank form one string.
  void LexString(Token& t) {
    t.kind = Token::String;
    for (;;) {
      if (At(pos_) == '\'') {
        for (++pos_;; ++pos_) {
          if (pos_ >= text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r') Fail(line_, "unterminated string");
          if (text_[pos_] == '\'') {
            if (At(pos_ + 1) != '\'') break;
            ++pos_;
          }
          t.chars += static_cast<char32_t>(static_cast<unsigned char>(text_[pos_]));
        }
        ++pos_;
      } else if (At(pos_) == '#') {
        const size_t start = ++pos_;
        uint32_t code = 0;
        while (IsDigit(At(pos_)) && code <= 0x10FFFF) code = code * 10 + static_cast<uint32_t>(text_[pos_++] - '0');
        if (pos_ == start || code > 0x10FFFF || IsDigit(At(pos_)))
          Fail(line_, "invalid character code '#" + std::string(text_.substr(start, pos_ - start)) + "'");
        t.chars += static_cast<char32_t>(code);
      } else {
        return;
      }
    }
  }

  void LexBinary(Token& t) {
    t.kind = Token::Binary;
    const int startLine = line_;
    int pending = -1;
    for (++pos_;; ++pos_) {
      SkipBlanks();
      if (pos_ >= text_.size()) Fail(startLine, "unterminated binary data");
      const char c = text_[pos_];
      if (c == '}') break;
      if (!IsHexDigit(c)) Fail(line_, "invalid character in binary data");
      if (pending < 0) {
        pending = HexValue(c);
      } else {
        t.bytes += static_cast<char>(pending << 4 | HexValue(c));
        pending = -1;
      }
    }
    if (pending >= 0) Fail(line_, "odd number of hexadecimal digits in binary data");
    ++pos_;
  }

  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
};

class TextParser {
public:
  explicit TextParser(std::string_view text) : lexer_(text) { Advance(); }

  TFormObject Root() {
    TFormObject root = Object(1);
    if (token_.kind != Token::End) Fail("text after the end of the form");
    return root;
  }

private:
  [[noreturn]] void Fail(const std::string& detail) const { lexer_.Fail(token_.line, detail); }

  std::string Found() const {
    if (token_.kind == Token::End) return "end of text";
    std::string quoted(1, '\'');
    quoted.append(token_.spelling.substr(0, 40)).push_back('\'');
    return quoted;
  }

  [[noreturn]] void Expected(const std::string& what) const { Fail(what + " expected but " + Found() + " found"); }

  void Advance() { token_ = lexer_.Next(); }

  bool IsChar(char c) const { return token_.kind == Token::Char && token_.spelling[0] == c; }
  bool IsKeyword(std::string_view word) const { return token_.kind == Token::Symbol && SameText(token_.spelling, word); }

  void ExpectChar(char c) {
    if (!IsChar(c)) Expected(std::string("'") + c + "'");
    Advance();
  }

  std::string Name(const char* what) {
    if (token_.kind != Token::Symbol || !IsPlainName(token_.spelling)) Expected(what);
    std::string name(token_.spelling);
    Advance();
    return name;
  }

  TFormObject Object(int depth) {
    if (!IsKeyword("object")) Expected("'object'");
    if (depth > kMaxFormNesting) Fail(NestingMessage());
    Advance();
    TFormObject object;
    object.ClassName = Name("component name or class name");
    if (IsChar(':')) {
      Advance();
      object.Name = std::move(object.ClassName);
      object.ClassName = Name("class name");
    }
    while (token_.kind == Token::Symbol && !IsKeyword("object") && !IsKeyword("end")) {
      std::string name(token_.spelling);
      Advance();
      ExpectChar('=');
      object.Properties.push_back({std::move(name), Value(depth + 1)});
    }
    while (IsKeyword("object")) object.Children.push_back(Object(depth + 1));
    if (!IsKeyword("end")) Expected("'end'");
    Advance();
    return object;
  }

  TFormValue Value(int depth) {
    switch (token_.kind) {
      case Token::Integer: {
        const int64_t value = token_.integer;
        Advance();
        return TFormValue::Integer(value);
      }
      case Token::Float: return FloatValue();
      case Token::String: return StringValue();
      case Token::Binary: {
        TFormValue value = TFormValue::Binary(std::move(token_.bytes));
        Advance();
        return value;
      }
      case Token::Symbol: {
        const std::string_view name = token_.spelling;
        TFormValue value = SameText(name, "True")    ? TFormValue::Boolean(true)
                           : SameText(name, "False") ? TFormValue::Boolean(false)
                           : SameText(name, "nil")   ? TFormValue::Nil()
                           : SameText(name, "Null")  ? TFormValue::Null()
                                                     : TFormValue::Ident(std::string(name));
        Advance();
        return value;
      }
      case Token::Char:
        if (IsChar('[')) return SetValue();
        if (IsChar('(')) return ListValue(depth);
        if (IsChar('<')) Fail("collections are not supported");
        break;
      case Token::End: break;
    }
    Expected("value");
  }

  TFormValue FloatValue() {
    const double number = token_.number;
    const char suffix = token_.suffix;
    int64_t tenThousandths = token_.integer;
    if (suffix == 'c' && !token_.whole) {
      if (!(std::fabs(number) < 9.2e18)) Fail("currency value " + Found() + " out of range");
      tenThousandths = std::llround(number);
    }
    Advance();
    switch (suffix) {
      case 's': return TFormValue::Float(number, vaSingle);
      case 'd': return TFormValue::Float(number, vaDate);
      case 'c': return TFormValue::Currency(tenThousandths);
      default: return TFormValue::Float(number);
    }
  }

  TFormValue StringValue() {
    std::u32string chars = std::move(token_.chars);
    for (Advance(); IsChar('+'); Advance()) {
      Advance();
      if (token_.kind != Token::String) Expected("string");
      chars += token_.chars;
    }
    for (const char32_t c : chars)
      if (c > 255) return TFormValue::WideString(Utf8Encode(chars));
    return TFormValue::String(std::string(chars.begin(), chars.end()));
  }

  TFormValue SetValue() {
    Advance();
    std::vector<std::string> names;
    if (!IsChar(']')) {
      names.push_back(Name("set element"));
      while (IsChar(',')) {
        Advance();
        names.push_back(Name("set element"));
      }
    }
    ExpectChar(']');
    return TFormValue::Set(std::move(names));
  }

  TFormValue ListValue(int depth) {
    if (depth > kMaxFormNesting) Fail(NestingMessage());
    Advance();
    std::vector<TFormValue> items;
    while (!IsChar(')')) {
      if (IsKeyword("Null")) Fail("Null cannot be a list item");
      items.push_back(Value(depth + 1));
    }
    Advance();
    return TFormValue::List(std::move(items));
  }

  Lexer lexer_;
  Token token_;
};

// ---- writing -------------------------------------------------------------------

constexpr size_t kStringCharsPerLine = 64;
constexpr size_t kBinaryBytesPerLine = 32;

class TextWriter {
public:
  std::string Root(const TFormObject& root) {
    Object(root, 1);
    return std::move(out_);
  }

private:
  static void CheckName(std::string_view name, bool valid, const char* what) {
    if (!valid) throw EWriteError(std::string(what) + " '" + std::string(name.substr(0, 40)) + "' cannot be written as text");
  }

  static void CheckNesting(int depth) {
    if (depth > kMaxFormNesting) throw EWriteError("Nesting deeper than " + std::to_string(kMaxFormNesting) + " levels");
  }

  void Object(const TFormObject& object, int depth) {
    CheckNesting(depth);
    CheckName(object.ClassName, IsPlainName(object.ClassName), "Class name");
    CheckName(object.Name, object.Name.empty() || IsPlainName(object.Name), "Component name");
    const std::string indent(2 * static_cast<size_t>(depth - 1), ' ');
    out_ += indent + "object ";
    if (!object.Name.empty()) out_ += object.Name + ": ";
    out_ += object.ClassName + "\n";
    for (const TFormProperty& property : object.Properties) {
      CheckName(property.Name,
                IsDottedName(property.Name) && !SameText(property.Name, "object") && !SameText(property.Name, "end"),
                "Property name");
      out_ += indent + "  " + property.Name + " = ";
      Value(property.Value, indent + "  ", depth + 1);
      out_ += '\n';
    }
    for (const TFormObject& child : object.Children) Object(child, depth + 1);
    out_ += indent + "end\n";
  }

  // `indent` is that of the line the value starts on; `depth` the nesting of a list value.
  void Value(const TFormValue& v, const std::string& indent, int depth) {
    switch (v.Type()) {
      case vaInt8: case vaInt16: case vaInt32: case vaInt64: out_ += std::to_string(v.AsInteger()); break;
      case vaFalse: out_ += "False"; break;
      case vaTrue: out_ += "True"; break;
      case vaNil: out_ += "nil"; break;
      case vaNull: out_ += "Null"; break;
      case vaIdent:
        CheckName(v.AsIdent(), IsDottedName(v.AsIdent()) && !IsValueKeyword(v.AsIdent()), "Identifier");
        out_ += v.AsIdent();
        break;
      case vaString: case vaLString: StringValue(v.AsString(), indent); break;
      case vaWString: case vaUTF8String: StringValue(Utf8Decode(v.AsString()), indent); break;
      case vaSet: {
        out_ += '[';
        const char* separator = "";
        for (const std::string& name : v.AsSet()) {
          CheckName(name, IsPlainName(name), "Set element");
          out_ += separator + name;
          separator = ", ";
        }
        out_ += ']';
        break;
      }
      case vaList:
        CheckNesting(depth);
        out_ += '(';
        for (const TFormValue& item : v.AsList()) {
          if (item.Type() == vaNull) throw EWriteError("Null cannot be a list item");
          out_ += "\n" + indent + "  ";
          Value(item, indent + "  ", depth + 1);
        }
        out_ += ')';
        break;
      case vaBinary: BinaryValue(v.AsBinary(), indent); break;
      case vaExtended: case vaDouble: FloatValue(v.AsFloat(), ""); break;
      case vaDate: FloatValue(v.AsFloat(), "d"); break;
      case vaSingle: FloatValue(static_cast<float>(v.AsFloat()), "s"); break;
      case vaCurrency: out_ += std::to_string(v.AsCurrency()) + "c"; break;
      case vaCollection: throw EWriteError("Collections are not supported");
    }
  }

  template <typename Number>
  void FloatValue(Number number, const char* suffix) {
    if (!std::isfinite(number)) throw EWriteError("An infinite or NaN float cannot be written as text");
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    std::string text(buffer, result.ptr);
    if (*suffix == '\0' && text.find_first_of(".e") == std::string::npos) text += ".0";
    out_ += text + suffix;
  }

  // Printable ASCII inside quotes, everything else as #code; a new line every 64 characters.
  template <typename Chars>
  void StringValue(const Chars& chars, const std::string& indent) {
    if (chars.empty()) {
      out_ += "''";
      return;
    }
    bool quoted = false;
    size_t onLine = 0;
    for (const auto c : chars) {
      const auto code = static_cast<uint32_t>(static_cast<std::make_unsigned_t<decltype(c)>>(c));
      if (onLine == kStringCharsPerLine) {
        if (quoted) out_ += '\'';
        quoted = false;
        out_ += " +\n" + indent + "  ";
        onLine = 0;
      }
      if (code >= ' ' && code <= '~') {
        if (!quoted) out_ += '\'';
        quoted = true;
        out_ += static_cast<char>(code);
        if (code == '\'') out_ += '\'';
      } else {
        if (quoted) out_ += '\'';
        quoted = false;
        out_ += '#' + std::to_string(code);
      }
      ++onLine;
    }
    if (quoted) out_ += '\'';
  }

  void BinaryValue(const std::string& bytes, const std::string& indent) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out_ += '{';
    for (size_t i = 0; i < bytes.size(); ++i) {
      if (i % kBinaryBytesPerLine == 0) out_ += "\n" + indent + "  ";
      const auto b = static_cast<unsigned char>(bytes[i]);
      out_ += kHex[b >> 4];
      out_ += kHex[b & 15];
    }
    out_ += '}';
  }

  std::string out_;
};

}  // namespace

TFormObject ParseFormText(std::string_view text) { return TextParser(text).Root(); }

std::string WriteFormText(const TFormObject& root) { return TextWriter().Root(root); }
