#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/Processes.h"
#include "support/TestPaths.h"

namespace {

constexpr DWORD kRunBoundMs = 60000;

// A MessageBoxW on a thread of its own; closed by the destructor if it is still open.
class ShownBox {
public:
  ShownBox(const std::wstring& caption, const std::wstring& text, UINT type)
      : caption_(caption), thread_([this, text, type] {
          result_ = MessageBoxW(nullptr, text.c_str(), caption_.c_str(), type);
          done_ = true;
        }) {}
  ~ShownBox() {
    while (!done_) {
      if (HWND window = FindWindowW(nullptr, caption_.c_str())) EndDialog(window, IDCANCEL);
      Sleep(20);
    }
    thread_.join();
  }

  // The box's window while it is on screen, else nullptr.
  HWND Window() const {
    HWND window = FindWindowW(nullptr, caption_.c_str());
    return window && IsWindowVisible(window) ? window : nullptr;
  }

  HWND WaitForWindow() const {
    for (int i = 0; i < 1000; ++i) {
      if (HWND window = Window()) return window;
      Sleep(10);
    }
    return nullptr;
  }

  // MessageBoxW's result, once it has returned (0 when it did not within the bound).
  int WaitForResult() const {
    for (int i = 0; i < 1000 && !done_; ++i) Sleep(10);
    return done_ ? result_.load() : 0;
  }

private:
  std::wstring caption_;
  std::atomic<int> result_{0};
  std::atomic<bool> done_{false};
  std::thread thread_;
};

std::map<std::string, std::string> Fields(const std::string& output) {
  std::map<std::string, std::string> fields;
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    const std::string line = output.substr(start, end - start);
    const size_t equals = line.find('=');
    fields[line.substr(0, equals)] = equals == std::string::npos ? "<no =>" : line.substr(equals + 1);
    start = end + 1;
  }
  return fields;
}

std::string DriverCommand(const std::string& arguments) { return ToolCommand("dialog_driver.exe", arguments); }

RunResult RunDriver(const std::string& arguments) {
  ProcessOptions options;
  options.captureStdout = true;
  return RunProgram(DriverCommand(arguments), kRunBoundMs, options);
}

const wchar_t kPolishText[] = L"Zażółć gęślą jaźń w C:\\QT6.\r\n\r\nUWAGA!!! Koniec.";
const char kPolishTextAsPrinted[] = "Zażółć gęślą jaźń w C:\\\\QT6.\\r\\n\\r\\nUWAGA!!! Koniec.";

struct BoxCase {
  const char* name;
  UINT type;
  const char* icon;
  const char* buttons;
  const char* press;
  int result;
  enum { Shown, MovedToCorner, ShownWhileDriverWaits } placement = Shown;
};

const BoxCase kBoxes[] = {
    {"warning", MB_ICONEXCLAMATION | MB_OK, "exclamation", "OK", "OK", IDOK},
    {"uncaught error", MB_ICONSTOP | MB_OK | MB_TASKMODAL, "stop", "OK", "OK", IDOK},
    {"information", MB_ICONINFORMATION | MB_OKCANCEL, "information", "OK|Cancel", "Cancel", IDCANCEL},
    {"question", MB_ICONQUESTION | MB_YESNO, "question", "Yes|No", "No", IDNO},
    {"no icon", MB_OK, "none", "OK", "OK", IDOK},
    {"moved off centre", MB_ICONEXCLAMATION | MB_OK, "exclamation", "OK", "OK", IDOK, BoxCase::MovedToCorner},
    {"appearing while the driver waits", MB_ICONSTOP | MB_OK, "stop", "OK", "OK", IDOK,
     BoxCase::ShownWhileDriverWaits},
};

TEST(DialogDriver, ReadsAndPressesMessageBoxes) {
  // A dismissed box is hidden at once but Wine takes about two seconds to destroy it and
  // return from MessageBoxW, so the results are collected at the end.
  std::vector<std::unique_ptr<ShownBox>> shownBoxes;
  for (const BoxCase& box : kBoxes) {
    SCOPED_TRACE(box.name);
    const std::string caption = std::string("tools test ") + box.name;
    const std::wstring wideCaption(caption.begin(), caption.end());
    const std::string arguments = "--caption \"" + caption + "\" --press " + box.press;

    ProcessOptions options;
    options.captureStdout = true;
    std::optional<StartedProcess> driver;
    if (box.placement == BoxCase::ShownWhileDriverWaits) {
      driver.emplace(StartedProcess::Start(DriverCommand(arguments), options));
      Sleep(700);
    }
    shownBoxes.push_back(std::make_unique<ShownBox>(wideCaption, kPolishText, box.type));
    if (!driver) {  // a waiting driver may press the box before the test sees it
      HWND window = shownBoxes.back()->WaitForWindow();
      ASSERT_NE(window, nullptr);
      if (box.placement == BoxCase::MovedToCorner)
        SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      driver.emplace(StartedProcess::Start(DriverCommand(arguments), options));
    }

    ASSERT_TRUE(driver->Wait(kRunBoundMs));
    const std::string output = driver->Output();
    EXPECT_EQ(driver->ExitCode(), 0u) << output;
    const std::map<std::string, std::string> expected{
        {"caption", caption},
        {"text", kPolishTextAsPrinted},
        {"icon", box.icon},
        {"buttons", box.buttons},
        {"centred", box.placement == BoxCase::MovedToCorner ? "0" : "1"},
        {"pressed", box.press},
    };
    EXPECT_EQ(Fields(output), expected) << output;
    EXPECT_EQ(shownBoxes.back()->Window(), nullptr);
  }
  for (size_t i = 0; i < shownBoxes.size(); ++i) {
    SCOPED_TRACE(kBoxes[i].name);
    EXPECT_EQ(shownBoxes[i]->WaitForResult(), kBoxes[i].result);
  }
}

TEST(DialogDriver, GivesUpWhenNoSuchWindowAppears) {
  const ULONGLONG started = GetTickCount64();
  const RunResult run = RunDriver("--caption \"tools test never shown\" --timeout-ms 500");
  const ULONGLONG elapsed = GetTickCount64() - started;
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_EQ(run.output, "");
  EXPECT_GE(elapsed, 500u);
  EXPECT_LT(elapsed, 20000u);
}

TEST(DialogDriver, ReportsAButtonTheBoxDoesNotHave) {
  ShownBox shown(L"tools test missing button", L"Only OK here.", MB_ICONEXCLAMATION | MB_OK);
  HWND window = shown.WaitForWindow();
  ASSERT_NE(window, nullptr);

  const RunResult missing = RunDriver("--caption \"tools test missing button\" --press Cancel");
  EXPECT_EQ(missing.exitCode, 3u);
  const auto fields = Fields(missing.output);
  EXPECT_EQ(fields.count("pressed"), 0u);
  EXPECT_EQ(fields.count("buttons") ? fields.at("buttons") : "", "OK");
  EXPECT_TRUE(IsWindowVisible(window));  // nothing was pressed

  const RunResult pressed = RunDriver("--caption \"tools test missing button\" --press OK");
  EXPECT_EQ(pressed.exitCode, 0u);
  EXPECT_EQ(shown.WaitForResult(), IDOK);
}

TEST(DialogDriver, RejectsBadArguments) {
  for (const char* arguments :
       {"", "--caption", "--press OK", "--caption x --timeout-ms 12x", "--caption x --bogus y"}) {
    SCOPED_TRACE(arguments);
    const RunResult run = RunDriver(arguments);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.output, "");
  }
}

}  // namespace
