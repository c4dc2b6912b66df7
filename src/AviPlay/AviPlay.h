// TVxAVIPlay, the AVI player control: opens an AVI file through the AVIFile library,
// sizes itself to the video, paints one frame at a time with DrawDib, steps through a
// frame range on a periodic multimedia timer and plays the file's first audio stream
// alongside, restarted at every pass.
//
// Threads: the timer's callback runs on the timer service's thread. It only advances the
// frame counter (under the clock lock) and posts messages to the control's window; every
// paint, every call into the file services and every event runs on the user-interface
// thread. The start of a new pass (its sound restarts) and the end of the last pass are
// handed over in posted messages stamped with the playback's generation, so that one
// that arrives after Stop or a new Play is recognised and ignored.
#pragma once

#include <windows.h>
#include <vfw.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "AudioPlay.h"
#include "PlayerLayout.h"
#include "vcl/Controls.h"
#include "vcl/Lists.h"

class TVxAVIPlay;

// Every live player, in the order of registration (not owned), and the overlap hook that
// is installed while the list is not empty.
extern TList* PlayerList;
extern HHOOK HookHandle;
void RegisterPlayer(TVxAVIPlay* player);
void UnregisterPlayer(TVxAVIPlay* player);
LRESULT CALLBACK CallWndHook(int code, WPARAM wParam, LPARAM lParam);
bool WindowOverlapsPlayer(const CWPSTRUCT& message, TVxAVIPlay* player);

class TVxAVIPlay : public TCustomControl {
public:
  explicit TVxAVIPlay(TComponent* owner);
  ~TVxAVIPlay() override;
  VCL_CLASS_NAME(TVxAVIPlay)
  const TPropertyTable& Properties() const override;

  // Published properties.
  bool Active() const { return active_; }
  virtual void SetActive(bool value);
  bool AutoSize() const { return autoSize_; }
  virtual void SetAutoSize(bool value);
  bool Center() const { return center_; }
  virtual void SetCenter(bool value);
  const std::string& FileName() const { return fileName_; }
  virtual void SetFileName(const std::string& value);
  int32_t Repetitions() const { return repetitions_; }
  virtual void SetRepetitions(int32_t value);
  int32_t StartFrame() const { return startFrame_; }
  virtual void SetStartFrame(int32_t value);
  int32_t StopFrame() const { return stopFrame_; }
  virtual void SetStopFrame(int32_t value);
  bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool value);
  bool Stretch() const { return stretch_; }
  virtual void SetStretch(bool value);
  bool PlaySound() const { return playSound_; }
  virtual void SetPlaySound(bool value);

  TNotifyEvent OnClose;
  TNotifyEvent OnOpen;
  TNotifyEvent OnStart;
  TNotifyEvent OnStop;

  // State.
  bool Opened() const { return opened_; }
  int32_t FrameCount() const { return frameCount_; }
  int32_t VideoWidth() const { return videoWidth_; }
  int32_t VideoHeight() const { return videoHeight_; }
  int32_t CurrentFrame() const { return currentFrame_; }
  int32_t FrameInterval() const { return frameInterval_; }
  UINT TimerId() const { return timerId_; }
  const TPictureLayout& Layout() const { return layout_; }
  PAVISTREAM VideoStream() const { return videoStream_; }
  PAVISTREAM AudioStream() const { return audioStream_; }
  HDRAWDIB DrawDibHandle() const { return drawDibHandle_; }
  bool ParentRedraw() const { return parentRedraw_; }
  TAudioPlay* AudioPlayer() const { return audioPlayer_.get(); }
  bool NeedBackground() const { return needBackground_; }
  HDC BackDC() const { return backDC_; }

  // Plays frames first to last, `count` passes (0 or less: until stopped). Only the low
  // 16 bits of a frame number reach it.
  void Play(uint16_t first, uint16_t last, int32_t count);
  void Stop();
  // Starts the sound of frames first to last: from the sample at the first frame's start
  // time to the one at the last frame's start time.
  void StartSound(int32_t firstFrame, int32_t lastFrame);

  // Draws the current frame, or the empty face; does nothing while it cannot paint.
  void PaintFrame();

  void Loaded() override;
  void WndProc(TMessage& message) override;

  // Messages the clock posts to the control's window.
  static constexpr UINT CM_REPAINT = WM_USER + 1;
  static constexpr UINT CM_PASSRESTART = WM_USER + 2;  // wParam: the playback's generation
  static constexpr UINT CM_PLAYBACKEND = WM_USER + 3;  // wParam: the playback's generation

protected:
  virtual void OpenFile();
  virtual void CloseFile();
  virtual void DoOpen();
  virtual void DoClose();
  virtual void DoStart();
  virtual void DoStop();
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;

private:
  friend class TPlaybackClock;
  friend LRESULT CALLBACK CallWndHook(int code, WPARAM wParam, LPARAM lParam);

  void ClampFrame(int32_t& frame) const;
  void AdjustSize();
  void ComputeLayout();
  void DrawDesignFrame();
  void PaintEmptyFace();
  void DrawOpaque(HDC dc, const BITMAPINFOHEADER* frame, const BYTE* bits);
  void DrawTransparent(HDC dc, const BITMAPINFOHEADER* frame, const BYTE* bits);
  void CheckBackground();
  void CaptureBackground();
  void FreeBackground();
  void PaintMargins();
  void RemoveTransparentStyle();
  bool Unpaintable() const;

  void WMPaint(TMessage& message);
  void WMMove(TMessage& message);
  void WMSize(TMessage& message);
  void WMDisplayChange();
  void PassRestarted(uint32_t generation);
  void PlaybackEnded(uint32_t generation);
  void WMDestroy(TMessage& message);

  // Stored property values.
  bool active_ = false;
  bool autoSize_ = true;
  bool center_ = true;
  std::string fileName_;
  bool opened_ = false;
  int32_t repetitions_ = 0;
  std::atomic<int32_t> startFrame_{1};
  std::atomic<int32_t> stopFrame_{0};
  bool transparent_ = true;
  bool stretch_ = false;
  int32_t frameCount_ = 0;
  int32_t videoWidth_ = 0;
  int32_t videoHeight_ = 0;
  bool playSound_ = true;

  PAVIFILE aviFile_ = nullptr;
  PAVISTREAM audioStream_ = nullptr;
  PAVISTREAM videoStream_ = nullptr;
  // Shared with the timer thread.
  std::atomic<int32_t> currentFrame_{0};
  std::atomic<UINT> timerId_{0};
  PGETFRAME frameReader_ = nullptr;
  std::atomic<bool> painting_{false};
  std::atomic<int32_t> repeatsLeft_{0};
  std::atomic<uint32_t> generation_{0};

  int32_t frameInterval_ = 0;
  HDC backDC_ = nullptr;
  HBITMAP backBitmap_ = nullptr;
  HBITMAP backOldBitmap_ = nullptr;
  bool needBackground_ = true;
  bool parentRedraw_ = true;
  std::unique_ptr<TAudioPlay> audioPlayer_;
  HDRAWDIB drawDibHandle_ = nullptr;
  TPictureLayout layout_;
};
