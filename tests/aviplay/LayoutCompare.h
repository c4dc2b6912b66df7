// Comparing and printing the player's layout values in test expectations. Beside the
// types, in the global namespace, so that argument-dependent lookup finds them.
#pragma once

#include <ostream>

#include "AviPlay/PlayerLayout.h"

inline bool operator==(const TPictureLayout& a, const TPictureLayout& b) {
  return a.ImageLeft == b.ImageLeft && a.ImageTop == b.ImageTop && a.ImageWidth == b.ImageWidth &&
         a.ImageHeight == b.ImageHeight && a.DesignBorder == b.DesignBorder && a.InsetX == b.InsetX &&
         a.InsetY == b.InsetY && a.DrawWidth == b.DrawWidth && a.DrawHeight == b.DrawHeight;
}
inline void PrintTo(const TPictureLayout& l, std::ostream* out) {
  *out << "at (" << l.ImageLeft << ", " << l.ImageTop << ") image " << l.ImageWidth << "x" << l.ImageHeight
       << " border " << l.DesignBorder << " inset (" << l.InsetX << ", " << l.InsetY << ") draw " << l.DrawWidth
       << "x" << l.DrawHeight;
}

inline bool operator==(const TMarginRect& a, const TMarginRect& b) {
  return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}
inline void PrintTo(const TMarginRect& r, std::ostream* out) {
  *out << "(" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ")";
}
