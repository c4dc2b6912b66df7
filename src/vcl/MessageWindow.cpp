#include "MessageWindow.h"

#include "SysUtils.h"
#include "WindowExceptions.h"

namespace {
constexpr char kClassName[] = "TPUtilWindow";
}

TMessageWindow::TMessageWindow(Handler handler) : handler_(std::move(handler)) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  if (!GetClassInfoA(instance, kClassName, &windowClass)) {
    windowClass.lpfnWndProc = &TMessageWindow::WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);
  }
  handle_ = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  if (!handle_) throw EInvalidOperation("Error creating a message window");
  SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

// The owner of the handler is being destroyed too: the messages of the window's own
// destruction no longer reach it.
TMessageWindow::~TMessageWindow() {
  SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
  DestroyWindow(handle_);
}

LRESULT CALLBACK TMessageWindow::WindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TMessageWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self || msg == WM_NCDESTROY) return DefWindowProcA(window, msg, wParam, lParam);
  TMessage message{msg, wParam, lParam, 0};
  try {
    self->handler_(message);
  } catch (const std::exception& error) {
    HandleWindowException(error);
  }
  return message.Result;
}
