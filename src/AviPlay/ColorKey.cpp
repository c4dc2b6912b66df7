#include "ColorKey.h"

#include "vcl/ScopedGdi.h"

namespace {

bool IsNtPlatform() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// Where the mask is 1 the destination stays; where it is 0 the source is copied.
constexpr DWORD kKeepWhereMaskIsSet = MAKEROP4(0x00AA0029, SRCCOPY);

}  // namespace

COLORREF CornerPixel(HDC dc, const RECT& rect) { return GetPixel(dc, rect.left, rect.bottom); }

void ColorKeyBlit(HDC source, HDC destination, const RECT& rect, POINT point, COLORREF key) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  ScopedGdiObject<HBITMAP> maskBitmap;  // released last, after its DC
  ScopedMemoryDC maskDC(source);
  maskBitmap = ScopedGdiObject<HBITMAP>(CreateCompatibleBitmap(maskDC, w, h));  // monochrome, like the new DC
  ScopedSelect selected(maskDC, maskBitmap);
  // A colour-to-monochrome copy turns pixels of the source's background colour into 1.
  const COLORREF oldBackground = SetBkColor(source, key);
  BitBlt(maskDC, 0, 0, w, h, source, rect.left, rect.top, SRCCOPY);
  SetBkColor(source, oldBackground);
  TransparentStretchBlit(destination, point.x, point.y, w, h, source, rect.left, rect.top, w, h, maskDC, 0, 0);
}

void TransparentStretchBlit(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs, HDC maskDC,
                            int xm, int ym) {
  if (!IsNtPlatform() || ws != w || hs != h) {
    MaskedStretchBlit(dst, x, y, w, h, src, xs, ys, ws, hs, maskDC, xm, ym);
    return;
  }
  // MaskBlt takes the mask as a bitmap that no DC holds: a placeholder stands in meanwhile.
  ScopedGdiObject<HBITMAP> placeholder(CreateCompatibleBitmap(src, 1, 1));
  auto* mask = static_cast<HBITMAP>(SelectObject(maskDC, placeholder));
  MaskBlt(dst, x, y, w, h, src, xs, ys, mask, xm, ym, kKeepWhereMaskIsSet);
  SelectObject(maskDC, mask);
}

void MaskedStretchBlit(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs, HDC maskDC,
                       int xm, int ym) {
  ScopedMemoryDC work(nullptr);
  ScopedGdiObject<HBITMAP> workBitmap(CreateCompatibleBitmap(src, ws, hs));
  ScopedSelect selected(work, workBitmap);
  // The mask in colour (1 white, 0 black), then the source with its key pixels black.
  StretchBlt(work, 0, 0, ws, hs, maskDC, xm, ym, ws, hs, SRCCOPY);
  StretchBlt(work, 0, 0, ws, hs, src, xs, ys, ws, hs, SRCERASE);
  const COLORREF oldText = GetTextColor(dst), oldBackground = GetBkColor(dst);
  SetTextColor(dst, RGB(0, 0, 0));
  SetBkColor(dst, RGB(255, 255, 255));
  // The destination stays at the key pixels and turns black elsewhere; then the blackened
  // source goes into the black.
  StretchBlt(dst, x, y, w, h, maskDC, xm, ym, ws, hs, SRCAND);
  StretchBlt(dst, x, y, w, h, work, 0, 0, ws, hs, SRCINVERT);
  SetTextColor(dst, oldText);
  SetBkColor(dst, oldBackground);
}
