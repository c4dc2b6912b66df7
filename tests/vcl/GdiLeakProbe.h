// Seeing GDI leaks where GetGuiResources reads 0 (Wine). A new GDI object takes the most
// recently freed slot of the process's handle table, or a new slot past the used ones;
// the slot is the low 16 bits of its handle. Across work that leaks nothing, the slot a
// fresh object gets moves at most by the number of objects the work held at once; each
// leaked object moves it one further.
#pragma once

#include <windows.h>

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

private:
  int start_;
};
