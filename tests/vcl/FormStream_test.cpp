#include "vcl/FormStream.h"

#include <gtest/gtest.h>

#include <cmath>

// Value types print as numbers in failure messages.
static void PrintTo(TValueType type, std::ostream* os) { *os << static_cast<int>(type); }

namespace {

// "54 50 46 30" -> "TPF0"; blanks are ignored.
std::string Hex(std::string_view digits) {
  std::string bytes;
  int pending = -1;
  for (const char c : digits) {
    if (c == ' ') continue;
    const int v = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
    if (pending < 0) {
      pending = v;
    } else {
      bytes += static_cast<char>(pending << 4 | v);
      pending = -1;
    }
  }
  return bytes;
}

std::string ShortStr(std::string_view s) { return static_cast<char>(s.size()) + std::string(s); }

// A form "object A: TA" with the single property P.
std::string OnePropertyText(const std::string& value) { return "object A: TA\n  P = " + value + "\nend\n"; }
std::string OnePropertyStream(const std::string& valueBytes) {
  return "TPF0" + ShortStr("TA") + ShortStr("A") + ShortStr("P") + valueBytes + std::string(2, '\0');
}

template <typename E>
std::string MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const E& e) {
    return e.Message();
  }
  return "(no " + std::string(typeid(E).name()) + ")";
}

// ---- the format itself -------------------------------------------------------------

const char kKnownText[] =
    "object Form1: TForm1\n"
    "  Left = 152\n"
    "  Top = -11\n"
    "  Tag = 100000\n"
    "  BorderIcons = [biSystemMenu, biHelp]\n"
    "  Color = clBlack\n"
    "  Caption = 'fIntro'\n"
    "  KeyPreview = True\n"
    "  Visible = False\n"
    "  object Timer1: TTimer\n"
    "    OnTimer = Timer1Timer\n"
    "  end\n"
    "end\n";

const std::string kKnownBytes = "TPF0" + ShortStr("TForm1") + ShortStr("Form1") +
                                ShortStr("Left") + Hex("03 9800") +           // Int16
                                ShortStr("Top") + Hex("02 F5") +              // Int8
                                ShortStr("Tag") + Hex("04 A0860100") +        // Int32
                                ShortStr("BorderIcons") + Hex("0B") + ShortStr("biSystemMenu") + ShortStr("biHelp") +
                                Hex("00") +                                   // set ends with an empty name
                                ShortStr("Color") + Hex("07") + ShortStr("clBlack") +
                                ShortStr("Caption") + Hex("06") + ShortStr("fIntro") +
                                ShortStr("KeyPreview") + Hex("09") + ShortStr("Visible") + Hex("08") +
                                Hex("00") +                                   // end of Form1's properties
                                ShortStr("TTimer") + ShortStr("Timer1") +
                                ShortStr("OnTimer") + Hex("07") + ShortStr("Timer1Timer") +
                                Hex("00 00") +                                // Timer1: properties, children
                                Hex("00");                                    // Form1's children

TEST(FormStream, KnownFormHasTheDelphiBytes) {
  const TFormObject parsed = ParseFormText(kKnownText);
  EXPECT_EQ(WriteFormBinary(parsed), kKnownBytes);

  const TFormObject read = ReadFormBinary(kKnownBytes);
  EXPECT_EQ(read, parsed);
  ASSERT_EQ(read.Children.size(), 1u);
  EXPECT_EQ(read.Children[0].ClassName, "TTimer");
  EXPECT_EQ(read.Properties[1].Name, "Top");
  EXPECT_EQ(read.Properties[1].Value.AsInteger(), -11);
  EXPECT_EQ(WriteFormText(read), kKnownText);
}

struct ValueCase {
  const char* text;  // as WriteFormText writes it
  TValueType type;
  const char* bytes;  // the value as stored: type byte, then its data
};

