// A hidden message-only window of the class library's own, for components that need to
// receive window messages (a timer's WM_TIMER) without being controls.
#pragma once

#include <windows.h>

#include <functional>

#include "Controls.h"

class TMessageWindow {
public:
  using Handler = std::function<void(TMessage&)>;

  explicit TMessageWindow(Handler handler);
  ~TMessageWindow();
  TMessageWindow(const TMessageWindow&) = delete;
  TMessageWindow& operator=(const TMessageWindow&) = delete;

  HWND Handle() const { return handle_; }

private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  Handler handler_;
  HWND handle_ = nullptr;
};
