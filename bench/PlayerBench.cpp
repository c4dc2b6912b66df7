// Figures of the player control: what one paint costs against the floor of a bare
// StretchDIBits, how evenly the clock paces frames, and whether long runs grow the GDI
// handle table or private memory. One line per figure.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "AviPlay.h"
#include "BenchTiming.h"
#include "support/AviWriter.h"
#include "support/ProcessMemory.h"
#include "vcl/Forms.h"
#include "vcl/ScopedGdi.h"
#include "vcl/GdiLeakProbe.h"

namespace {

std::string TempFolder() {
  char path[MAX_PATH];
  GetTempPathA(sizeof path, path);
  std::string folder = std::string(path) + "player-bench-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder + "\\";
}

std::vector<std::string> writtenClips;

// A moving pattern, so that every frame differs.
std::string WriteClip(const std::string& folder, int width, int height, int frames, uint32_t rate) {
  AviContents contents;
  contents.Video.Width = width;
  contents.Video.Height = height;
  contents.Video.Frames = frames;
  contents.Video.Rate = rate;
  contents.Video.Pixel = [](int32_t frame, int32_t x, int32_t y) {
    return static_cast<uint32_t>(((x + frame * 4) & 0xFF) << 16 | ((y + frame * 2) & 0xFF) << 8 | ((x ^ y) & 0xFF));
  };
  const std::string path =
      folder + std::to_string(width) + "x" + std::to_string(height) + "-" + std::to_string(rate) + ".avi";
  WriteAvi(path, contents);
  writtenClips.push_back(path);
  return path;
}

class TBenchForm : public TForm {
public:
  explicit TBenchForm(TComponent* owner) : TForm(owner) {
    SetBorderStyle(bsNone);
    SetColor(clBlack);
    SetBounds(0, 0, Screen->Width(), Screen->Height());
  }
  VCL_CLASS_NAME(TBenchForm)
};

// A player that notes the frame each repaint request shows.
class TTimedPlayer : public TVxAVIPlay {
public:
  using TVxAVIPlay::TVxAVIPlay;
  void WndProc(TMessage& message) override {
    if (message.Msg == CM_REPAINT) Painted.push_back({Now(), CurrentFrame()});
    TVxAVIPlay::WndProc(message);
  }
  struct Paint {
    double Time;
    int32_t Frame;
  };
  std::vector<Paint> Painted;
};

void PaintCost(TBenchForm* form, const std::string& folder, int width, int height) {
  auto* player = new TVxAVIPlay(form);
  player->SetParent(form);
  player->SetTransparent(false);
  player->SetFileName(WriteClip(folder, width, height, 20, 25));
  Pump();
  constexpr int kPaints = 600;
  std::vector<double> paints, floor;
  for (int i = 0; i < kPaints; ++i) {
    const double start = Now();
    player->PaintFrame();
    paints.push_back(Now() - start);
  }
  // The floor: the same decoded frame to the same window with one StretchDIBits.
  PGETFRAME reader = AVIStreamGetFrameOpen(player->VideoStream(), nullptr);
  const auto* frame = static_cast<const BITMAPINFOHEADER*>(AVIStreamGetFrame(reader, 0));
  const auto* bits = reinterpret_cast<const BYTE*>(frame) +
                     FrameBitsOffset(frame->biSize, frame->biBitCount, frame->biCompression, frame->biClrUsed);
  for (int i = 0; i < kPaints; ++i) {
    const double start = Now();
    ScopedWindowDC dc(player->Handle());
    StretchDIBits(dc, 0, 0, width, height, 0, 0, width, height, bits, reinterpret_cast<const BITMAPINFO*>(frame),
                  DIB_RGB_COLORS, SRCCOPY);
    floor.push_back(Now() - start);
  }
  AVIStreamGetFrameClose(reader);
  const double median = Percentile(paints, 0.5), floorMedian = Percentile(floor, 0.5);
  std::printf("opaque paint %dx%d: median %.3f ms, p95 %.3f ms; floor StretchDIBits median %.3f ms, p95 %.3f ms; "
              "ratio %.2f\n",
              width, height, median, Percentile(paints, 0.95), floorMedian, Percentile(floor, 0.95),
              median / floorMedian);
  player->Free();
}

void Pacing(TBenchForm* form, const std::string& folder, uint32_t rate) {
  auto* player = new TTimedPlayer(form);
  player->SetParent(form);
  player->SetTransparent(false);
  const int frames = static_cast<int>(rate) * 11;
  player->SetFileName(WriteClip(folder, 320, 240, frames, rate));
  Pump();
  const double expected = MulDiv(1, 1000, static_cast<int>(rate));
  player->Play(0, static_cast<uint16_t>(frames - 1), 1);
  const double start = Now();
  while (Now() - start < 10500 && player->Active()) {
    Pump();
    Sleep(1);
  }
  player->Stop();
  // Intervals between paints of successive frames; frames never painted are dropped.
  std::vector<double> intervals;
  int dropped = 0;
  for (size_t i = 1; i < player->Painted.size(); ++i) {
    const auto& a = player->Painted[i - 1];
    const auto& b = player->Painted[i];
    if (b.Frame <= a.Frame) continue;
    dropped += b.Frame - a.Frame - 1;
    intervals.push_back((b.Time - a.Time) / (b.Frame - a.Frame));
  }
  double sum = 0;
  for (double v : intervals) sum += v;
  const double mean = sum / static_cast<double>(intervals.size());
  std::vector<double> deviations;
  for (double v : intervals) deviations.push_back(v > expected ? v - expected : expected - v);
  std::printf("pacing %u fps over %.1f s: period %.0f ms, mean %.3f ms (error %+.3f ms), p99 deviation %.2f ms, "
              "%zu frames painted, %d dropped\n",
              rate, (player->Painted.back().Time - player->Painted.front().Time) / 1000.0, expected, mean,
              mean - expected, Percentile(deviations, 0.99), player->Painted.size(), dropped);
  player->Free();
}

void Growth(TBenchForm* form, const std::string& folder) {
  auto* player = new TVxAVIPlay(form);
  player->SetParent(form);
  player->SetTransparent(false);
  const std::string clip = WriteClip(folder, 160, 120, 10, 25);
  player->SetFileName(clip);
  Pump();
  for (int i = 0; i < 200; ++i) player->PaintFrame();  // warm up caches before the baseline
  int mark = GdiLeakProbe::HighWater();
  size_t before = PrivateBytes();
  for (int i = 0; i < 10000; ++i) player->PaintFrame();
  std::printf("10000 opaque paints: GDI handle growth %d, private bytes %+lld\n", GdiLeakProbe::HighWater() - mark,
              static_cast<long long>(PrivateBytes()) - static_cast<long long>(before));
  mark = GdiLeakProbe::HighWater();
  before = PrivateBytes();
  for (int i = 0; i < 100; ++i) {
    player->SetFileName("");
    player->SetFileName(clip);
  }
  std::printf("100 open/close cycles: GDI handle growth %d, private bytes %+lld\n", GdiLeakProbe::HighWater() - mark,
              static_cast<long long>(PrivateBytes()) - static_cast<long long>(before));
  player->Free();
}

}  // namespace

int main() {
  try {
    auto* form = new TBenchForm(Application);
    form->Show();
    Pump();
    const std::string folder = TempFolder();
    PaintCost(form, folder, 320, 240);
    PaintCost(form, folder, 640, 480);
    Pacing(form, folder, 15);
    Pacing(form, folder, 25);
    Growth(form, folder);
    form->Free();
    for (const std::string& clip : writtenClips) DeleteFileA(clip.c_str());
    RemoveDirectoryA(folder.c_str());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "player bench: %s\n", error.what());
    return 1;
  }
  return 0;
}
