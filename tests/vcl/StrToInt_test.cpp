#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

namespace {

struct Good {
  const char* text;
  int32_t value;
};

const Good kGood[] = {
    {"0", 0},           {"7", 7},
    {"+7", 7},          {"-7", -7},
    {"   12", 12},      {"007", 7},
    {"$10", 16},        {"x10", 16},
    {"X10", 16},        {"0x10", 16},
    {"0X10", 16},       {"$aBcD", 0xABCD},
    {"  $10", 16},      {"2147483647", 2147483647},
    {"-2147483648", INT32_MIN},
    {"$7FFFFFFF", 2147483647},
    {"$80000000", INT32_MIN},
    {"$FFFFFFFF", -1},  {"0x0000000F", 15},
    {"00000000000000000000012", 12},
};

TEST(StrToInt, AcceptsTheDocumentedSyntax) {
  for (const Good& c : kGood) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(StrToInt(c.text), c.value);
  }
}

const char* const kBad[] = {
    "",          " ",          "3 ",         " 3 ",       "\t3",
    "-$10",      "+$10",       "-0x10",      "$",         "0x",
    "x",         "+",          "-",          "--1",       "1-",
    "2147483648", "-2147483649", "99999999999", "$123456789", "0x000000001",
    "$1G",       "1.0",        "1e3",        "0b1",       "12abc",
    "$ 1",       "3\r",        "\xEF\xBC\x91",
};

TEST(StrToInt, RejectsEverythingElseWithTheConversionError) {
  for (const char* text : kBad) {
    SCOPED_TRACE(text);
    try {
      StrToInt(text);
      ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), std::string("'") + text + "' is not a valid integer value");
      EXPECT_STREQ(e.ClassName(), "EConvertError");
    }
  }
}

TEST(StrToInt, EmbeddedNulEndsNothing) {
  // A NUL inside the value is a character like any other: it does not end the digits.
  EXPECT_THROW(StrToInt(std::string("12\0", 3)), EConvertError);
}

}  // namespace