const ValueCase kValueCases[] = {
    {"0", vaInt8, "02 00"},
    {"127", vaInt8, "02 7F"},
    {"-128", vaInt8, "02 80"},
    {"128", vaInt16, "03 8000"},
    {"-129", vaInt16, "03 7FFF"},
    {"32768", vaInt32, "04 00800000"},
    {"-2147483648", vaInt32, "04 00000080"},
    {"2147483648", vaInt64, "13 0000008000000000"},
    {"-9223372036854775808", vaInt64, "13 0000000000000080"},
    {"True", vaTrue, "09"},
    {"False", vaFalse, "08"},
    {"nil", vaNil, "0D"},
    {"Null", vaNull, "00"},
    {"clBlack", vaIdent, "07 07 636C426C61636B"},
    {"Form2.Menu", vaIdent, "07 0A 466F726D322E4D656E75"},
    {"'abc'", vaString, "06 03 616263"},
    {"''", vaString, "06 00"},
    {"'it''s'#13#10", vaString, "06 06 69742773 0D0A"},
    {"#0#255", vaString, "06 02 00FF"},
    {"'a'#1234", vaWString, "12 02000000 6100 D204"},
    {"#128514", vaWString, "12 02000000 3DD8 02DE"},  // beyond U+FFFF: a surrogate pair
    {"[]", vaSet, "0B 00"},
    {"[fsBold, fsItalic]", vaSet, "0B 06 6673426F6C64 08 66734974616C6963 00"},
    {"()", vaList, "01 00"},
    {"(\n    1\n    (\n      'x'))", vaList, "01 0201 01 060178 00 00"},
    {"{}", vaBinary, "0A 00000000"},
    {"{\n    00FF10}", vaBinary, "0A 03000000 00FF10"},
    {"1.5", vaExtended, "05 00000000000000C0 FF3F"},
    {"-0.0", vaExtended, "05 0000000000000000 0080"},
    {"0.1", vaExtended, "05 00D0CCCCCCCCCCCC FB3F"},
    {"5e-324", vaExtended, "05 0000000000000080 CD3B"},  // smallest subnormal double
    {"0.1s", vaSingle, "0F CDCCCC3D"},
    {"45000.5d", vaDate, "11 0000000010F9E540"},
    {"15000c", vaCurrency, "10 983A000000000000"},
    {"-1c", vaCurrency, "10 FFFFFFFFFFFFFFFF"},
};

TEST(FormStream, EveryValueKindRoundTripsThroughBothEncodings) {
  for (const ValueCase& c : kValueCases) {
    SCOPED_TRACE(c.text);
    const std::string text = OnePropertyText(c.text);
    const TFormObject parsed = ParseFormText(text);
    ASSERT_EQ(parsed.Properties.size(), 1u);
    EXPECT_EQ(parsed.Properties[0].Value.Type(), c.type);

    const std::string stream = WriteFormBinary(parsed);
    EXPECT_EQ(stream, OnePropertyStream(Hex(c.bytes)));
    const TFormObject read = ReadFormBinary(stream);
    EXPECT_EQ(read, parsed);
    EXPECT_EQ(WriteFormText(read), text);
  }
}

TEST(FormStream, LongValuesSpanLines) {
  const std::string chars(300, 'x');
  const TFormObject form = ParseFormText(OnePropertyText("'" + chars + "'"));
  EXPECT_EQ(form.Properties[0].Value.Type(), vaLString);
  EXPECT_EQ(WriteFormBinary(form), OnePropertyStream(Hex("0C 2C010000") + chars));
  const std::string line = "'" + std::string(64, 'x') + "' +\n    ";
  EXPECT_EQ(WriteFormText(form), OnePropertyText(line + line + line + line + "'" + std::string(44, 'x') + "'"));

  TFormObject binary{"TA", "A", {{"P", TFormValue::Binary(std::string(33, '\x11'))}}, {}};
  EXPECT_EQ(WriteFormText(binary), OnePropertyText("{\n    " + std::string(64, '1') + "\n    11}"));
  EXPECT_EQ(ParseFormText(WriteFormText(binary)), binary);
}

struct SpellingCase {
  const char* written;
  const char* canonical;
};

