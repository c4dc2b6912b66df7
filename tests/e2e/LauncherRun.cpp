#include "LauncherRun.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <stdexcept>
#include <utility>

#include "common/ScopedHandle.h"
#include "support/Processes.h"
#include "support/TestPaths.h"
#include "vcl/FileRead.h"

namespace {

constexpr DWORD kPollMs = 20;
constexpr DWORD kRunBoundMs = 60000;
constexpr DWORD kDriverBoundMs = 60000;
constexpr DWORD kCompanionBoundMs = 10000;
constexpr int kStartAttempts = 3;

std::string ClassOf(HWND window) {
  char name[64];
  return std::string(name, GetClassNameA(window, name, sizeof name));
}

std::string CaptionOf(HWND window) {
  char text[256];
  return std::string(text, GetWindowTextA(window, text, sizeof text));
}

struct VisibleWindows {
  DWORD processId = 0;
  HWND intro = nullptr;
  std::vector<HWND> boxes;   // message boxes
  std::vector<HWND> others;  // anything else the launcher shows
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
  auto& found = *reinterpret_cast<VisibleWindows*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != found.processId || !IsWindowVisible(window)) return TRUE;
  const std::string name = ClassOf(window);
  if (name == "TForm1")
    found.intro = window;
  else if (name == "#32770")
    found.boxes.push_back(window);
  else
    found.others.push_back(window);
  return TRUE;
}

VisibleWindows VisibleWindowsOf(DWORD processId) {
  VisibleWindows found;
  found.processId = processId;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

// A record may be half written while it is read; it is read again a moment later.
std::vector<CompanionRecord> CompanionStarts(const std::string& log) {
  for (int attempt = 1;; ++attempt) {
    try {
      return ReadCompanionRecords(log);
    } catch (const std::runtime_error&) {
      if (attempt == 3) throw;
      Sleep(50);
    }
  }
}

bool HasLiveChildren(DWORD parentId) {
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.Valid()) throw std::runtime_error("cannot list the processes");
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (entry.th32ParentProcessID == parentId) return true;
  return false;
}

// The dialog driver's report: one "name=value" line each; text with \r, \n and \\ escaped.
std::map<std::string, std::string> ReportFields(const std::string& output) {
  std::map<std::string, std::string> fields;
  size_t start = 0;
  while (start < output.size()) {
    const size_t end = std::min(output.find('\n', start), output.size());
    const std::string line = output.substr(start, end - start);
    const size_t equals = line.find('=');
    if (equals != std::string::npos) fields[line.substr(0, equals)] = line.substr(equals + 1);
    start = end + 1;
  }
  return fields;
}

std::string Unescaped(const std::string& text) {
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      plain += text[i];
      continue;
    }
    const char next = text[++i];
    plain += next == 'r' ? '\r' : next == 'n' ? '\n' : next;
  }
  return plain;
}

BoxSeen ReadAndPress(HWND window, DWORD launcherId, const std::string& companionLog) {
  BoxSeen box;
  box.seenAt = SystemTimeNow();
  box.caption = CaptionOf(window);
  // In this order: a companion that has ended since has its record written.
  box.companionStartedBefore = HasLiveChildren(launcherId) || !CompanionStarts(companionLog).empty();
  ProcessOptions options;
  options.captureStdout = true;
  box.pressStartedAt = SystemTimeNow();
  const RunResult driver = RunProgram(ToolCommand("dialog_driver.exe", "--caption \"" + box.caption + "\" --press OK"),
                                      kDriverBoundMs, options);
  box.pressedAt = SystemTimeNow();
  box.driverOutput = driver.output + (driver.timedOut ? "(the driver timed out)\n" : "") + "(driver exit status " +
                     std::to_string(driver.exitCode) + ")\n";
  auto fields = ReportFields(driver.output);
  box.text = Unescaped(fields["text"]);
  box.icon = fields["icon"];
  box.buttons = fields["buttons"];
  box.centred = fields["centred"] == "1";
  box.pressed = !driver.timedOut && driver.exitCode == 0 && fields["pressed"] == "OK";
  return box;
}

// As from a shortcut whose working folder is elsewhere: the quoted path, nothing inherited.
PROCESS_INFORMATION StartLauncher(const LauncherCase& launcher) {
  const std::string path = launcher.LauncherPath();
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  // Under load Wine now and then fails a start with ERROR_INTERNAL_ERROR; it is tried again.
  for (int attempt = 1;; ++attempt) {
    std::string commandLine = "\"" + path + "\"";
    if (CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       launcher.WorkingFolder().c_str(), &startup, &started))
      return started;
    const DWORD error = GetLastError();
    if (error != ERROR_INTERNAL_ERROR || attempt == kStartAttempts)
      throw std::runtime_error("cannot start " + path + " (error " + std::to_string(error) + ")");
    Sleep(100);
  }
}

void Note(std::vector<TimelineNote>& notes, std::string text) { notes.push_back({SystemTimeNow(), std::move(text)}); }

std::string Hex(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

std::string Indented(const std::string& text) {
  std::string lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    lines += "          " + text.substr(start, end - start) + "\n";
    start = end + 1;
  }
  return lines;
}

// What one look at the launcher's visible windows finds is entered into the run: the intro
// window's coming and going, boxes (read and pressed), and anything else it shows.
class Watch {
public:
  Watch(LauncherRun& run, const RunOptions& options, DWORD launcherId, std::string companionLog)
      : run_(run), options_(options), launcherId_(launcherId), companionLog_(std::move(companionLog)) {}

