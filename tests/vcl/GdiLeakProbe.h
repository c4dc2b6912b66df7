// Seeing GDI leaks where GetGuiResources reads 0 (Wine). A new GDI object takes the most
// recently freed slot of the process's handle table, or a new slot past the used ones;
// the slot is the low 16 bits of its handle. Across work that leaks nothing, the slot a
// fresh object gets moves at most by the number of objects the work held at once; each
// leaked object moves it one further.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

class GdiLeakProbe {
public:
  GdiLeakProbe() : start_(FreshSlot()) {}

  // How far the slot of a fresh object has moved since the probe was made.
  int Growth() const { return FreshSlot() - start_; }

  static int FreshSlot() {
    const HBRUSH brush = CreateSolidBrush(0);
    const int slot = LOWORD(reinterpret_cast<UINT_PTR>(brush));
    DeleteObject(brush);
    return slot;
  }

  // The highest slot that 1,024 objects created at once take: steadier than one fresh
  // slot when the work in between reuses the freed slots in another order. Across work
  // that leaks nothing it stays put; each leaked object raises it by one.
  static int HighWater() {
    std::vector<HBRUSH> brushes(1024);
    int mark = 0;
    for (HBRUSH& brush : brushes) {
      brush = CreateSolidBrush(0);
      mark = std::max(mark, static_cast<int>(LOWORD(reinterpret_cast<UINT_PTR>(brush))));
    }
    for (HBRUSH brush : brushes) DeleteObject(brush);
    return mark;
  }

private:
  int start_;
};
