// Message pumps for tests that drive windows on their own thread.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

// Handles messages until `done` holds or `timeoutMs` have passed; returns whether it
// holds. `inspect` sees each message first and may hold it back (return false).
inline bool Pump(DWORD timeoutMs, const std::function<bool()>& done = {},
                 const std::function<bool(const MSG&)>& inspect = {}) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (inspect && !inspect(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      if (done && done()) return true;
    }
    if (done && done()) return true;
    if (GetTickCount64() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

// Handles what is waiting, paints among it, until the queue stays empty a moment; a
// failure of the test when it never does within 5 s.
inline void PumpIdle() {
  const ULONGLONG end = GetTickCount64() + 5000;
  ULONGLONG quietSince = GetTickCount64();
  while (GetTickCount64() - quietSince < 30) {
    if (GetTickCount64() > end) {
      ADD_FAILURE() << "the message queue never went quiet (a window repainting itself without end?)";
      return;
    }
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      quietSince = GetTickCount64();
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
  }
}
