// The Windows half of Colors.h: system colours resolved.
#include "Colors.h"

#include <windows.h>

uint32_t ColorToRGB(TColor color) {
  if (IsSystemColor(color)) return GetSysColor(color & 0xFF);
  return static_cast<uint32_t>(color);
}
