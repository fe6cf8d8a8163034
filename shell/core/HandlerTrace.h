#pragma once
// A program's handlers may say when they run (TraceHandler("Button1Click")): a script's
// "log on" prints them, so that a test sees which handlers its input reached and in what order.
#include <functional>

#include "shell/core/Export.h"

KELVANE_API void TraceHandler(const char* Handler);
/// The procedure that TraceHandler calls from now on; none (the default) makes it do nothing.
KELVANE_API void SetHandlerTrace(std::function<void(const char* Handler)> Trace);
