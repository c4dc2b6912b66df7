// Figures of the launcher as a whole: how long it takes from its start to the start of
// the companion when there is no intro, against the floor of a program that does nothing
// else; and the processor time it spends during an AVI intro of five seconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "support/AviWriter.h"
#include "support/CompanionRecords.h"
#include "support/Processes.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"
#include "support/UnixCommand.h"

namespace {

constexpr int kRuns = 20;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Milliseconds(uint64_t fileTime) { return static_cast<double>(fileTime) / 10000.0; }

// Start-to-companion times of `program` (copied as start.exe beside a recorder as
// starta.exe), in milliseconds.
std::vector<double> StartToCompanion(const std::string& program) {
  TempDir folder("startup bench ");
  const std::string launcher = folder.Copy(ToolPath(program), "start.exe");
  const std::string companion = folder.Copy(ToolPath("companion_recorder.exe"), "starta.exe");
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    const uint64_t before = SystemTimeNow();
    RunResult result = RunProgram("\"" + launcher + "\"", 30000, {folder.Path()});
    if (result.timedOut) throw std::runtime_error(program + " did not end");
    std::vector<CompanionRecord> records;
    for (int wait = 0; wait < 3000 && records.size() <= static_cast<size_t>(run); ++wait) {
      Sleep(10);
      records = ReadCompanionRecords(CompanionLogPath(companion));
    }
    if (records.size() <= static_cast<size_t>(run)) throw std::runtime_error("the companion did not start");
    times.push_back(Milliseconds(records[run].time - before));
  }
  return times;
}

// Processor seconds the Wine server has used so far: every PeekMessage of the launcher
// is a request to it, so the loop's cost shows up there as much as in the launcher.
double WineServerSeconds() {
  const UnixResult stat = RunUnixCommand(
      "for p in $(pgrep wineserver); do"
      " tr '\\0' '\\n' </proc/$p/environ | grep -qx \"WINEPREFIX=$WINEPREFIX\" && server=$p; done;"
      " awk '{print $14 + $15}' /proc/$server/stat; getconf CLK_TCK");
  double ticks = 0, perSecond = 100;
  if (std::sscanf(stat.output.c_str(), "%lf %lf", &ticks, &perSecond) != 2 || perSecond <= 0) return 0;
  return ticks / perSecond;
}

double Seconds(const FILETIME& t) {
  return static_cast<double>(static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
}

void AviIntroCpu() {
  TempDir folder("startup bench ");
  folder.Copy(ToolPath("launch.exe"), "launch.exe");
  folder.Copy(ToolPath("companion_recorder.exe"), "launcha.exe");
  AviContents contents;
  contents.Video.Width = 320;
  contents.Video.Height = 240;
  contents.Video.Frames = 125;
  contents.Video.Rate = 25;
  contents.Video.Pixel = [](int32_t frame, int32_t x, int32_t y) {
    return static_cast<uint32_t>(((x + frame * 4) & 0xFF) << 16 | (y & 0xFF) << 8 | 0x40);
  };
  WriteAvi(folder / "intro.avi", contents);
  folder.Write("start2.ini", "initfile=intro.avi\r\ntime=0\r\n");

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string commandLine = "\"" + (folder / "launch.exe") + "\"";
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.Path().c_str(),
                      &startup, &process))
    throw std::runtime_error("launch.exe did not start");
  StartedProcess launcher(process);
  const double serverBefore = WineServerSeconds();
  if (!launcher.Wait(60000)) throw std::runtime_error("launch.exe did not end");
  const double server = WineServerSeconds() - serverBefore;
  FILETIME created, exited, kernel, user;
  GetProcessTimes(process.hProcess, &created, &exited, &kernel, &user);
  const double wall = Seconds(exited) - Seconds(created);
  const double cpu = Seconds(kernel) + Seconds(user);
  std::printf("5 s AVI intro (320x240, 25 fps): launcher CPU %.2f s (user %.2f, kernel %.2f), Wine server CPU "
              "%.2f s, over %.2f s wall\n",
              cpu, Seconds(user), Seconds(kernel), server, wall);
}

}  // namespace

int main() {
  try {
    const double launcher = Median(StartToCompanion("launch.exe"));
    const double floor = Median(StartToCompanion("floor_starter.exe"));
    std::printf("start to companion, no intro, median of %d: launcher %.1f ms, floor %.1f ms, ratio %.2f\n", kRuns,
                launcher, floor, launcher / floor);
    AviIntroCpu();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "startup bench: %s\n", error.what());
    return 1;
  }
  return 0;
}
