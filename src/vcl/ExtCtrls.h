// TImage, a picture shown unscaled by its parent, and TTimer, a periodic event.
#pragma once

#include <memory>

#include "Controls.h"
#include "Graphics.h"
#include "MessageWindow.h"

class TImage : public TGraphicControl {
public:
  explicit TImage(TComponent* owner);
  VCL_CLASS_NAME(TImage)
  const TPropertyTable& Properties() const override;

  TPicture* Picture() const { return picture_.get(); }
  // With AutoSize on, the image takes the size of its picture whenever either changes.
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);

protected:
  void Paint(HDC dc) override;

private:
  void PictureChanged();

  std::unique_ptr<TPicture> picture_;
  bool autoSize_ = false;
};

class TTimer : public TComponent {
public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  VCL_CLASS_NAME(TTimer)
  const TPropertyTable& Properties() const override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  // Milliseconds between two OnTimer events; 0 stops the timer.
  int32_t Interval() const { return interval_; }
  void SetInterval(int32_t value);

  // Where a form designer shows the component; stored, without effect at run time.
  int32_t DesignLeft() const { return designLeft_; }
  void SetDesignLeft(int32_t value) { designLeft_ = value; }
  int32_t DesignTop() const { return designTop_; }
  void SetDesignTop(int32_t value) { designTop_ = value; }

  TNotifyEvent OnTimer;

private:
  void UpdateTimer();
  void TimerMessage(TMessage& message);

  bool enabled_ = true;
  int32_t interval_ = 1000;
  int32_t designLeft_ = 0, designTop_ = 0;
  TMessageWindow window_;
};