const SpellingCase kSpellings[] = {
    {"$10", "16"},
    {"$ff", "255"},
    {"$FFFFFFFF", "4294967295"},
    {"$FFFFFFFFFFFFFFFF", "-1"},
    {"-0", "0"},
    {"'a' + 'b'", "'ab'"},
    {"'a' +\n      'b' +\n'c'", "'abc'"},
    {"'a'#98'c'", "'abc'"},
    {"#39", "''''"},
    {"#233", "#233"},
    {"TRUE", "True"},
    {"false", "False"},
    {"NIL", "nil"},
    {"1.50", "1.5"},
    {"1E5", "1e+05"},
    {"2.0d", "2d"},
    {"1S", "1s"},
    {"1.5c", "2c"},
    {"[ a ,b ]", "[a, b]"},
    {"( 1 2 )", "(\n    1\n    2)"},
    {"{ 0a 0B\n 0c }", "{\n    0A0B0C}"},
};

TEST(FormStream, OtherSpellingsReadAsTheirCanonicalValue) {
  for (const SpellingCase& c : kSpellings) {
    SCOPED_TRACE(c.written);
    EXPECT_EQ(ParseFormText(OnePropertyText(c.written)), ParseFormText(OnePropertyText(c.canonical)));
    EXPECT_EQ(WriteFormText(ParseFormText(OnePropertyText(c.written))), OnePropertyText(c.canonical));
  }
}

TEST(FormStream, TextLayoutAndNamelessObjects) {
  // CRLF line ends, blanks and case of the keywords do not matter; a nameless object
  // is written "object TClass".
  const TFormObject form =
      ParseFormText("OBJECT Form1 : TForm1\r\n\tFont.Style=[]\r\n  Object TTimer\r\n  END\r\nEnd\r\n");
  const TFormObject expected{"TForm1", "Form1", {{"Font.Style", TFormValue::Set({})}}, {{"TTimer", "", {}, {}}}};
  EXPECT_EQ(form, expected);
  EXPECT_EQ(WriteFormText(form),
            "object Form1: TForm1\n  Font.Style = []\n  object TTimer\n  end\nend\n");
}

// ---- what only the binary encoding holds ------------------------------------------

TEST(FormStream, StoredTypesSurviveAReadAndWrite) {
  // Wider integers than needed, a short vaLString, a vaUTF8String, a vaDouble and UTF-16
  // with a lone surrogate are written back as they were read.
  const std::string stream = "TPF0" + ShortStr("TA") + ShortStr("A") +
                             ShortStr("I") + Hex("04 05000000") + ShortStr("J") + Hex("13 FBFFFFFFFFFFFFFF") +
                             ShortStr("L") + Hex("0C 02000000 6162") +
                             ShortStr("U") + Hex("14 03000000 C4 85 21") +
                             ShortStr("D") + Hex("15 000000000000F83F") +
                             ShortStr("W") + Hex("12 02000000 00D8 4100") +
                             Hex("00 00");
  const TFormObject form = ReadFormBinary(stream);
  EXPECT_EQ(WriteFormBinary(form), stream);

  ASSERT_EQ(form.Properties.size(), 6u);
  EXPECT_EQ(form.Properties[0].Value.Type(), vaInt32);
  EXPECT_EQ(form.Properties[0].Value.AsInteger(), 5);
  EXPECT_EQ(form.Properties[1].Value.AsInteger(), -5);
  EXPECT_EQ(form.Properties[2].Value.AsString(), "ab");
  EXPECT_EQ(form.Properties[3].Value.AsString(), "\xC4\x85!");  // UTF-8 for a UTF-8 string
  EXPECT_EQ(form.Properties[4].Value.AsFloat(), 1.5);
  EXPECT_EQ(form.Properties[5].Value.AsString(), "\xED\xA0\x80" "A");

  // Text has no spelling for the widths: it names the value, which then takes the
  // smallest type.
  EXPECT_EQ(WriteFormText(form),
            "object A: TA\n  I = 5\n  J = -5\n  L = 'ab'\n  U = #261'!'\n  D = 1.5\n  W = #55296'A'\nend\n");
}

