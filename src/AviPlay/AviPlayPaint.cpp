// The player on the screen: layout, the one paint routine, the design-time frame, the
// margins around an opaque picture, and the messages that concern painting.
#include "AviPlay.h"

#include "FlagScope.h"
#include "vcl/ScopedGdi.h"

void TVxAVIPlay::ComputeLayout() {
  TLayoutInput in;
  in.Width = Width();
  in.Height = Height();
  in.Opened = opened_;
  in.VideoWidth = videoWidth_;
  in.VideoHeight = videoHeight_;
  in.Stretch = stretch_;
  in.Center = center_;
  in.Transparent = transparent_;
  in.Designing = HasState(csDesigning);
  ComputePictureLayout(in, layout_);
}

// The guards of every paint: already painting, being loaded, no parent, a parent being
// loaded, no window (a paint never makes one), or invisible at run time.
bool TVxAVIPlay::Unpaintable() const {
  if (painting_) return true;
  if (HasState(csLoading | csReading)) return true;
  if (!Parent()) return true;
  if (Parent()->HasState(csLoading | csReading)) return true;
  if (!HandleAllocated()) return true;
  if (!Visible() && !HasState(csDesigning)) return true;
  return false;
}

void TVxAVIPlay::PaintFrame() {
  if (Unpaintable()) return;
  if (!transparent_ && !opened_) {
    PaintEmptyFace();
    DrawDesignFrame();
    return;
  }
  if (transparent_) CheckBackground();
  {
    FlagScope painting(painting_);
    const auto* frame = frameReader_ ? static_cast<const BITMAPINFOHEADER*>(
                                           AVIStreamGetFrame(frameReader_, currentFrame_))
                                     : nullptr;
    ScopedWindowDC dc(Handle());
    ComputeLayout();
    const BYTE* bits =
        frame ? reinterpret_cast<const BYTE*>(frame) +
                    FrameBitsOffset(frame->biSize, frame->biBitCount, frame->biCompression, frame->biClrUsed)
              : nullptr;
    if (transparent_)
      DrawTransparent(dc, frame, bits);
    else if (frame)
      DrawOpaque(dc, frame, bits);
  }
  DrawDesignFrame();
}

void TVxAVIPlay::PaintEmptyFace() {
  ScopedWindowDC dc(Handle());
  ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(Color())));
  const RECT client = ClientRect();
  FillRect(dc, &client, brush);
}

// Only a frame that came back is drawn.
void TVxAVIPlay::DrawOpaque(HDC dc, const BITMAPINFOHEADER* frame, const BYTE* bits) {
  const TPictureLayout& l = layout_;
  DrawDibDraw(drawDibHandle_, dc, l.ImageLeft, l.ImageTop, l.DrawWidth - 2 * l.InsetX, l.DrawHeight - 2 * l.InsetY,
              const_cast<BITMAPINFOHEADER*>(frame), const_cast<BYTE*>(bits), 0, 0, l.ImageWidth, l.ImageHeight,
              DDF_HALFTONE);
}

void TVxAVIPlay::DrawDesignFrame() {
  if (!HasState(csDesigning)) return;
  ScopedWindowDC dc(Handle());
  ScopedGdiObject<HPEN> pen(CreatePen(PS_DOT, 1, RGB(0, 0, 0)));
  ScopedSelect selectedPen(dc, pen);
  ScopedSelect selectedBrush(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, 0, 0, Width(), Height());
}

// The margins around an opaque picture at its own size, in Color; inverted rectangles of
// an overhanging picture are skipped.
void TVxAVIPlay::PaintMargins() {
  if (Unpaintable() || transparent_ || stretch_) return;
  ComputeLayout();
  ScopedWindowDC dc(Handle());
  ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(Color())));
  for (const TMarginRect& m : MarginRects(Width(), Height(), layout_)) {
    if (m.Empty()) continue;
    const RECT r{m.Left, m.Top, m.Right, m.Bottom};
    FillRect(dc, &r, brush);
  }
}

// ---------------------------------------------------------------------------------------
// Messages

// The paint structure's DC is not drawn on: PaintFrame draws the whole picture itself.
void TVxAVIPlay::WMPaint(TMessage& message) {
  PAINTSTRUCT paint;
  BeginPaint(Handle(), &paint);
  message.Result = 0;
  PaintFrame();
  EndPaint(Handle(), &paint);
}

void TVxAVIPlay::WMMove(TMessage& message) {
  TCustomControl::WndProc(message);
  needBackground_ = true;
  PaintFrame();
}

void TVxAVIPlay::WMSize(TMessage& message) {
  {
    FlagScope painting(painting_);
    FreeBackground();
    TCustomControl::WndProc(message);
    needBackground_ = true;
  }
  AdjustSize();
  if (!active_) PaintFrame();
}

void TVxAVIPlay::WMDisplayChange() {
  DrawDibClose(drawDibHandle_);
  drawDibHandle_ = DrawDibOpen();
}
