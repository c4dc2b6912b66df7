// The player control's life: construction and destruction, loading from a form
// description, the property setters, opening and closing the file, message dispatch and
// the events.
#include "AviPlay.h"

#include <algorithm>
#include <cstdint>

#include "vcl/TypInfo.h"

namespace {

int32_t FrameWidth(const AVISTREAMINFOA& info) { return info.rcFrame.right - info.rcFrame.left; }
int32_t FrameHeight(const AVISTREAMINFOA& info) { return info.rcFrame.bottom - info.rcFrame.top; }

}  // namespace

TVxAVIPlay::TVxAVIPlay(TComponent* owner) : TCustomControl(owner) {
  SetWidth(100);
  SetHeight(50);
  AVIFileInit();
  audioPlayer_ = std::make_unique<TAudioPlay>();
  RegisterPlayer(this);
  drawDibHandle_ = DrawDibOpen();
}

TVxAVIPlay::~TVxAVIPlay() {
  Stop();
  UnregisterPlayer(this);
  DrawDibClose(drawDibHandle_);
  drawDibHandle_ = nullptr;
  FreeBackground();
  CloseFile();
  audioPlayer_.reset();
  AVIFileExit();
}

const TPropertyTable& TVxAVIPlay::Properties() const {
  using P = TVxAVIPlay;
  static const TPropertyTable table(
      &TCustomControl::Properties(),
      {
          BoolProperty("Active", &P::Active, &P::SetActive, false),
          BoolProperty("AutoSize", &P::AutoSize, &P::SetAutoSize, true),
          BoolProperty("Center", &P::Center, &P::SetCenter, true),
          StringProperty("FileName", &P::FileName, &P::SetFileName),
          BoolProperty("PlaySound", &P::PlaySound, &P::SetPlaySound, true),
          IntProperty("Repetitions", &P::Repetitions, &P::SetRepetitions, 0),
          IntProperty("StartFrame", &P::StartFrame, &P::SetStartFrame, 1),
          IntProperty("StopFrame", &P::StopFrame, &P::SetStopFrame, 0),
          BoolProperty("Stretch", &P::Stretch, &P::SetStretch, false),
          BoolProperty("Transparent", &P::Transparent, &P::SetTransparent, true),
          EventProperty("OnOpen", &P::OnOpen),
          EventProperty("OnClose", &P::OnClose),
          EventProperty("OnStart", &P::OnStart),
          EventProperty("OnStop", &P::OnStop),
          EnumProperty("Align", AlignNames, &P::Align, &P::SetAlign, alNone),
          [] {
            TPropInfo color = IntProperty("Color", &P::Color, &P::SetColor, clWindow, &ColorIdents);
            color.Stored = [](const TPersistent& p) { return !static_cast<const P&>(p).ParentColor(); };
            return color;
          }(),
          BoolProperty("ParentColor", &P::ParentColor, &P::SetParentColor, true),
          BoolProperty("ParentShowHint", &P::ParentShowHint, &P::SetParentShowHint, true),
          [] {
            TPropInfo hint = BoolProperty("ShowHint", &P::ShowHint, &P::SetShowHint, std::nullopt);
            hint.Stored = [](const TPersistent& p) { return !static_cast<const P&>(p).ParentShowHint(); };
            return hint;
          }(),
          BoolProperty("Visible", &P::Visible, &P::SetVisible, true),
      });
  return table;
}

// The file was named while the description was read; it opens now, and the stored range
// is put back over the file's full range that opening sets.
void TVxAVIPlay::Loaded() {
  TCustomControl::Loaded();
  if (!fileName_.empty()) {
    parentRedraw_ = false;
    const int32_t start = startFrame_, stop = stopFrame_;
    OpenFile();
    startFrame_ = start;
    stopFrame_ = stop;
    parentRedraw_ = true;
  }
  if (active_) {
    if (opened_) {
      active_ = false;
      Play(static_cast<uint16_t>(startFrame_), static_cast<uint16_t>(stopFrame_), repetitions_);
    } else {
      active_ = false;
    }
  }
}

// ---------------------------------------------------------------------------------------
// Setters: each does nothing when the value is unchanged.

