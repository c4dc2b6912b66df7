// Figures of the player's sound against its frames: the gap between the sound's start at
// the wave device and the first frame's paint after Play, and how far the two clocks
// drift apart over ten seconds of a 25 fps clip. The clocks run side by side without
// synchronisation; this measures them and corrects nothing. The sound's clock is the
// device's position (waveOutGetPosition), so the figures need a device that plays in real
// time (bench/run starts a PulseAudio server with a null sink); without one the program
// says that it cannot measure. Each figure is the median of a few runs, with their range.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "AviPlay.h"
#include "BenchTiming.h"
#include "support/AviWriter.h"
#include "vcl/Forms.h"

namespace {

constexpr uint32_t kSampleRate = 22050;
constexpr uint32_t kFps = 25;
constexpr double kFrameMs = 1000.0 / kFps;
constexpr int32_t kFrames = 12 * kFps;
constexpr double kRunMs = 10500;
constexpr int kRuns = 3;

// Samples played so far by the device, or none when it cannot tell.
std::optional<int64_t> SamplesPlayed(HWAVEOUT device) {
  MMTIME time{};
  time.wType = TIME_SAMPLES;
  if (!device || waveOutGetPosition(device, &time, sizeof time) != MMSYSERR_NOERROR) return std::nullopt;
  if (time.wType == TIME_SAMPLES) return time.u.sample;
  if (time.wType == TIME_BYTES) return time.u.cb / 4;  // 16-bit stereo
  return std::nullopt;
}

// A reading of a clock: at `Time` (ms), it showed the moment `Shows` (ms) of the clip, so
// by that clock the clip started at Time - Shows.
struct Reading {
  double Time;
  double Shows;
  double Start() const { return Time - Shows; }
};

// The clip's start by one clock, fitted as a straight line over time: flat for a clock
// that runs true, falling for one that runs fast.
struct Line {
  double At0, Slope;
  double At(double time) const { return At0 + Slope * time; }
};

Line FitStart(const std::vector<Reading>& readings) {
  double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (const Reading& r : readings) {
    n += 1;
    sx += r.Time;
    sy += r.Start();
    sxx += r.Time * r.Time;
    sxy += r.Time * r.Start();
  }
  const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
  return {(sy - slope * sx) / n, slope};
}

// How far the readings stray from their line: the 95th percentile of the distance.
double Scatter(const std::vector<Reading>& readings, const Line& line) {
  std::vector<double> distances;
  for (const Reading& r : readings) distances.push_back(std::abs(r.Start() - line.At(r.Time)));
  std::sort(distances.begin(), distances.end());
  return distances[distances.size() * 95 / 100];
}

// A player that notes when each repaint request's paint is done, and which frame it showed.
class TWatchedPlayer : public TVxAVIPlay {
public:
  using TVxAVIPlay::TVxAVIPlay;
  void WndProc(TMessage& message) override {
    const bool repaint = message.Msg == CM_REPAINT;
    const int32_t frame = CurrentFrame();
    TVxAVIPlay::WndProc(message);
    if (repaint) Paints.push_back({Now(), frame * kFrameMs});
  }
  std::vector<Reading> Paints;
};

std::string WriteClip() {
  char folder[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  const std::string path = std::string(folder) + "audio-bench-" + std::to_string(GetCurrentProcessId()) + ".avi";
  AviContents contents;
  contents.Video = AviVideo{64, 48, kFrames, 1, kFps, 0, FrameColours({0x204060, 0x604020})};
  contents.Audio = AviAudio{2, kSampleRate, std::nullopt, std::nullopt, SineWave(440, 8000, kSampleRate)};
  WriteAvi(path, contents);
  return path;
}

// One run's figures, in ms; times are counted from Play.
struct Figures {
  double Moved, MovedTo;  // the device's first move of its position, and where to
  double SoundStart;      // where the device's fitted clock puts the sound's start
  double FirstPaint;      // the first paint done, of frame 1
  double Gap;             // from the sound's start to that paint
  double Seconds;         // the time over which the clocks were compared
  double BehindEarly, BehindLate, Drift, DriftPpm;  // the frames behind the sound's clock
  double DeviceScatter, PaintScatter;
};

// One playback of the clip; the error, when there are no figures, says why.
std::optional<Figures> Run(TForm* form, const std::string& clip, std::string& error) {
  auto* player = new TWatchedPlayer(form);
  player->SetParent(form);
  player->SetTransparent(false);
  player->SetFileName(clip);
  Pump();
  std::vector<Reading> device;  // one at each change of the device's position
  int64_t last = 0;
  const double play = Now();
  player->Play(0, kFrames - 1, 1);
  const HWAVEOUT wave = player->AudioPlayer()->WaveOut();
  while (Now() - play < kRunMs && player->Active()) {
    Pump();
    const std::optional<int64_t> samples = SamplesPlayed(wave);
    if (samples && *samples != last) {
      device.push_back({Now() - play, static_cast<double>(*samples) * 1000.0 / kSampleRate});
      last = *samples;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
  player->Stop();
  std::vector<Reading> paints = player->Paints;
  player->Free();
  for (Reading& paint : paints) paint.Time -= play;

  auto fail = [&](const std::string& why) {
    error = why;
    return std::nullopt;
  };
  if (!wave) return fail("the wave device did not open");
  if (device.size() < 20 || paints.size() < 20) return fail("the device's position did not move");
  const double elapsed = device.back().Time - device.front().Time;
  const double played = device.back().Shows - device.front().Shows;
  if (played < 0.9 * elapsed || played > 1.1 * elapsed) {
    char text[160];
    std::snprintf(text, sizeof text, "the wave device does not play in real time (%.1f s of sound in %.1f s)",
                  played / 1000, elapsed / 1000);
    return fail(text);
  }

  const Line sound = FitStart(device), frames = FitStart(paints);
  Figures f{};
  f.Moved = device.front().Time;
  f.MovedTo = device.front().Shows;
  f.SoundStart = sound.At(f.Moved);
  f.FirstPaint = paints.front().Time;
  f.Gap = f.FirstPaint - f.SoundStart;
  const double from = std::max(f.FirstPaint, f.Moved), to = std::min(paints.back().Time, device.back().Time);
  f.Seconds = (to - from) / 1000;
  f.BehindEarly = frames.At(from) - sound.At(from);
  f.BehindLate = frames.At(to) - sound.At(to);
  f.Drift = f.BehindLate - f.BehindEarly;
  f.DriftPpm = f.Drift / (to - from) * 1e6;
  f.DeviceScatter = Scatter(device, sound);
  f.PaintScatter = Scatter(paints, frames);
  return f;
}

// "median (lowest to highest)" of one figure over the runs.
std::string Spread(const std::vector<Figures>& runs, double Figures::*figure, const char* format = "%.1f") {
  std::vector<double> values;
  for (const Figures& f : runs) values.push_back(f.*figure);
  std::sort(values.begin(), values.end());
  char median[32], low[32], high[32], text[128];
  std::snprintf(median, sizeof median, format, values[values.size() / 2]);
  std::snprintf(low, sizeof low, format, values.front());
  std::snprintf(high, sizeof high, format, values.back());
  std::snprintf(text, sizeof text, "%s (%s to %s)", median, low, high);
  return text;
}

int CannotMeasure(const std::string& why) {
  std::printf("audio sync: cannot measure: %s\n", why.c_str());
  return 0;
}

}  // namespace

int main() {
  try {
    if (waveOutGetNumDevs() == 0) return CannotMeasure("no wave device");
    auto* form = new TForm(Application);
    form->SetBorderStyle(bsNone);
    form->SetColor(clBlack);
    form->SetBounds(0, 0, 200, 200);
    form->Show();
    Pump();
    const std::string clip = WriteClip();
    std::vector<Figures> runs;
    std::string error;
    for (int i = 0; i < kRuns && error.empty(); ++i)
      if (const std::optional<Figures> figures = Run(form, clip, error)) runs.push_back(*figures);
    form->Free();
    DeleteFileA(clip.c_str());
    if (!error.empty()) return CannotMeasure(error);

    std::printf("audio start, ms after Play (median of %d runs, lowest to highest): the device's position first "
                "moves at %s, to %s ms of sound; by the device's clock the sound starts at %s; the first paint "
                "(frame 1, due %.0f ms into the sound) is done at %s: %s after the sound's start\n",
                kRuns, Spread(runs, &Figures::Moved).c_str(), Spread(runs, &Figures::MovedTo, "%.0f").c_str(),
                Spread(runs, &Figures::SoundStart).c_str(), kFrameMs, Spread(runs, &Figures::FirstPaint).c_str(),
                Spread(runs, &Figures::Gap).c_str());
    std::printf("audio drift over %s s of a %u fps clip, ms: the frames run %s behind the device's clock at the "
                "start and %s at the end: drift %s, %s ppm; scatter about the fitted clocks (95th percentile): "
                "device %s, paints %s\n",
                Spread(runs, &Figures::Seconds).c_str(), kFps, Spread(runs, &Figures::BehindEarly).c_str(),
                Spread(runs, &Figures::BehindLate).c_str(), Spread(runs, &Figures::Drift, "%+.1f").c_str(),
                Spread(runs, &Figures::DriftPpm, "%+.0f").c_str(), Spread(runs, &Figures::DeviceScatter).c_str(),
                Spread(runs, &Figures::PaintScatter).c_str());
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "audio bench: %s\n", error.what());
    return 1;
  }
}
