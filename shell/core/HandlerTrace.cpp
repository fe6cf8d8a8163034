#include "shell/core/HandlerTrace.h"

#include <utility>

namespace {
std::function<void(const char*)>& Current() {
  static std::function<void(const char*)> Trace;
  return Trace;
}
}  // namespace

void TraceHandler(const char* Handler) {
  if (Current()) Current()(Handler);
}

void SetHandlerTrace(std::function<void(const char*)> Trace) { Current() = std::move(Trace); }
