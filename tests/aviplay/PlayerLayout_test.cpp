// Where the player puts its picture: offsets, insets and draw size for the cases that
// matter (centred smaller and larger videos, odd overhangs, design time, stretching), the
// margins around an opaque picture, and where a frame's pixel bits begin.
#include "AviPlay/PlayerLayout.h"

#include <gtest/gtest.h>

#include <array>

#include "LayoutCompare.h"

namespace {

struct LayoutCase {
  const char* name;
  TLayoutInput in;
  TPictureLayout want;  // InsetX/Y 7 where they must be left as they were
};

// Control size, opened, video size, Stretch, Center, Transparent, Designing.
const LayoutCase kLayouts[] = {
    {"smaller video centred", {100, 50, true, 90, 40, false, true, false, false}, {5, 5, 90, 40, 0, 0, 0, 90, 40}},
    {"larger video overhangs, halves truncated toward zero",
     {100, 50, true, 103, 51, false, true, false, false},
     {-1, 0, 103, 51, 0, 0, 0, 103, 51}},
    {"overhang of 7 gives -3", {100, 50, true, 107, 57, false, true, false, false}, {-3, -3, 107, 57, 0, 0, 0, 107, 57}},
    {"centre off keeps the corner", {100, 50, true, 90, 40, false, false, false, false}, {0, 0, 90, 40, 0, 0, 0, 90, 40}},
    {"stretched at run time", {100, 50, true, 90, 40, true, true, false, false}, {0, 0, 90, 40, 0, 0, 0, 100, 50}},
    {"stretched at design time: inset on both axes",
     {100, 50, true, 90, 40, true, true, false, true},
     {0, 0, 90, 40, 1, 1, 1, 100, 50}},
    {"centred at design time with positive offsets: no inset",
     {100, 50, true, 90, 40, false, true, false, true},
     {5, 5, 90, 40, 1, 0, 0, 90, 40}},
    {"design time, video as wide as the control: inset on that axis only",
     {100, 50, true, 100, 40, false, true, false, true},
     {0, 5, 100, 40, 1, 1, 0, 100, 40}},
    {"no file: the control's own size", {100, 50, false, 90, 40, false, true, false, false},
     {0, 0, 100, 50, 0, 0, 0, 100, 50}},
    {"transparent leaves the insets alone", {100, 50, true, 100, 50, true, true, true, true},
     {0, 0, 100, 50, 1, 7, 7, 100, 50}},
};

TEST(PlayerLayout, OffsetsInsetsAndDrawSize) {
  for (const LayoutCase& c : kLayouts) {
    TPictureLayout layout;
    layout.InsetX = layout.InsetY = 7;
    ComputePictureLayout(c.in, layout);
    EXPECT_EQ(layout, c.want) << c.name;
  }
}

using Rects = std::array<TMarginRect, 4>;

struct MarginCase {
  const char* name;
  TLayoutInput in;
  Rects want;
  std::array<bool, 4> empty;
};

const MarginCase kMargins[] = {
    {"90x40 in 100x50 tiles the rest",
     {100, 50, true, 90, 40, false, true, false, false},
     {{{0, 0, 100, 5}, {0, 5, 5, 50}, {5, 45, 100, 50}, {95, 5, 100, 45}}},
     {false, false, false, false}},
    {"at design time the border is left out",
     {100, 50, true, 90, 40, false, true, false, true},
     {{{1, 1, 100, 5}, {1, 5, 5, 50}, {5, 45, 98, 48}, {95, 5, 98, 45}}},
     {false, false, false, false}},
    {"a picture covering the control leaves none",
     {100, 50, true, 100, 50, false, true, false, false},
     {{{0, 0, 100, 0}, {0, 0, 0, 50}, {0, 50, 100, 50}, {100, 0, 100, 50}}},
     {true, true, true, true}},
    {"an overhanging picture gives inverted ones",
     {100, 50, true, 103, 51, false, true, false, false},
     {{{0, 0, 100, 0}, {0, 0, -1, 50}, {-1, 51, 100, 50}, {102, 0, 100, 51}}},
     {true, true, true, true}},
};

TEST(PlayerLayout, MarginsAroundAnOpaquePicture) {
  for (const MarginCase& c : kMargins) {
    SCOPED_TRACE(c.name);
    TPictureLayout layout;
    ComputePictureLayout(c.in, layout);
    const Rects got = MarginRects(c.in.Width, c.in.Height, layout);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(got[i], c.want[i]) << "margin " << i;
      EXPECT_EQ(got[i].Empty(), c.empty[i]) << "margin " << i;
    }
  }
}

TEST(PlayerLayout, FrameBitsFollowHeaderMasksAndColourTable) {
  struct Case {
    const char* name;
    uint32_t size;
    uint16_t bits;
    uint32_t compression;
    uint32_t used;
    uint32_t want;
  };
  const Case cases[] = {
      {"24-bit", 40, 24, 0, 0, 40},
      {"24-bit with a colour table", 40, 24, 0, 2, 48},
      {"8-bit, full palette", 40, 8, 0, 0, 40 + 1024},
      {"8-bit, 16 colours used", 40, 8, 0, 16, 40 + 64},
      {"4-bit, full palette", 40, 4, 0, 0, 40 + 64},
      {"16-bit bit fields after a 40-byte header", 40, 16, 3, 0, 52},
      {"bit fields inside a V5 header", 124, 16, 3, 0, 124},
  };
  for (const Case& c : cases) EXPECT_EQ(FrameBitsOffset(c.size, c.bits, c.compression, c.used), c.want) << c.name;
}

}  // namespace
