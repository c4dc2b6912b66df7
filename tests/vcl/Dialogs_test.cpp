#include "vcl/Dialogs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "vcl/SysUtils.h"

namespace {

// The launcher's QuickTime warning, as Windows-1250 bytes and as the UTF-16 it must show.
const char kWarning1250[] =
    "Program wykry\xB3" " nieprawid\xB3" "owe dzia\xB3" "anie aplikacji QuickTime. Prosz\xEA" " o ponown\xB9"
    " instalacj\xEA" " programu QuickTime. Instalator znajduje si\xEA" " w folderze QT6, w g\xB3" "\xF3"
    "wnym katalogu uruchamianego programu firmy Morvek.\r\n\r\nUWAGA!!! Uruchamiany program mo\xBF"
    "e pracowa\xE6" " nieprawid\xB3" "owo.";
const wchar_t kWarningUtf16[] =
    L"Program wykry\u0142 nieprawid\u0142owe dzia\u0142anie aplikacji QuickTime. Prosz\u0119 o ponown\u0105 "
    L"instalacj\u0119 programu QuickTime. Instalator znajduje si\u0119 w folderze QT6, w g\u0142\u00F3wnym "
    L"katalogu uruchamianego programu firmy Morvek.\r\n\r\nUWAGA!!! Uruchamiany program mo\u017Ce "
    L"pracowa\u0107 nieprawid\u0142owo.";

TEST(DecodeCodePage, ReadsTheBytesInTheNamedCodePage) {
  struct Case {
    const char* what;
    std::string bytes;
    UINT codePage;
    std::wstring text;
  };
  const std::string polish = "\xB3\xB9\xEA\x9C\xE6\xBF\x9F\xF1\xF3 \xA3\xA5\xCA\x8C\xC6\xAF\x8F\xD1\xD3";
  const Case cases[] = {
      {"Polish letters in 1250", polish, 1250,
       L"\u0142\u0105\u0119\u015B\u0107\u017C\u017A\u0144\u00F3 \u0141\u0104\u0118\u015A\u0106\u017B\u0179\u0143"
       L"\u00D3"},
      {"the same bytes in 1252", "\xB3\x9C", 1252, L"\u00B3\u0153"},
      {"UTF-8", "\xC5\x82", CP_UTF8, L"\u0142"},
      {"NUL kept", std::string("a\0b", 3), 1250, std::wstring(L"a\0b", 3)},
      {"empty", "", 1250, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(DecodeCodePage(c.bytes, c.codePage), c.text);
  }
  EXPECT_THROW(DecodeCodePage("abc", 12345), EConvertError);
}

struct Child {
  HWND handle;
  std::wstring className;
  std::wstring text;
  LONG style;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
  wchar_t className[64] = {};
  GetClassNameW(child, className, 64);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(child)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(child, text.data(), static_cast<int>(text.size()))));
  reinterpret_cast<std::vector<Child>*>(list)->push_back({child, className, text, GetWindowLongW(child, GWL_STYLE)});
  return TRUE;
}

std::vector<Child> ChildrenOf(HWND parent) {
  std::vector<Child> children;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

bool SameClass(const std::wstring& a, const wchar_t* b) { return _wcsicmp(a.c_str(), b) == 0; }

// Shows the warning on a thread of its own, beside a top-level window of that thread;
// dismisses any box still open before it ends.
class WarningOnThread {
public:
  WarningOnThread() {
    thread_ = std::thread([this] {
      ownWindow_ = CreateWindowExW(0, L"STATIC", L"own window", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                   nullptr, nullptr);
      ShowWarning("Uwaga", kWarning1250, 1250);
      ownWindowEnabledAfter_ = IsWindowEnabled(ownWindow_) != FALSE;
      DestroyWindow(ownWindow_);
      returned_ = true;
    });
  }
  ~WarningOnThread() {
    for (int i = 0; i < 200 && !returned_; ++i) {
      if (HWND box = FindBox()) PostMessageW(box, WM_COMMAND, IDOK, 0);
      Sleep(50);
    }
    thread_.join();
  }
  static HWND FindBox() { return FindWindowW(L"#32770", L"Uwaga"); }
  HWND WaitForBox() const {
    for (int i = 0; i < 400; ++i) {
      if (HWND box = FindBox(); box && IsWindowVisible(box)) return box;
      Sleep(50);
    }
    return nullptr;
  }
  bool WaitForReturn() const {
    for (int i = 0; i < 400 && !returned_; ++i) Sleep(50);
    return returned_;
  }
  HWND OwnWindow() const { return ownWindow_; }
  bool OwnWindowEnabledAfter() const { return ownWindowEnabledAfter_; }

private:
  std::thread thread_;
  std::atomic<HWND> ownWindow_ = nullptr;
  std::atomic<bool> ownWindowEnabledAfter_ = false;
  std::atomic<bool> returned_ = false;
};

TEST(ShowWarning, ShowsThePolishTextCentredWithOneOkButton) {
  WarningOnThread warning;
  const HWND box = warning.WaitForBox();
  ASSERT_NE(box, nullptr) << "no box captioned Uwaga";

  const std::vector<Child> children = ChildrenOf(box);
  std::vector<Child> buttons;
  const Child* message = nullptr;
  const Child* icon = nullptr;
  for (const Child& child : children) {
    if (!IsWindowVisible(child.handle)) continue;
    if (SameClass(child.className, L"Button")) buttons.push_back(child);
    if (!SameClass(child.className, L"Static")) continue;
    if ((child.style & SS_TYPEMASK) == SS_ICON)
      icon = &child;
    else
      message = &child;
  }
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(message->text, kWarningUtf16);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(icon->handle, STM_GETICON, 0, 0)),
            LoadIconA(nullptr, IDI_EXCLAMATION));
  ASSERT_EQ(buttons.size(), 1u);
  EXPECT_EQ(buttons[0].text, L"OK");
  EXPECT_EQ(GetDlgCtrlID(buttons[0].handle), IDOK);

  RECT rect;
  GetWindowRect(box, &rect);
  EXPECT_NEAR(rect.left + rect.right, GetSystemMetrics(SM_CXSCREEN), 1);
  EXPECT_NEAR(rect.top + rect.bottom, GetSystemMetrics(SM_CYSCREEN), 1);
  EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
  EXPECT_FALSE(IsWindowEnabled(warning.OwnWindow())) << "task-modal: the thread's windows are disabled";

  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(buttons[0].handle));
  ASSERT_TRUE(warning.WaitForReturn());
  EXPECT_TRUE(warning.OwnWindowEnabledAfter());
  EXPECT_EQ(WarningOnThread::FindBox(), nullptr);
}

}  // namespace