void TVxAVIPlay::SetActive(bool value) {
  if (value == active_) return;
  if (HasState(csReading)) {
    active_ = value;
    return;
  }
  if (value) {
    Play(static_cast<uint16_t>(startFrame_), static_cast<uint16_t>(stopFrame_), repetitions_);
  } else {
    Stop();
    if (HasState(csDesigning)) {
      currentFrame_ = 0;
      PaintFrame();
    }
  }
}

void TVxAVIPlay::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  AdjustSize();
}

void TVxAVIPlay::SetCenter(bool value) {
  if (value == center_) return;
  center_ = value;
  if (!transparent_) Invalidate();
  PaintFrame();
}

void TVxAVIPlay::SetFileName(const std::string& value) {
  if (value == fileName_) return;
  fileName_ = value;
  if (HasState(csReading)) return;
  const bool wasActive = active_;
  CloseFile();
  OpenFile();
  Invalidate();
  PaintFrame();
  if (value.empty()) {
    needBackground_ = true;
    if (TWinControl* parent = Parent()) {
      parent->Invalidate();
      if (parent->HandleAllocated()) UpdateWindow(parent->Handle());
    }
  }
  if (wasActive) SetActive(true);
}

void TVxAVIPlay::SetRepetitions(int32_t value) {
  if (value == repetitions_) return;
  repetitions_ = value;
  if (HasState(csDesigning)) {
    Stop();
    currentFrame_ = 0;
    PaintFrame();
  }
}

void TVxAVIPlay::SetStartFrame(int32_t value) {
  if (value == startFrame_) return;
  ClampFrame(value);
  startFrame_ = value;
}

void TVxAVIPlay::SetStopFrame(int32_t value) {
  if (value == stopFrame_) return;
  ClampFrame(value);
  stopFrame_ = value;
}

void TVxAVIPlay::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  Invalidate();
  PaintFrame();
}

void TVxAVIPlay::SetStretch(bool value) {
  if (value == stretch_) return;
  stretch_ = value;
  if (HasState(csReading)) return;
  if (!value) Invalidate();
  if (!active_) PaintFrame();
}

// While playing the sound follows at once: it restarts at the current frame, or stops.
void TVxAVIPlay::SetPlaySound(bool value) {
  if (value == playSound_) return;
  playSound_ = value;
  if (!active_) return;
  if (value)
    StartSound(currentFrame_, stopFrame_);
  else
    audioPlayer_->CloseDevice();
}

// Only while a file is open; the lower bound is 0, not the stream's first frame.
void TVxAVIPlay::ClampFrame(int32_t& frame) const {
  if (!opened_) return;
  if (frame > frameCount_ - 1)
    frame = frameCount_ - 1;
  else if (frame < 0)
    frame = 0;
}

// ---------------------------------------------------------------------------------------
// The file

// Each failure releases what the attempt acquired and leaves the control closed.
void TVxAVIPlay::OpenFile() {
  if (fileName_.empty()) return;
  if (AVIFileOpenA(&aviFile_, fileName_.c_str(), OF_READ, nullptr) != 0) {
    aviFile_ = nullptr;
    return;
  }
  if (AVIFileGetStream(aviFile_, &videoStream_, streamtypeVIDEO, 0) != 0) {
    AVIFileRelease(aviFile_);
    aviFile_ = nullptr;
    videoStream_ = nullptr;
    return;
  }
  frameReader_ = AVIStreamGetFrameOpen(videoStream_, nullptr);
  if (!frameReader_) {
    AVIStreamRelease(videoStream_);
    AVIFileRelease(aviFile_);
    videoStream_ = nullptr;
    aviFile_ = nullptr;
    return;
  }
  if (AVIFileGetStream(aviFile_, &audioStream_, streamtypeAUDIO, 0) != 0) audioStream_ = nullptr;

  AVISTREAMINFOA info{};
  AVIStreamInfoA(videoStream_, &info, sizeof info);
  // A length past the signed range is a broken header; FrameCount - 1 must not overflow.
  frameCount_ = static_cast<int32_t>(std::min<DWORD>(info.dwLength, INT32_MAX));
  videoWidth_ = FrameWidth(info);
  videoHeight_ = FrameHeight(info);
  startFrame_ = static_cast<int32_t>(info.dwStart);
  stopFrame_ = frameCount_ - 1;
  currentFrame_ = startFrame_.load();
  opened_ = true;

  RemoveTransparentStyle();
  AdjustSize();
  needBackground_ = true;
  PaintFrame();
  if (Parent()) Parent()->Invalidate();
  DoOpen();
}

