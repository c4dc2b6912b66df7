#include "PlayerTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "support/AviWriter.h"
#include "support/SharedForm.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"
#include "vcl/ScopedGdi.h"

uint32_t FrameColour(int32_t frame) {
  static const uint32_t colours[kColourFrames] = {0xC02040, 0x20A060, 0x3040E0, 0xE0C020, 0x808080,
                                                  0x602090, 0x10E0E0, 0xF08000, 0x406010, 0xA0A0FF};
  return colours[frame % kColourFrames];
}

namespace {

AviVideo Grey(int32_t width, int32_t height, int32_t frames = 1) {
  return AviVideo{width, height, frames, 1, 10, 0, FrameColours({0x808080})};
}

PlayerFiles WriteFiles(const TempDir& dir) {
  PlayerFiles f;
  f.Colours = dir / "colours.avi";
  WriteAvi(f.Colours, {{40, 30, kColourFrames, 1, 10, 0, [](int32_t frame, int32_t x, int32_t y) {
                          if (x == 0 && y == 0) return kTopLeftMark;
                          if (x == 39 && y == 29) return kBottomRightMark;
                          return FrameColour(frame);
                        }},
                       std::nullopt});
  f.Video320 = dir / "video320.avi";
  WriteAvi(f.Video320, {{320, 240, 10, 1, 25, 0, FrameColours({0x204060})}, std::nullopt});
  f.LateStart = dir / "late-start.avi";
  WriteAvi(f.LateStart, {{64, 48, 10, 1, 10, 3, FrameColours({0x204060})}, std::nullopt});
  f.WithSound = dir / "with-sound.avi";
  WriteAvi(f.WithSound, {Grey(64, 48, 10), AviAudio{2, 22050, std::nullopt, std::nullopt, SineWave(440, 8000, 22050)}});
  f.Video90x40 = dir / "video90x40.avi";
  WriteAvi(f.Video90x40, {Grey(90, 40), std::nullopt});
  f.Video103x51 = dir / "video103x51.avi";
  WriteAvi(f.Video103x51, {Grey(103, 51), std::nullopt});
  f.Video100x30 = dir / "video100x30.avi";
  WriteAvi(f.Video100x30, {Grey(100, 30), std::nullopt});
  f.RateZero = dir / "rate-zero.avi";
  WriteAvi(f.RateZero, {{8, 8, 10, 1, 0, 0, FrameColours({0x808080})}, std::nullopt});
  f.Long = dir / "long.avi";
  WriteAvi(f.Long, {Grey(8, 8, 100), std::nullopt});
  f.Frames70000 = dir / "frames70000.avi";
  WriteAvi(f.Frames70000, {Grey(2, 2, 70000), std::nullopt});
  return f;
}

}  // namespace

const PlayerFiles& Files() {
  static const TempDir dir("aviplay ");
  static const PlayerFiles files = WriteFiles(dir);
  return files;
}

std::string FfmpegFixture(const std::string& name) { return TestProgramFolder() + "\\fixtures\\avi\\" + name; }

// ---------------------------------------------------------------------------------------

THostForm::THostForm(TComponent* owner) : TForm(owner) {
  SetBorderStyle(bsNone);
  SetBounds(0, 0, 400, 300);
  SetColor(clBlack);
}

void THostForm::WndProc(TMessage& message) {
  if (message.Msg == WM_SETREDRAW) {
    Redraws.push_back(message.WParam);
    if (OnSetRedraw) OnSetRedraw(message.WParam);
  }
  TForm::WndProc(message);
}

void EventLog::Attach(TVxAVIPlay& player) {
  player.OnOpen = TNotifyEvent::Bind<&EventLog::Open>(this);
  player.OnClose = TNotifyEvent::Bind<&EventLog::Close>(this);
  player.OnStart = TNotifyEvent::Bind<&EventLog::Start>(this);
  player.OnStop = TNotifyEvent::Bind<&EventLog::Stop>(this);
}

void EventLog::Add(const char* name, TObject* sender) {
  const auto* player = dynamic_cast<TVxAVIPlay*>(sender);
  entries_.push_back({name, player && player->Active(), GetTickCount64()});
}

std::vector<std::string> EventLog::Names() const {
  std::vector<std::string> names;
  for (const Entry& e : entries_) names.push_back(e.Name);
  return names;
}

THostForm& SharedHostForm() {
  return SharedForm<THostForm>();
}

Stage::Stage() : form_(&SharedHostForm()), player_(new TVxAVIPlay(form_)) {
  form_->Redraws.clear();
  form_->OnSetRedraw = nullptr;
  player_->SetBounds(10, 10, 100, 50);
  player_->SetTransparent(false);
  player_->SetParent(form_);
  log_.Attach(*player_);
  PumpIdle();
}

Stage::~Stage() { player_->Free(); }

TVxAVIPlay& Stage::Open(const std::string& file) {
  player_->SetFileName(file);
  log_.Clear();
  return *player_;
}

// ---------------------------------------------------------------------------------------

COLORREF PixelAt(TWinControl& control, int x, int y) {
  ScopedWindowDC dc(control.Handle());
  return GetPixel(dc, x, y);
}

void FillClient(TWinControl& control, COLORREF colour) {
  ScopedWindowDC dc(control.Handle());
  ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(colour));
  RECT client;
  GetClientRect(control.Handle(), &client);
  FillRect(dc, &client, brush);
}

COLORREF Rgb(uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

std::string Hex(COLORREF colour) {
  char text[16];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
  return text;
}
