// Telling which of the system's message icons an icon control of another program shows.
#pragma once

#include <windows.h>

#include <string>

// "exclamation", "stop", "information" or "question" when the control's client area on
// screen shows that system icon as the control draws it (stretched to its client area);
// "none" otherwise. Looks again until waitMs has passed, so that a window that has just
// appeared has time to paint.
std::string IdentifyIcon(HWND iconControl, DWORD waitMs);