void TVxAVIPlay::CloseFile() {
  if (!opened_) return;
  if (active_) Stop();
  if (frameReader_) AVIStreamGetFrameClose(frameReader_);
  if (audioStream_) AVIStreamRelease(audioStream_);
  if (videoStream_) AVIStreamRelease(videoStream_);
  if (aviFile_) AVIFileRelease(aviFile_);
  audioStream_ = nullptr;
  videoStream_ = nullptr;
  aviFile_ = nullptr;
  frameReader_ = nullptr;
  opened_ = false;
  frameCount_ = 0;
  DoClose();
}

// New windows get WS_EX_TRANSPARENT from CreateParams; a window that shows an open file
// loses it. A control that cannot have a window yet loses it when the window is made.
void TVxAVIPlay::RemoveTransparentStyle() {
  if (!CanHaveHandle()) return;
  HWND window = Handle();
  SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) & ~WS_EX_TRANSPARENT);
}

void TVxAVIPlay::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.ExStyle |= WS_EX_TRANSPARENT;
}

void TVxAVIPlay::CreateWnd() {
  TCustomControl::CreateWnd();
  if (opened_) RemoveTransparentStyle();
}

// Takes the video's size; the parent's redrawing is off meanwhile, and afterwards only
// what the old bounds uncovered, and the windowed siblings it touches, are redrawn.
void TVxAVIPlay::AdjustSize() {
  if (!autoSize_ || !opened_) return;
  AVISTREAMINFOA info{};
  AVIStreamInfoA(videoStream_, &info, sizeof info);
  TWinControl* parent = Parent();
  if (parentRedraw_ && parent) parent->Perform(WM_SETREDRAW, 0, 0);
  RECT uncovered = BoundsRect();
  SetBounds(Left(), Top(), FrameWidth(info), FrameHeight(info));
  if (!parentRedraw_ || !parent) return;
  parent->Perform(WM_SETREDRAW, 1, 0);
  const RECT now = BoundsRect();
  SubtractRect(&uncovered, &uncovered, &now);
  if (parent->HandleAllocated()) InvalidateRect(parent->Handle(), &uncovered, TRUE);
  const int count = parent->ControlCount();
  for (int i = 0; i < count; ++i) {
    auto* sibling = dynamic_cast<TWinControl*>(parent->Controls(i));
    if (!sibling || sibling == this) continue;
    RECT overlap;
    const RECT bounds = sibling->BoundsRect();
    if (IntersectRect(&overlap, &bounds, &uncovered)) sibling->Invalidate();
  }
}

// ---------------------------------------------------------------------------------------
// Message dispatch

void TVxAVIPlay::WndProc(TMessage& message) {
  switch (message.Msg) {
    case CM_REPAINT:
      PaintFrame();
      return;
    case CM_PASSRESTART:
      PassRestarted(static_cast<uint32_t>(message.WParam));
      return;
    case CM_PLAYBACKEND:
      PlaybackEnded(static_cast<uint32_t>(message.WParam));
      return;
    case MM_WOM_DONE:
      if (audioPlayer_) audioPlayer_->BufferDone(reinterpret_cast<WAVEHDR*>(message.LParam));
      return;
    case WM_PAINT:
      WMPaint(message);
      return;
    case WM_ERASEBKGND:
      PaintMargins();
      return;
    case WM_MOVE:
      WMMove(message);
      return;
    case WM_SIZE:
      WMSize(message);
      return;
    case WM_DISPLAYCHANGE:
      WMDisplayChange();
      return;
    case WM_DESTROY:
      WMDestroy(message);
      return;
  }
  TCustomControl::WndProc(message);
}

// ---------------------------------------------------------------------------------------
// Events

void TVxAVIPlay::DoOpen() {
  if (OnOpen) OnOpen(this);
}

void TVxAVIPlay::DoClose() {
  if (OnClose) OnClose(this);
}

void TVxAVIPlay::DoStart() {
  if (OnStart) OnStart(this);
}

void TVxAVIPlay::DoStop() {
  if (OnStop) OnStop(this);
}
