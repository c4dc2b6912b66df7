// Form descriptions: the tree of a stored form, its binary form-stream encoding
// ("TPF0") and its text form-file syntax. No operating-system calls.
#pragma once

#include "SysUtils.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

VCL_EXCEPTION(EWriteError, Exception);  // a tree that the chosen encoding cannot express

// The value-type byte that precedes every value in a binary form stream.
enum TValueType : uint8_t {
  vaNull = 0,  // ends a list; as a property value, a Null variant
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,
  vaString = 6,
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,
  vaSet = 11,
  vaLString = 12,
  vaNil = 13,
  vaCollection = 14,  // not supported: reading one raises EReadError
  vaSingle = 15,
  vaCurrency = 16,
  vaDate = 17,
  vaWString = 18,
  vaInt64 = 19,
  vaUTF8String = 20,
  vaDouble = 21,
};

// One property value. Type() is the value type it is stored with; values read from a
// binary stream keep theirs exactly (an Int32 that holds 5 stays an Int32), the factories
// choose the one the Delphi writer chooses. The As... accessors raise EReadError
// "Invalid property value: ..." when the value is of another kind.
class TFormValue {
public:
  static TFormValue Integer(int64_t value);  // vaInt8, vaInt16, vaInt32 or vaInt64, the smallest that holds it
  static TFormValue Boolean(bool value);     // vaTrue or vaFalse
  static TFormValue Ident(std::string name);  // enum value, colour name, handler name, component reference
  static TFormValue String(std::string bytes);  // ANSI; vaString up to 255 bytes, vaLString longer
  static TFormValue WideString(std::string utf8);  // vaWString, held as UTF-8
  static TFormValue Set(std::vector<std::string> names);
  static TFormValue Binary(std::string bytes);
  static TFormValue List(std::vector<TFormValue> items);
  static TFormValue Float(double value, TValueType type = vaExtended);  // vaExtended, vaSingle, vaDouble or vaDate
  static TFormValue Currency(int64_t tenThousandths);  // vaCurrency: fixed point, 4 decimals
  static TFormValue Nil();
  static TFormValue Null();

  TValueType Type() const { return type_; }
  bool IsInteger() const;
  bool IsString() const;
  bool IsFloat() const;

  int64_t AsInteger() const;
  bool AsBoolean() const;
  const std::string& AsIdent() const;
  // vaString/vaLString: the ANSI bytes; vaWString/vaUTF8String: UTF-8 (see Type()).
  const std::string& AsString() const;
  const std::vector<std::string>& AsSet() const;
  const std::string& AsBinary() const;
  const std::vector<TFormValue>& AsList() const;
  double AsFloat() const;  // also accepts integers; a currency as its decimal value
  int64_t AsCurrency() const;  // in ten-thousandths

  // Floats compare by their bits, so that a NaN equals itself.
  bool operator==(const TFormValue& other) const;

private:
  friend class FormBinaryReader;
  explicit TFormValue(TValueType type) : type_(type) {}
  [[noreturn]] void WrongKind(const char* wanted) const;

  TValueType type_ = vaNil;
  int64_t integer_ = 0;         // integers, currency
  double float_ = 0;            // vaExtended, vaSingle, vaDouble, vaDate
  std::string text_;            // identifier, string, binary data
  std::vector<std::string> names_;   // set
  std::vector<TFormValue> items_;    // list
};

struct TFormProperty {
  std::string Name;  // may be dotted: "Font.Height"
  TFormValue Value;
  bool operator==(const TFormProperty&) const = default;
};

// One stored component: its class, its name (may be empty), its properties and its
// children, each in stored order.
struct TFormObject {
  std::string ClassName;
  std::string Name;
  std::vector<TFormProperty> Properties;
  std::vector<TFormObject> Children;
  bool operator==(const TFormObject&) const = default;
};

// Objects and lists nest at most this deep in either encoding.
constexpr int kMaxFormNesting = 64;

// Decodes a binary form stream: "TPF0" and the root object. Every read is bounds-checked;
// a malformed stream raises EReadError ("Invalid stream format: ...", "Stream read error:
// ...", "Invalid property value: ..."), with the offset. A component header's filer-flags
// prefix (inherited, inline, child position) is accepted and skipped. Bytes after the
// root object are ignored, as resources may be padded.
TFormObject ReadFormBinary(std::string_view bytes);

// Encodes the tree as the Delphi writer does. Raises EWriteError for what the format
// cannot hold: names or identifiers longer than 255 bytes, an empty class, property or
// set element name, a class name of 240 bytes or more (its length byte would read as a
// filer-flags prefix), Null inside a list.
std::string WriteFormBinary(const TFormObject& root);

// Parses the text form-file syntax: `object Name: TClass` (or `object TClass`), then
// `Prop = value` lines, then child objects, then `end`. Values: integers (decimal, $hex,
// negative; 64-bit, so $80000005 is the Int64 2147483653 as in Delphi), floats (1.5, 2e3, with suffix s single, d date, c currency in
// ten-thousandths), True, False, nil, Null, identifiers (dotted allowed), strings of
// 'quoted' parts ('' is a quote) and #nnn character codes, joined by + across lines,
// sets [a, b], lists ( v1 v2 ), binary data { hex }. The text is taken byte by byte as
// the ANSI code page; a string with a character code above 255 becomes a vaWString.
// Errors raise EReadError "Line <n>: ...".
TFormObject ParseFormText(std::string_view text);

// Writes the text syntax, two spaces per level, "\n" line ends; ParseFormText reads it
// back. Raises EWriteError for names that are no identifiers and for infinite or NaN floats.
std::string WriteFormText(const TFormObject& root);

// For fuzzing: decodes `bytes` and, when they form a valid stream, checks that the binary
// encoding round-trips to the same tree and that the text encoding is a fixed point of
// parse-and-write; aborts when a check fails. EReadError and EWriteError are expected
// outcomes and return normally.
void CheckFormStreamRoundTrip(std::string_view bytes);
