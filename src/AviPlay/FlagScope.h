// Sets a flag for the length of a scope, whichever way the scope is left.
#pragma once

#include <atomic>

class FlagScope {
public:
  explicit FlagScope(std::atomic<bool>& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

private:
  std::atomic<bool>& flag_;
};
