#include "DialogProbe.h"

#include <cwchar>

#include "IconIdentify.h"

namespace {

constexpr UINT kMessageTimeoutMs = 2000;
constexpr DWORD kPollMs = 20;

// A control's text, asked for with a bounded message so that a hung program cannot hang us.
std::wstring ControlText(HWND control) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &length))
    return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied))
    return {};
  text.resize(copied);
  return text;
}

// A button caption as drawn: "&" marks the next letter, "&&" stands for "&".
std::wstring WithoutMnemonics(const std::wstring& caption) {
  std::wstring shown;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
    shown += caption[i];
  }
  return shown;
}

bool HasClass(HWND window, const wchar_t* name) {
  wchar_t found[32];
  return GetClassNameW(window, found, 32) && _wcsicmp(found, name) == 0;
}

bool IsIconStatic(HWND control) {
  return (static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)) & SS_TYPEMASK) == SS_ICON;
}

// The visible child controls, in z-order, which is a dialog's tab order.
std::vector<HWND> VisibleChildren(HWND window) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (IsWindowVisible(child)) children.push_back(child);
  return children;
}

struct Search {
  const std::wstring* caption;
  HWND found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<Search*>(context);
  if (!IsWindowVisible(window)) return TRUE;
  // For another process's window GetWindowText reads the stored caption without a message.
  std::wstring text(search.caption->size() + 2, L'\0');
  text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
  if (text != *search.caption) return TRUE;
  search.found = window;
  return FALSE;
}

bool Centred(HWND window) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return false;
  // Twice the centres, so that half pixels stay exact.
  const long dx = rect.left + rect.right - GetSystemMetrics(SM_CXSCREEN);
  const long dy = rect.top + rect.bottom - GetSystemMetrics(SM_CYSCREEN);
  return dx >= -2 && dx <= 2 && dy >= -2 && dy <= 2;
}

HWND FindButton(HWND window, const std::wstring& button) {
  for (HWND child : VisibleChildren(window))
    if (HasClass(child, L"Button") && WithoutMnemonics(ControlText(child)) == button) return child;
  return nullptr;
}

}  // namespace

HWND WaitForWindow(const std::wstring& caption, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    Search search{&caption, nullptr};
    EnumWindows(MatchCaption, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (GetTickCount64() >= deadline) return nullptr;
    Sleep(kPollMs);
  }
}

DialogInfo ReadDialog(HWND window, const std::wstring& caption, DWORD iconWaitMs) {
  DialogInfo info;
  info.caption = caption;
  HWND icon = nullptr;
  bool haveText = false;
  for (HWND child : VisibleChildren(window)) {
    if (HasClass(child, L"Button")) {
      info.buttons.push_back(WithoutMnemonics(ControlText(child)));
    } else if (HasClass(child, L"Static")) {
      if (IsIconStatic(child)) {
        if (!icon) icon = child;
      } else if (!haveText) {
        info.text = ControlText(child);
        haveText = true;
      }
    }
  }
  info.icon = IdentifyIcon(icon, iconWaitMs);
  info.centred = Centred(window);
  return info;
}

PressResult PressButton(HWND window, const std::wstring& button, DWORD timeoutMs) {
  HWND target = FindButton(window, button);
  if (!target) return PressResult::NoSuchButton;
  // The button handles the click as a mouse press and release on itself would.
  PostMessageW(target, BM_CLICK, 0, 0);
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (IsWindow(window) && IsWindowVisible(window)) {
    if (GetTickCount64() >= deadline) return PressResult::StillOpen;
    Sleep(kPollMs);
  }
  return PressResult::Pressed;
}
