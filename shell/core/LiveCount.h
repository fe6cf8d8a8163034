#pragma once
// The components alive in the process, so that long runs can show that nothing accumulates.
#include "shell/core/Export.h"
#include <cstdint>

int64_t LiveComponentCount();
