// Transparent players: the captured background of what the parent paints beneath the
// control, and each frame laid over it with the frame's bottom-left colour left out.
#include "AviPlay.h"

#include "ColorKey.h"
#include "FlagScope.h"
#include "vcl/ScopedGdi.h"

void TVxAVIPlay::CaptureBackground() {
  TWinControl* parent = Parent();
  if (!parent) return;
  FlagScope painting(painting_);
  ScopedWindowDC controlDC(Handle());
  ScopedWindowDC parentDC(parent->Handle());
  ScopedMemoryDC captureDC(parentDC);
  ScopedGdiObject<HBITMAP> captureBitmap(CreateCompatibleBitmap(parentDC, parent->Width(), parent->Height()));
  ScopedSelect selected(captureDC, captureBitmap);
  if (!backDC_) {
    backDC_ = CreateCompatibleDC(controlDC);
    backBitmap_ = CreateCompatibleBitmap(controlDC, Width(), Height());
    backOldBitmap_ = static_cast<HBITMAP>(SelectObject(backDC_, backBitmap_));
  }
  IntersectClipRect(captureDC, Left(), Top(), Left() + Width() + 1, Top() + Height() + 1);
  // The control is among the children painted; with painting_ set it adds nothing.
  parent->PaintTo(captureDC, 0, 0);
  BitBlt(backDC_, 0, 0, Width(), Height(), captureDC, Left() + 1, Top() + 1, SRCCOPY);
}

void TVxAVIPlay::FreeBackground() {
  if (!backDC_) return;
  SelectObject(backDC_, backOldBitmap_);
  DeleteObject(backBitmap_);
  DeleteDC(backDC_);
  backDC_ = nullptr;
}

// While not playing every paint captures afresh; during playback only when asked to.
void TVxAVIPlay::CheckBackground() {
  if (!needBackground_ && active_) return;
  CaptureBackground();
  needBackground_ = false;
}

void TVxAVIPlay::DrawTransparent(HDC dc, const BITMAPINFOHEADER* frame, const BYTE* bits) {
  const TPictureLayout& l = layout_;
  const int w = Width(), h = Height(), db = l.DesignBorder;
  ScopedMemoryDC frameDC(dc);
  ScopedMemoryDC compositeDC(dc);
  if (frame) SetStretchBltMode(frameDC, HALFTONE);
  ScopedGdiObject<HBITMAP> frameBitmap(CreateCompatibleBitmap(dc, l.DrawWidth, l.DrawHeight));
  ScopedSelect frameSelected(frameDC, frameBitmap);
  if (frame)
    StretchDIBits(frameDC, 0, 0, l.DrawWidth, l.DrawHeight, 0, 0, l.ImageWidth, l.ImageHeight, bits,
                  reinterpret_cast<const BITMAPINFO*>(frame), DIB_RGB_COLORS, SRCCOPY);
  ScopedGdiObject<HBITMAP> compositeBitmap(CreateCompatibleBitmap(dc, w, h));
  ScopedSelect compositeSelected(compositeDC, compositeBitmap);
  BitBlt(compositeDC, 0, 0, w, h, backDC_, 0, 0, SRCCOPY);
  if (frame) {
    const COLORREF key = CornerPixel(frameDC, RECT{0, 0, l.DrawWidth - 1, l.DrawHeight - 1});
    ColorKeyBlit(frameDC, compositeDC, RECT{0, 0, l.DrawWidth, l.DrawHeight}, POINT{l.ImageLeft, l.ImageTop}, key);
  }
  // At design time the outer ring is the dotted frame's.
  BitBlt(dc, db, db, w - 2 * db, h - 2 * db, compositeDC, db, db, SRCCOPY);
}
