#include "WindowExceptions.h"

namespace {
TWindowExceptionHandler currentHandler = nullptr;
}

TWindowExceptionHandler SetWindowExceptionHandler(TWindowExceptionHandler handler) {
  TWindowExceptionHandler previous = currentHandler;
  currentHandler = handler;
  return previous;
}

void HandleWindowException(const std::exception& error) {
  if (currentHandler) currentHandler(error);
}