TEST(FormStream, FilerPrefixesAreSkipped) {
  const std::string body = ShortStr("TB") + ShortStr("B") + Hex("00 00");
  const std::string prefixes[] = {"", Hex("F1"), Hex("F4"), Hex("F2 0203"), Hex("F3 03 0001"), Hex("F6 04 00000100")};
  for (const std::string& prefix : prefixes) {
    SCOPED_TRACE(testing::PrintToString(prefix));
    const TFormObject form = ReadFormBinary("TPF0" + prefix + ShortStr("TA") + ShortStr("A") + Hex("00") + prefix +
                                            body + Hex("00"));
    EXPECT_EQ(form, (TFormObject{"TA", "A", {}, {{"TB", "B", {}, {}}}}));
  }
}

TEST(FormStream, TrailingBytesAfterTheRootAreIgnored) {
  EXPECT_EQ(ReadFormBinary(kKnownBytes + std::string(3, '\0')), ReadFormBinary(kKnownBytes));
}

struct ExtendedCase {
  const char* bytes;  // mantissa, then sign and exponent
  double value;
};

TEST(FormStream, ExtendedFloatsBeyondDoubleAreRoundedOnReading) {
  const ExtendedCase cases[] = {
      {"FFFFFFFFFFFFFFFF FF3F", 2.0},  // 64 one bits round up
      {"0004000000000080 FF3F", 1.0},  // halfway between two doubles: to even
      {"0000000000000080 FE7F", INFINITY},
      {"0000000000000080 FEFF", -INFINITY},
      {"0000000000000080 0100", 0.0},
      {"0000000000000080 FF7F", INFINITY},
      {"0000000000000000 0000", 0.0},
  };
  for (const ExtendedCase& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(ReadFormBinary(OnePropertyStream(Hex("05") + Hex(c.bytes))).Properties[0].Value.AsFloat(), c.value);
  }
  const double nan = ReadFormBinary(OnePropertyStream(Hex("05 00000000000000C0 FF7F"))).Properties[0].Value.AsFloat();
  EXPECT_TRUE(std::isnan(nan));
}

// ---- malformed streams -------------------------------------------------------------

// Every value kind, a filer prefix, nested objects and lists.
std::string RichStream() {
  std::string text = "object Form1: TForm1\n";
  for (const ValueCase& c : kValueCases) {
    if (c.type == vaNull) continue;
    text += "  P" + std::to_string(&c - kValueCases) + " = " + c.text + "\n";
  }
  text += "  object Child: TChild\n    Q = (\n      1)\n    object Leaf: TLeaf\n    end\n  end\nend\n";
  std::string stream = WriteFormBinary(ParseFormText(text));
  const std::string child = ShortStr("TChild");
  stream.insert(stream.find(child), Hex("F2 0201"));
  return stream;
}

TEST(FormStream, EveryTruncationIsAReadError) {
  const std::string stream = RichStream();
  ASSERT_NO_THROW(ReadFormBinary(stream));
  for (size_t length = 0; length < stream.size(); ++length) {
    SCOPED_TRACE(length);
    const std::string message = MessageOf<EReadError>([&] { ReadFormBinary(stream.substr(0, length)); });
    EXPECT_EQ(message.rfind(length < 4 ? "Invalid stream format: no TPF0 signature" : "Stream read error: ", 0), 0u)
        << message;
  }
}

struct BadStream {
  const char* what;
  std::string bytes;
  const char* message;
};

std::string NestedLists(int count) {
  return OnePropertyStream(std::string(static_cast<size_t>(count), static_cast<char>(vaList)) +
                           std::string(static_cast<size_t>(count), '\0'));
}

std::string NestedObjects(int count) {
  std::string stream = "TPF0";
  for (int i = 0; i < count; ++i) stream += ShortStr("TA") + ShortStr("") + Hex("00");
  return stream + std::string(static_cast<size_t>(count), '\0');
}

