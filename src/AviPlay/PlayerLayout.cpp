#include "PlayerLayout.h"

namespace {
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBitmapInfoHeaderSize = 40;
}  // namespace

void ComputePictureLayout(const TLayoutInput& in, TPictureLayout& layout) {
  layout.ImageLeft = 0;
  layout.ImageTop = 0;
  layout.DesignBorder = in.Designing ? 1 : 0;
  layout.ImageWidth = in.Opened ? in.VideoWidth : in.Width;
  layout.ImageHeight = in.Opened ? in.VideoHeight : in.Height;
  if (!in.Stretch && in.Center) {
    layout.ImageLeft = (in.Width - layout.ImageWidth) / 2;
    layout.ImageTop = (in.Height - layout.ImageHeight) / 2;
  }
  if (!in.Transparent) {
    layout.InsetX = layout.ImageLeft > 0 ? 0 : layout.DesignBorder;
    layout.InsetY = layout.ImageTop > 0 ? 0 : layout.DesignBorder;
  }
  layout.DrawWidth = in.Stretch ? in.Width : layout.ImageWidth;
  layout.DrawHeight = in.Stretch ? in.Height : layout.ImageHeight;
}

std::array<TMarginRect, 4> MarginRects(int32_t width, int32_t height, const TPictureLayout& l) {
  const int32_t db = l.DesignBorder;
  return {{
      {db, db, width, l.ImageTop},
      {db, l.ImageTop, l.ImageLeft, height},
      {l.ImageLeft, l.ImageTop + l.ImageHeight, width - 2 * db, height - 2 * db},
      {l.ImageLeft + l.ImageWidth, l.ImageTop, width - 2 * db, l.ImageTop + l.ImageHeight},
  }};
}

uint32_t FrameBitsOffset(uint32_t biSize, uint16_t biBitCount, uint32_t biCompression, uint32_t biClrUsed) {
  uint32_t colors = biClrUsed;
  if (colors == 0 && biBitCount <= 8) colors = 1u << biBitCount;
  const uint32_t masks = (biCompression == kBiBitfields && biSize == kBitmapInfoHeaderSize) ? 3 : 0;
  return biSize + 4 * (masks + colors);
}
