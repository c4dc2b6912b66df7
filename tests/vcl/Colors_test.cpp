#include "vcl/Colors.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(Colors, IdentifiersRoundTrip) {
  for (const char* ident : {"clBlack", "clWhite", "clWindow", "clBtnFace", "clWindowText"}) {
    SCOPED_TRACE(ident);
    const auto color = IdentToColor(ident);
    ASSERT_TRUE(color.has_value());
    EXPECT_EQ(ColorToIdent(*color), ident);
  }
  EXPECT_EQ(IdentToColor("clNoSuchColour"), std::nullopt);
  EXPECT_EQ(ColorToIdent(0x123456), std::nullopt);  // a plain RGB value is stored as a number
}

TEST(Colors, SystemColorsResolveThroughTheSystem) {
  EXPECT_EQ(ColorToRGB(clWindow), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(clBlack), 0u);
  EXPECT_EQ(ColorToRGB(0x123456), 0x123456u);
}

}  // namespace
