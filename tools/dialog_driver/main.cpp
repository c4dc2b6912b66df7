// dialog_driver --caption TEXT [--press BUTTON] [--timeout-ms N]
// Waits for a visible top-level window captioned TEXT, prints what it shows (see
// DialogReport.h) and, when asked, presses one of its buttons and waits for it to close.
// Exit status: 0 done, 1 bad arguments, 2 no such window in time, 3 no such button,
// 4 the window stayed open after the press.
#include <windows.h>

#include <cwchar>
#include <optional>
#include <string>

#include "DialogProbe.h"
#include "DialogReport.h"

namespace {

enum ExitStatus { kDone = 0, kBadArguments = 1, kNoWindow = 2, kNoButton = 3, kStillOpen = 4 };

// A painted icon normally shows at once; this bounds the wait for the first paint.
constexpr DWORD kIconWaitMs = 3000;

struct Options {
  std::wstring caption;
  std::optional<std::wstring> press;
  DWORD timeoutMs = 15000;
};

std::optional<DWORD> ParseMilliseconds(const wchar_t* text) {
  if (!*text || std::wcsspn(text, L"0123456789") != std::wcslen(text) || std::wcslen(text) > 9) return std::nullopt;
  return static_cast<DWORD>(std::wcstoul(text, nullptr, 10));
}

std::optional<Options> ParseOptions(int count, wchar_t** args) {
  Options options;
  bool haveCaption = false;
  for (int i = 1; i < count; i += 2) {
    if (i + 1 >= count) return std::nullopt;
    const std::wstring name = args[i];
    const wchar_t* value = args[i + 1];
    if (name == L"--caption") {
      options.caption = value;
      haveCaption = true;
    } else if (name == L"--press") {
      options.press = value;
    } else if (name == L"--timeout-ms") {
      const auto ms = ParseMilliseconds(value);
      if (!ms) return std::nullopt;
      options.timeoutMs = *ms;
    } else {
      return std::nullopt;
    }
  }
  if (!haveCaption) return std::nullopt;
  return options;
}

void Write(DWORD stream, const std::string& bytes) {
  DWORD written = 0;
  WriteFile(GetStdHandle(stream), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::optional<Options> OptionsFromCommandLine() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args) return std::nullopt;
  auto options = ParseOptions(count, args);
  LocalFree(args);
  return options;
}

}  // namespace

int main() {
  const auto options = OptionsFromCommandLine();
  if (!options) {
    Write(STD_ERROR_HANDLE, "usage: dialog_driver --caption TEXT [--press BUTTON] [--timeout-ms N]\n");
    return kBadArguments;
  }
  HWND window = WaitForWindow(options->caption, options->timeoutMs);
  if (!window) {
    Write(STD_ERROR_HANDLE, "dialog_driver: no window captioned \"" + Utf8(options->caption) + "\" appeared\n");
    return kNoWindow;
  }
  Write(STD_OUTPUT_HANDLE, FormatReport(ReadDialog(window, options->caption, kIconWaitMs)));
  if (!options->press) return kDone;

  switch (PressButton(window, *options->press, options->timeoutMs)) {
    case PressResult::Pressed:
      Write(STD_OUTPUT_HANDLE, "pressed=" + Utf8(*options->press) + "\n");
      return kDone;
    case PressResult::NoSuchButton:
      Write(STD_ERROR_HANDLE, "dialog_driver: no button \"" + Utf8(*options->press) + "\"\n");
      return kNoButton;
    case PressResult::StillOpen:
      Write(STD_ERROR_HANDLE, "dialog_driver: the window stayed open after the press\n");
      return kStillOpen;
  }
  return kStillOpen;
}
