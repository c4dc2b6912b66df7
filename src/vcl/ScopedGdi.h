// Guards for GDI resources: one class per acquisition, each releasing what it acquired
// on every path and converting to the handle it holds.
#pragma once

#include <windows.h>

#include <utility>

// A created GDI object (bitmap, brush, pen, ...), deleted with DeleteObject. Moving swaps:
// the guard moved from takes over the handle it was replacing and deletes it in its turn.
template <class Handle>
class ScopedGdiObject {
public:
  ScopedGdiObject() = default;
  explicit ScopedGdiObject(Handle handle) : handle_(handle) {}
  ScopedGdiObject(ScopedGdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  ScopedGdiObject& operator=(ScopedGdiObject&& other) noexcept {
    std::swap(handle_, other.handle_);
    return *this;
  }
  ~ScopedGdiObject() {
    if (handle_) DeleteObject(handle_);
  }
  operator Handle() const { return handle_; }

private:
  Handle handle_ = nullptr;
};

// A memory DC compatible with `dc` (the screen when null), deleted with DeleteDC.
class ScopedMemoryDC {
public:
  explicit ScopedMemoryDC(HDC dc) : dc_(CreateCompatibleDC(dc)) {}
  ScopedMemoryDC(const ScopedMemoryDC&) = delete;
  ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;
  ~ScopedMemoryDC() {
    if (dc_) DeleteDC(dc_);
  }
  operator HDC() const { return dc_; }

private:
  HDC dc_;
};

// A window's DC (the screen's when null), released with ReleaseDC.
class ScopedWindowDC {
public:
  explicit ScopedWindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ScopedWindowDC(const ScopedWindowDC&) = delete;
  ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
  ~ScopedWindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  operator HDC() const { return dc_; }

private:
  HWND window_;
  HDC dc_;
};

// An object selected into a DC; the DC's previous object is selected back at the end.
class ScopedSelect {
public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;
  ~ScopedSelect() {
    if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }

private:
  HDC dc_;
  HGDIOBJ previous_;
};
