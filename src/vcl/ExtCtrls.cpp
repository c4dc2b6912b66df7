#include "ExtCtrls.h"

// ---------------------------------------------------------------------------------------
// TImage

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(std::make_unique<TPicture>()) {
  SetBounds(0, 0, 105, 105);
  picture_->OnChange = [this] { PictureChanged(); };
}

const TPropertyTable& TImage::Properties() const {
  static const TPropertyTable table(&TGraphicControl::Properties(),
                                    {
                                        BoolProperty("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize, false),
                                        BoolProperty("Visible", &TImage::Visible, &TImage::SetVisible, true),
                                    });
  return table;
}

void TImage::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  PictureChanged();
}

void TImage::PictureChanged() {
  if (autoSize_ && picture_->Width() > 0 && picture_->Height() > 0)
    SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
  Invalidate();
}

void TImage::Paint(HDC dc) {
  if (TGraphic* graphic = picture_->Graphic()) graphic->Draw(dc, 0, 0);
}

// ---------------------------------------------------------------------------------------
// TTimer

TTimer::TTimer(TComponent* owner)
    : TComponent(owner), window_([this](TMessage& message) { TimerMessage(message); }) {
  UpdateTimer();
}

TTimer::~TTimer() { KillTimer(window_.Handle(), 1); }

const TPropertyTable& TTimer::Properties() const {
  static const TPropertyTable table(
      &TComponent::Properties(),
      {
          BoolProperty("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true),
          IntProperty("Interval", &TTimer::Interval, &TTimer::SetInterval, 1000),
          EventProperty("OnTimer", &TTimer::OnTimer),
          IntProperty("Left", &TTimer::DesignLeft, &TTimer::SetDesignLeft, std::nullopt),
          IntProperty("Top", &TTimer::DesignTop, &TTimer::SetDesignTop, std::nullopt),
      });
  return table;
}

void TTimer::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  UpdateTimer();
}

void TTimer::SetInterval(int32_t value) {
  if (value == interval_) return;
  interval_ = value;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  KillTimer(window_.Handle(), 1);
  if (enabled_ && interval_ > 0 && !HasState(csDesigning))
    if (!SetTimer(window_.Handle(), 1, static_cast<UINT>(interval_), nullptr))
      throw EOutOfResources("Not enough timers available");
}

void TTimer::TimerMessage(TMessage& message) {
  if (message.Msg == WM_TIMER) {
    if (OnTimer) OnTimer(this);
    return;
  }
  message.Result = DefWindowProcA(window_.Handle(), message.Msg, message.WParam, message.LParam);
}
