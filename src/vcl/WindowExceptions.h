// What happens to an error that escapes a window message's handling: window procedures
// must not let it pass back into the system. The application object sets the handler.
#pragma once

#include <exception>

using TWindowExceptionHandler = void (*)(const std::exception& error);

// Replaces the handler (the default one ignores the error) and returns the previous one.
TWindowExceptionHandler SetWindowExceptionHandler(TWindowExceptionHandler handler);
void HandleWindowException(const std::exception& error);