TEST(FormStream, MalformedStreamsAreReadErrors) {
  // The property value starts at offset 11 in OnePropertyStream.
  const BadStream cases[] = {
      {"empty", "", "Invalid stream format: no TPF0 signature at offset 0"},
      {"signature", "TPF1" + OnePropertyStream(Hex("09")).substr(4), "Invalid stream format: no TPF0 signature at offset 0"},
      {"value type 22", OnePropertyStream(Hex("16")), "Invalid property value: unknown value type 22 at offset 11"},
      {"value type 255", OnePropertyStream(Hex("FF")), "Invalid property value: unknown value type 255 at offset 11"},
      {"collection", OnePropertyStream(Hex("0E 01 00 00")),
       "Invalid property value: collections (value type 14) are not supported at offset 11"},
      {"huge string", OnePropertyStream(Hex("0C FFFFFF7F 41")),
       "Stream read error: 2147483647 bytes needed, 3 left at offset 16"},
      {"huge binary", OnePropertyStream(Hex("0A 00000010")), "Stream read error: 268435456 bytes needed, 2 left at offset 16"},
      {"negative length", OnePropertyStream(Hex("0A FFFFFFFF")), "Invalid stream format: negative length -1 at offset 12"},
      {"huge wide string", OnePropertyStream(Hex("12 00000040 4100")),
       "Stream read error: 2147483648 bytes needed, 4 left at offset 16"},
      {"unended set", "TPF0" + ShortStr("TA") + ShortStr("A") + ShortStr("P") + Hex("0B") + ShortStr("a"),
       "Stream read error: 1 bytes needed, 0 left at offset 14"},
      {"short string past the end", "TPF0" + ShortStr("TA") + Hex("09 41"), "Stream read error: 9 bytes needed, 1 left at offset 8"},
      {"empty class name", "TPF0" + Hex("00 00 00 00"), "Invalid stream format: empty class name at offset 4"},
      {"filer flag 8", "TPF0" + Hex("F8") + ShortStr("TA") + Hex("00 00 00"), "Invalid stream format: unknown filer flags 8 at offset 4"},
      {"child position no integer", "TPF0" + Hex("F2 0600") + ShortStr("TA") + Hex("00 00 00"),
       "Invalid property value: the child position is no integer at offset 5"},
      {"root and 64 nested lists", NestedLists(64), "Invalid stream format: nesting deeper than 64 levels at offset 74"},
      {"65 nested objects", NestedObjects(65), "Invalid stream format: nesting deeper than 64 levels at offset 324"},
      {"very deep lists", NestedLists(100000), "Invalid stream format: nesting deeper than 64 levels at offset 74"},
  };
  for (const BadStream& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadFormBinary(c.bytes); }), c.message);
  }
  // One level less is still fine: the root and 63 lists, or 64 objects.
  EXPECT_NO_THROW(ReadFormBinary(NestedLists(63)));
  EXPECT_NO_THROW(ReadFormBinary(NestedObjects(64)));
}

TEST(FormStream, MutatedStreamsDecodeOrFailCleanly) {
  // Each byte replaced by values that mean something in the format; under the sanitizers
  // this also shows that no read leaves the buffer. A decoded mutant must round-trip.
  const std::string stream = RichStream();
  const char replacements[] = {'\x00', '\x01', '\x05', '\x0C', '\x12', '\x7F', '\x80', '\xF2', '\xFF'};
  for (size_t i = 0; i < stream.size(); ++i) {
    for (const char r : replacements) {
      std::string mutant = stream;
      mutant[i] = r;
      CheckFormStreamRoundTrip(mutant);
    }
  }
  CheckFormStreamRoundTrip(stream);
}

// ---- malformed text ----------------------------------------------------------------

struct BadText {
  std::string text;
  const char* message;
};

std::string NestedTextObjects(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "object TA\n";
  for (int i = 0; i < count; ++i) text += "end\n";
  return text;
}

