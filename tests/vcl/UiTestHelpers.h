// What the tests of components, controls and forms share: a component freed (Free) at the
// end of a test, message handling with a bound, and a bitmap to paint into and read back.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>

#include "vcl/Classes.h"
#include "vcl/DibInfo.h"
#include "vcl/Forms.h"
#include "vcl/ScopedGdi.h"

inline bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }
inline void PrintTo(const RECT& r, std::ostream* out) {
  *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

struct FreeComponent {
  void operator()(TComponent* component) const { component->Free(); }
};
template <class T>
using Freeing = std::unique_ptr<T, FreeComponent>;

// Handles messages until `done` holds or timeoutMs have passed; returns whether it holds.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() > end) return false;
    Application->ProcessMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

// Handles the messages that arrive within `ms`.
inline void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

// A white 32-bit bitmap selected into a memory DC.
class MemoryCanvas {
public:
  MemoryCanvas(int width, int height) : dc_(nullptr) {
    const BITMAPINFO info = Rgb32BitmapInfo(width, -height);
    void* bits = nullptr;
    bitmap_ = ScopedGdiObject<HBITMAP>(CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    selected_.emplace(dc_, bitmap_);
    const RECT all{0, 0, width, height};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }

  HDC Dc() const { return dc_; }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

private:
  ScopedMemoryDC dc_;
  ScopedGdiObject<HBITMAP> bitmap_;
  std::optional<ScopedSelect> selected_;
};
