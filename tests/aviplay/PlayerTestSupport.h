// What the player's tests share: the AVI files they play, a shown host form that records
// the redraw switches it receives, a log of the player's events, a message pump of the
// tests' own, and pixels read back from a window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "AviPlay.h"
#include "support/MessagePump.h"
#include "vcl/Forms.h"
#include "vcl/UiTestHelpers.h"  // Freeing, RECT comparison

// The colours of the exact-colour file's frames, and its corner marks.
constexpr int kColourFrames = 10;
uint32_t FrameColour(int32_t frame);  // 0xRRGGBB
constexpr uint32_t kTopLeftMark = 0xFFFFFF;
constexpr uint32_t kBottomRightMark = 0x000080;

// Files written once per run by the AVI writer, in a folder of their own.
struct PlayerFiles {
  std::string Colours;     // 40 x 30, 10 frames at 10 fps, FrameColour with the corner marks
  std::string Video320;    // 320 x 240, 10 frames at 25 fps
  std::string LateStart;   // 64 x 48, 10 frames, the stream's first frame 3
  std::string WithSound;   // 64 x 48, 10 frames, 22050 Hz 16-bit stereo sine
  std::string Video90x40;  // one grey frame each
  std::string Video103x51;
  std::string Video100x30;
  std::string RateZero;    // 8 x 8, 10 frames, dwRate 0
  std::string Long;        // 8 x 8, 100 frames at 10 fps
  std::string Frames70000; // 2 x 2, 70,000 frames at 10 fps
};
const PlayerFiles& Files();

// A fixture made by ffmpeg at build time (tests/fixtures/avi).
std::string FfmpegFixture(const std::string& name);

// A borderless form at the screen's top-left corner, 400 x 300, black, that records every
// WM_SETREDRAW its message handling receives. (Hiding a shown top-level window costs Wine
// two seconds here, so the tests share one shown form.)
class THostForm : public TForm {
public:
  explicit THostForm(TComponent* owner);
  VCL_CLASS_NAME(THostForm)
  void WndProc(TMessage& message) override;

  std::vector<WPARAM> Redraws;
  std::function<void(WPARAM)> OnSetRedraw;  // called as each arrives
};

// The player's events in order, each with Active as the handler saw it.
class EventLog {
public:
  struct Entry {
    std::string Name;
    bool Active;
    ULONGLONG Tick;
  };
  void Attach(TVxAVIPlay& player);
  std::vector<std::string> Names() const;
  const std::vector<Entry>& Entries() const { return entries_; }
  void Clear() { entries_.clear(); }

private:
  void Add(const char* name, TObject* sender);
  void Open(TObject* sender) { Add("Open", sender); }
  void Close(TObject* sender) { Add("Close", sender); }
  void Start(TObject* sender) { Add("Start", sender); }
  void Stop(TObject* sender) { Add("Stop", sender); }
  std::vector<Entry> entries_;
};

// The one shown host form of the run, freed after the last test.
THostForm& SharedHostForm();

// One player at (10, 10), 100 x 50, opaque, on the shared host form, its events logged;
// freed with the stage.
class Stage {
public:
  Stage();
  ~Stage();
  THostForm& Form() { return *form_; }
  TVxAVIPlay& Player() { return *player_; }
  EventLog& Log() { return log_; }
  // Opens `file` and starts the log afresh.
  TVxAVIPlay& Open(const std::string& file);

private:
  EventLog log_;  // outlives the player, which logs its last events while it goes
  THostForm* form_;
  TVxAVIPlay* player_;
};


// The pixel at (x, y) of the control's client area, as its window DC reads it.
COLORREF PixelAt(TWinControl& control, int x, int y);
// Fills the control's client area straight through its window DC.
void FillClient(TWinControl& control, COLORREF colour);
COLORREF Rgb(uint32_t rgb);  // 0xRRGGBB as a COLORREF
bool Near(COLORREF a, COLORREF b, int tolerance);
std::string Hex(COLORREF colour);