TEST(FormStream, MalformedTextIsAReadErrorWithItsLine) {
  const BadText cases[] = {
      {"", "Line 1: 'object' expected but end of text found"},
      {"object A: TA\n  P 1\nend\n", "Line 2: '=' expected but '1' found"},
      {"object A: TA\r\n  P 1\r\nend\r\n", "Line 2: '=' expected but '1' found"},
      {OnePropertyText("'abc"), "Line 2: unterminated string"},
      {OnePropertyText("'a' +\n   5"), "Line 3: string expected but '5' found"},
      {OnePropertyText("[a, 5]"), "Line 2: set element expected but '5' found"},
      {OnePropertyText("[a b]"), "Line 2: ']' expected but 'b' found"},
      {OnePropertyText("{0A0}"), "Line 2: odd number of hexadecimal digits in binary data"},
      {OnePropertyText("{0G}"), "Line 2: invalid character in binary data"},
      {"object A: TA\n  P = {00\n", "Line 2: unterminated binary data"},
      {OnePropertyText("99999999999999999999"), "Line 2: number 99999999999999999999 out of range"},
      {OnePropertyText("1e999"), "Line 2: number 1e999 out of range"},
      {OnePropertyText("1e999c"), "Line 2: number 1e999 out of range"},
      {OnePropertyText("9.3e18c"), "Line 2: currency value '9.3e18c' out of range"},
      {OnePropertyText("$12345678901234567"), "Line 2: invalid hexadecimal number '$12345678901234567'"},
      {OnePropertyText("$"), "Line 2: invalid hexadecimal number '$'"},
      {OnePropertyText("12abc"), "Line 2: invalid number '12a'"},
      {OnePropertyText("#1114112"), "Line 2: invalid character code '#1114112'"},
      {OnePropertyText("#x"), "Line 2: invalid character code '#'"},
      {OnePropertyText("(1 Null)"), "Line 2: Null cannot be a list item"},
      {"object A: TA\n  P = (1 2", "Line 2: value expected but end of text found"},
      {OnePropertyText("<\n  item\n  end>"), "Line 2: collections are not supported"},
      {OnePropertyText("@"), "Line 2: unexpected character #64"},
      {"object A: TA\nend\nX", "Line 3: text after the end of the form"},
      {"object A.B: TA\nend\n", "Line 1: component name or class name expected but 'A.B' found"},
      {"object A:\n", "Line 2: class name expected but end of text found"},
      {"object A: TA\n  object B: TB\n  end\n  P = 1\nend\n", "Line 4: 'end' expected but 'P' found"},
      {NestedTextObjects(65), "Line 65: nesting deeper than 64 levels"},
      {OnePropertyText(std::string(64, '(')), "Line 2: nesting deeper than 64 levels"},
      {OnePropertyText(std::string(100000, '(')), "Line 2: nesting deeper than 64 levels"},
  };
  for (const BadText& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 60));
    EXPECT_EQ(MessageOf<EReadError>([&] { ParseFormText(c.text); }), c.message);
  }
  EXPECT_NO_THROW(ParseFormText(NestedTextObjects(64)));
  EXPECT_NO_THROW(ParseFormText(OnePropertyText(std::string(63, '(') + std::string(63, ')'))));
}

// ---- trees that an encoding cannot hold -------------------------------------------

TFormObject WithProperty(std::string name, TFormValue value) { return {"TA", "A", {{std::move(name), std::move(value)}}, {}}; }

TFormObject DeepObjects(int count) {
  TFormObject root{"TA", "", {}, {}};
  for (int i = 1; i < count; ++i) root = TFormObject{"TA", "", {}, {root}};
  return root;
}

TFormValue DeepList(int count) {
  TFormValue list = TFormValue::List({});
  for (int i = 1; i < count; ++i) list = TFormValue::List({list});
  return list;
}

struct Unwritable {
  const char* what;
  TFormObject tree;
  const char* binaryMessage;  // nullptr: the binary encoding holds it
  const char* textMessage;    // nullptr: the text encoding holds it
};

