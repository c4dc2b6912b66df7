#include "IconIdentify.h"

#include <cstdint>
#include <cstdlib>
#include <map>

#include "vcl/DibInfo.h"
#include "vcl/ScopedGdi.h"

namespace {

struct SystemIcon {
  const char* name;
  LPCSTR id;
};

const SystemIcon kSystemIcons[] = {
    {"exclamation", IDI_EXCLAMATION},
    {"stop", IDI_HAND},
    {"information", IDI_ASTERISK},
    {"question", IDI_QUESTION},
};

// A 32-bit top-down picture in a memory DC; pixels read as 0x00RRGGBB.
class Canvas {
public:
  Canvas(int width, int height) : width_(width), height_(height), bitmap_(Create(width, height, &bits_)),
                                  selection_(dc_, bitmap_) {}
  HDC Dc() const { return dc_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  uint32_t Pixel(int x, int y) const { return bits_[y * width_ + x] & 0xFFFFFFu; }
  bool Valid() const { return dc_ && bitmap_ && bits_; }

private:
  static HBITMAP Create(int width, int height, uint32_t** bits) {
    const BITMAPINFO info = Rgb32BitmapInfo(width, -height);
    void* memory = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    *bits = static_cast<uint32_t*>(memory);
    return bitmap;
  }

  int width_, height_;
  uint32_t* bits_ = nullptr;
  ScopedMemoryDC dc_{nullptr};
  ScopedGdiObject<HBITMAP> bitmap_;
  ScopedSelect selection_;
};

// The most frequent colour along the edge: the background the icon was drawn on.
uint32_t EdgeColour(const Canvas& canvas) {
  std::map<uint32_t, int> counts;
  for (int x = 0; x < canvas.Width(); ++x) {
    ++counts[canvas.Pixel(x, 0)];
    ++counts[canvas.Pixel(x, canvas.Height() - 1)];
  }
  for (int y = 0; y < canvas.Height(); ++y) {
    ++counts[canvas.Pixel(0, y)];
    ++counts[canvas.Pixel(canvas.Width() - 1, y)];
  }
  auto best = counts.begin();
  for (auto it = counts.begin(); it != counts.end(); ++it)
    if (it->second > best->second) best = it;
  return best->first;
}

bool Close(uint32_t a, uint32_t b) {
  constexpr int kTolerance = 16;
  for (int shift = 0; shift < 24; shift += 8)
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > kTolerance)
      return false;
  return true;
}

int DifferingPixels(const Canvas& a, const Canvas& b) {
  int count = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (!Close(a.Pixel(x, y), b.Pixel(x, y))) ++count;
  return count;
}

// Draws each system icon on the captured background and takes the one that looks the
// same; nullptr when none does.
const char* Match(const Canvas& shot) {
  const uint32_t background = EdgeColour(shot);
  ScopedGdiObject<HBRUSH> brush(
      CreateSolidBrush(RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF)));
  const RECT area{0, 0, shot.Width(), shot.Height()};
  const int allowed = shot.Width() * shot.Height() / 50;
  const char* best = nullptr;
  int bestDifference = allowed + 1;
  for (const SystemIcon& icon : kSystemIcons) {
    Canvas drawn(shot.Width(), shot.Height());
    if (!drawn.Valid()) return nullptr;
    FillRect(drawn.Dc(), &area, brush);
    DrawIconEx(drawn.Dc(), 0, 0, LoadIconA(nullptr, icon.id), shot.Width(), shot.Height(), 0, nullptr, DI_NORMAL);
    GdiFlush();
    const int difference = DifferingPixels(shot, drawn);
    if (difference < bestDifference) {
      best = icon.name;
      bestDifference = difference;
    }
  }
  return best;
}

}  // namespace

std::string IdentifyIcon(HWND iconControl, DWORD waitMs) {
  // The handle the control holds is of no use in this process, but tells whether it has one.
  DWORD_PTR held = 0;
  if (!iconControl || !SendMessageTimeoutW(iconControl, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &held) || !held)
    return "none";
  RECT client;
  if (!GetClientRect(iconControl, &client)) return "none";
  MapWindowPoints(iconControl, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
  const int width = client.right - client.left, height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return "none";

  const ULONGLONG deadline = GetTickCount64() + waitMs;
  for (;;) {
    Canvas shot(width, height);
    if (!shot.Valid()) return "none";
    {
      ScopedWindowDC screen(nullptr);
      BitBlt(shot.Dc(), 0, 0, width, height, screen, client.left, client.top, SRCCOPY);
    }
    GdiFlush();
    if (const char* name = Match(shot)) return name;
    if (GetTickCount64() >= deadline) return "none";
    Sleep(50);
  }
}
