// The process's private bytes, for leak checks over many cycles. Link with psapi.
#pragma once

#include <windows.h>
#include <psapi.h>

// The commit charge: Wine reports PrivateUsage as 0.
inline SIZE_T PrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PagefileUsage;
}