TEST(FormStream, WritersRejectWhatTheirEncodingCannotHold) {
  const std::string name256(256, 'N');
  const Unwritable cases[] = {
      {"long property name", WithProperty(name256, TFormValue::Integer(1)),
       "Property name 'NNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNN...' is longer than 255 bytes", nullptr},
      {"empty property name", WithProperty("", TFormValue::Integer(1)), "Property name is empty",
       "Property name '' cannot be written as text"},
      {"empty class name", TFormObject{"", "A", {}, {}}, "Class name is empty", "Class name '' cannot be written as text"},
      {"class name of 240 bytes", TFormObject{std::string(240, 'T'), "A", {}, {}},
       "Class name 'TTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTT...' is longer than 239 bytes", nullptr},
      {"long identifier", WithProperty("P", TFormValue::Ident(name256)),
       "Identifier 'NNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNN...' is longer than 255 bytes", nullptr},
      {"empty set element", WithProperty("P", TFormValue::Set({"a", ""})), "Set element name is empty",
       "Set element '' cannot be written as text"},
      {"Null in a list", WithProperty("P", TFormValue::List({TFormValue::Null()})), "Null cannot be a list item",
       "Null cannot be a list item"},
      {"65 nested objects", DeepObjects(65), "Nesting deeper than 64 levels", "Nesting deeper than 64 levels"},
      {"root and 64 nested lists", WithProperty("P", DeepList(64)), "Nesting deeper than 64 levels",
       "Nesting deeper than 64 levels"},
      {"root and 63 nested lists", WithProperty("P", DeepList(63)), nullptr, nullptr},
      {"spaced class name", TFormObject{"T A", "A", {}, {}}, nullptr, "Class name 'T A' cannot be written as text"},
      {"dotted component name", TFormObject{"TA", "A.B", {}, {}}, nullptr,
       "Component name 'A.B' cannot be written as text"},
      {"property named end", WithProperty("end", TFormValue::Integer(1)), nullptr,
       "Property name 'end' cannot be written as text"},
      {"identifier True", WithProperty("P", TFormValue::Ident("True")), nullptr,
       "Identifier 'True' cannot be written as text"},
      {"NaN", WithProperty("P", TFormValue::Float(NAN)), nullptr, "An infinite or NaN float cannot be written as text"},
      {"infinite single", WithProperty("P", TFormValue::Float(INFINITY, vaSingle)), nullptr,
       "An infinite or NaN float cannot be written as text"},
  };
  for (const Unwritable& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.binaryMessage) {
      EXPECT_EQ(MessageOf<EWriteError>([&] { WriteFormBinary(c.tree); }), c.binaryMessage);
    } else {
      EXPECT_EQ(ReadFormBinary(WriteFormBinary(c.tree)), c.tree);
    }
    if (c.textMessage) {
      EXPECT_EQ(MessageOf<EWriteError>([&] { WriteFormText(c.tree); }), c.textMessage);
    } else {
      EXPECT_EQ(ParseFormText(WriteFormText(c.tree)), c.tree);
    }
  }
}

// ---- reading values ----------------------------------------------------------------

TEST(FormStream, AccessorsCheckTheKind) {
  EXPECT_EQ(MessageOf<EReadError>([] { TFormValue::String("5").AsInteger(); }),
            "Invalid property value: an integer was expected, found a string");
  EXPECT_EQ(MessageOf<EReadError>([] { TFormValue::Integer(1).AsBoolean(); }),
            "Invalid property value: a boolean was expected, found an integer");
  EXPECT_EQ(MessageOf<EReadError>([] { TFormValue::Ident("clRed").AsString(); }),
            "Invalid property value: a string was expected, found an identifier");
  EXPECT_EQ(MessageOf<EReadError>([] { TFormValue::Set({}).AsList(); }),
            "Invalid property value: a list was expected, found a set");
  EXPECT_EQ(MessageOf<EReadError>([] { TFormValue::Nil().AsIdent(); }),
            "Invalid property value: an identifier was expected, found nil");
  EXPECT_EQ(MessageOf<EReadError>([] { TFormValue::Boolean(true).AsFloat(); }),
            "Invalid property value: a float was expected, found a boolean");
  EXPECT_THROW(TFormValue::Float(1, vaInt32), EConvertError);

  // Floats are read from integers and currency values too.
  EXPECT_EQ(TFormValue::Integer(-3).AsFloat(), -3.0);
  EXPECT_EQ(TFormValue::Currency(15000).AsFloat(), 1.5);
  EXPECT_EQ(TFormValue::Float(0.1, vaSingle).AsFloat(), static_cast<double>(0.1f));
}

}  // namespace
