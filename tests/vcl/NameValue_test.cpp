#include "vcl/NameValue.h"

#include <gtest/gtest.h>

#include "NameValueCases.h"

namespace {

bool AsciiSameText(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

TEST(NameValue, LooksUpTheFirstMatchingLine) {
  for (const NameValueCase& c : kNameValueCases) {
    SCOPED_TRACE(c.what);
    const std::vector<std::string> lines = SplitLines(c.text);
    EXPECT_EQ(IndexOfName(lines, c.name, AsciiSameText), c.index);
    EXPECT_EQ(ValueOfName(lines, c.name, AsciiSameText), c.value);
  }
}

TEST(NameValue, SplitsAtEveryKindOfLineEnd) {
  struct Case {
    std::string_view text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {""sv, {}},
      {"a"sv, {"a"}},
      {"a\r\n"sv, {"a"}},
      {"a\r\n\r\n"sv, {"a", ""}},
      {"\r\n"sv, {""}},
      {"a\rb\nc\r\nd"sv, {"a", "b", "c", "d"}},
      {"a\n\rb"sv, {"a", "", "b"}},
      {"a\r\r\nb"sv, {"a", "", "b"}},
      {"a\r\rb\n\nc"sv, {"a", "", "b", "", "c"}},
      {"\0a"sv, {}},
      {"a\r\0\nb"sv, {"a"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
    EXPECT_EQ(SplitLines(c.text), c.lines);
  }
}

}  // namespace
