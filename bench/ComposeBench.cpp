// Figures of transparent players: what one transparent paint costs over the background
// held, beside the opaque paint and the floor of a bare StretchDIBits of the same frame to
// the same window, and what a capture of a full-screen parent adds. One line per figure.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "AviPlay.h"
#include "BenchTiming.h"
#include "compose/PatternSurface.h"
#include "support/AviWriter.h"
#include "vcl/Forms.h"
#include "vcl/ScopedGdi.h"

namespace {

constexpr int kSamples = 600;

struct Timing {
  double Median, P95;
};

Timing Measure(const std::function<void()>& step) {
  std::vector<double> samples;
  for (int i = 0; i < kSamples; ++i) {
    const double start = Now();
    step();
    samples.push_back(Now() - start);
  }
  return {Percentile(samples, 0.5), Percentile(samples, 0.95)};
}

// A full-screen borderless form that paints a picture of its own, as a parent does.
class TPatternBenchForm : public TForm {
public:
  explicit TPatternBenchForm(TComponent* owner) : TForm(owner) {
    SetBorderStyle(bsNone);
    SetBounds(0, 0, Screen->Width(), Screen->Height());
  }
  VCL_CLASS_NAME(TPatternBenchForm)

protected:
  void PaintWindow(HDC dc) override { PaintPattern(dc, Width(), Height()); }
};

// A moving picture whose bottom-left colour recurs in every frame, so that the key leaves
// some of each frame out.
std::string WriteClip(const std::string& folder, int width, int height) {
  AviContents contents;
  contents.Video = {width, height, 20, 1, 25, 0, [height](int32_t frame, int32_t x, int32_t y) -> uint32_t {
                  if ((x / 8 + y / 8) % 3 == 0 || (x == 0 && y == height - 1)) return 0x00FF00;
                  return static_cast<uint32_t>(((x + frame * 4) & 0xFF) << 16 | ((y + frame * 2) & 0xFF) << 8 |
                                               ((x ^ y) & 0x7F));
                }};
  const std::string path = folder + "\\" + std::to_string(width) + "x" + std::to_string(height) + ".avi";
  WriteAvi(path, contents);
  return path;
}

void Print(const char* what, int width, int height, Timing t) {
  std::printf("%s %dx%d: median %.3f ms, p95 %.3f ms\n", what, width, height, t.Median, t.P95);
}

void PaintCosts(TPatternBenchForm* form, const std::string& clip, int width, int height) {
  auto* player = new TVxAVIPlay(form);
  player->SetBounds(40, 30, width, height);
  player->SetParent(form);
  player->SetFileName(clip);
  Pump();

  // During playback a paint lays the frame over the background held. The clock's repaint
  // requests wait in the queue meanwhile.
  player->Play(0, 19, 0);
  const Timing transparent = Measure([&] { player->PaintFrame(); });
  player->Stop();
  Pump();
  // Stopped, every paint captures the background first.
  const Timing capturing = Measure([&] { player->PaintFrame(); });

  player->SetTransparent(false);
  Pump();
  const Timing opaque = Measure([&] { player->PaintFrame(); });

  PGETFRAME reader = AVIStreamGetFrameOpen(player->VideoStream(), nullptr);
  const auto* frame = static_cast<const BITMAPINFOHEADER*>(AVIStreamGetFrame(reader, 0));
  const auto* bits = reinterpret_cast<const BYTE*>(frame) +
                     FrameBitsOffset(frame->biSize, frame->biBitCount, frame->biCompression, frame->biClrUsed);
  const Timing floor = Measure([&] {
    ScopedWindowDC dc(player->Handle());
    StretchDIBits(dc, 0, 0, width, height, 0, 0, width, height, bits, reinterpret_cast<const BITMAPINFO*>(frame),
                  DIB_RGB_COLORS, SRCCOPY);
  });
  AVIStreamGetFrameClose(reader);

  Print("transparent paint", width, height, transparent);
  Print("opaque paint", width, height, opaque);
  Print("floor StretchDIBits", width, height, floor);
  std::printf("transparent paint %dx%d: %.2f x the opaque paint, %.2f x the floor\n", width, height,
              transparent.Median / opaque.Median, transparent.Median / floor.Median);
  Print("transparent paint with a capture", width, height, capturing);
  std::printf("capture of a %dx%d parent under a %dx%d player: about %.3f ms (difference of medians)\n",
              form->Width(), form->Height(), width, height, capturing.Median - transparent.Median);
  player->Free();
  Pump();
}

}  // namespace

int main() {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string folder = std::string(temp) + "compose-bench-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  std::vector<std::string> clips;
  int result = 0;
  try {
    auto* form = new TPatternBenchForm(Application);
    form->Show();
    Pump();
    for (const SIZE size : {SIZE{320, 240}, SIZE{640, 480}}) {
      clips.push_back(WriteClip(folder, size.cx, size.cy));
      PaintCosts(form, clips.back(), size.cx, size.cy);
    }
    form->Free();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "compose bench: %s\n", error.what());
    result = 1;
  }
  for (const std::string& clip : clips) DeleteFileA(clip.c_str());
  RemoveDirectoryA(folder.c_str());
  return result;
}