  void Look() {
    const uint64_t lookedAt = SystemTimeNow();
    const VisibleWindows windows = VisibleWindowsOf(launcherId_);
    LookAtIntro(windows.intro, lookedAt, SystemTimeNow());
    for (HWND box : windows.boxes)
      if (handled_.insert(box).second) run_.boxes.push_back(ReadAndPress(box, launcherId_, companionLog_));
    for (HWND other : windows.others)
      if (handled_.insert(other).second)
        Note(run_.notes, "a window of class " + ClassOf(other) + " \"" + CaptionOf(other) + "\" is visible");
  }

private:
  void LookAtIntro(HWND window, uint64_t lookedAt, uint64_t now) {
    if (!window) {
      if (run_.intro && !run_.intro->closedAt) run_.intro->closedAt = now;
      return;
    }
    if (!run_.intro) {
      IntroSeen& intro = run_.intro.emplace();
      intro.shownAt = now;
      GetWindowRect(window, &intro.rect);
      intro.caption = CaptionOf(window);
      intro.style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    }
    if (run_.intro->closedAt) {
      if (handled_.insert(window).second) Note(run_.notes, "an intro window is visible again");
      return;
    }
    run_.intro->lastSeenAt = lookedAt;
    if (options_.duringIntro && !introHandled_ &&
        SecondsBetween(run_.intro->shownAt, now) * 1000 >= options_.duringIntroAfterMs) {
      introHandled_ = true;
      options_.duringIntro(window, run_.notes);
    }
  }

  LauncherRun& run_;
  const RunOptions& options_;
  const DWORD launcherId_;
  const std::string companionLog_;
  std::set<HWND> handled_;  // boxes pressed, windows noted
  bool introHandled_ = false;
};

}  // namespace

double SecondsBetween(uint64_t from, uint64_t to) {
  return (static_cast<double>(to) - static_cast<double>(from)) / 1e7;
}

LauncherRun RunLauncher(const LauncherCase& launcher, const RunOptions& options) {
  LauncherRun run;
  const std::string log = CompanionLogPath(launcher.CompanionPath());
  run.startedAt = SystemTimeNow();
  const PROCESS_INFORMATION started = StartLauncher(launcher);
  StartedProcess process(started);
  Note(run.notes, "started " + launcher.LauncherPath() + " in " + launcher.WorkingFolder());

  Watch watch(run, options, started.dwProcessId, log);
  const ULONGLONG deadline = GetTickCount64() + kRunBoundMs;
  while (!process.Wait(kPollMs)) {
    if (GetTickCount64() >= deadline) {
      Note(run.notes, "still running after " + std::to_string(kRunBoundMs / 1000) + " s: ended by the test");
      process.Kill();
      run.timedOut = true;
      break;
    }
    watch.Look();
  }
  run.endedAt = SystemTimeNow();
  run.exitCode = process.ExitCode();
  if (run.intro && !run.intro->closedAt) run.intro->closedAt = run.endedAt;

  // The launcher does not wait for its companion, which may still be starting now.
  const ULONGLONG companionDeadline = GetTickCount64() + kCompanionBoundMs;
  while ((CompanionStarts(log).empty() || HasLiveChildren(started.dwProcessId)) &&
         GetTickCount64() < companionDeadline)
    Sleep(kPollMs);
  run.companion = CompanionStarts(log);
  if (GetFileAttributesA(log.c_str()) != INVALID_FILE_ATTRIBUTES) run.companionLog = ReadWholeFile(log);
  return run;
}

std::string LauncherRun::Timeline() const {
  std::vector<TimelineNote> events = notes;
  if (intro) {
    const RECT& r = intro->rect;
    events.push_back({intro->shownAt, "intro window shown: \"" + intro->caption + "\" at " + std::to_string(r.left) +
                                          "," + std::to_string(r.top) + " size " + std::to_string(r.right - r.left) +
                                          "x" + std::to_string(r.bottom - r.top) + ", style " + Hex(intro->style)});
    events.push_back({intro->lastSeenAt, "intro window last seen up"});
    events.push_back({intro->closedAt, "intro window gone"});
  }
  for (const BoxSeen& box : boxes) {
    events.push_back({box.seenAt, "box \"" + box.caption + "\" seen; the companion " +
                                      (box.companionStartedBefore ? "was started before" : "was not started yet")});
    events.push_back({box.pressStartedAt, "dialog driver started"});
    events.push_back({box.pressedAt, "dialog driver done:\n" + Indented(box.driverOutput)});
  }
  for (const CompanionRecord& record : companion)
    events.push_back({record.time, "companion started: " + record.commandLine});
  events.push_back({endedAt, timedOut ? std::string("launcher ended by the test")
                                      : "launcher ended, exit status " + std::to_string(exitCode)});
  std::stable_sort(events.begin(), events.end(),
                   [](const TimelineNote& a, const TimelineNote& b) { return a.at < b.at; });

  std::string text = "timeline:\n";
  for (const TimelineNote& event : events) {
    char at[32];
    std::snprintf(at, sizeof at, "  %+7.3f ", SecondsBetween(startedAt, event.at));
    text += at + event.text;
    if (text.back() != '\n') text += '\n';
  }
  text += "companion log:\n" + (companionLog.empty() ? std::string("  (none)\n") : Indented(companionLog));
  return text;
}
