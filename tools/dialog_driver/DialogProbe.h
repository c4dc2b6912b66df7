// Looking at another program's dialog box from outside, the way a user sees it, and
// pressing one of its buttons.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct DialogInfo {
  std::wstring caption;
  std::wstring text;                  // the first visible static control that is not an icon
  std::string icon;                   // exclamation, stop, information, question or none
  std::vector<std::wstring> buttons;  // visible buttons in tab order, as shown (no '&' marks)
  bool centred = false;               // window centre within 1 pixel of the screen's centre
};

// The first visible top-level window of any process whose caption is exactly `caption`,
// looked for until timeoutMs has passed; nullptr when there is none.
HWND WaitForWindow(const std::wstring& caption, DWORD timeoutMs);

// What the window shows; iconWaitMs bounds the wait for its icon to be painted.
DialogInfo ReadDialog(HWND window, const std::wstring& caption, DWORD iconWaitMs);

enum class PressResult { Pressed, NoSuchButton, StillOpen };

// Clicks the visible button shown as `button`, then waits up to timeoutMs for the window
// to go away.
PressResult PressButton(HWND window, const std::wstring& button, DWORD timeoutMs);
