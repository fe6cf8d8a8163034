#pragma once

#include <utility>

/// Runs a cleanup on every way out of a scope, the one way this code writes "finally":
///
///     TScopeExit Restore([&] { FBusy = false; });
template <typename F>
class [[nodiscard]] TScopeExit {
 public:
  explicit TScopeExit(F Fn) : FFn(std::move(Fn)) {}
  ~TScopeExit() { FFn(); }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;

 private:
  F FFn;
};
