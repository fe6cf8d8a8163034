#pragma once
// Registers the application layer's creatable classes (TTimer) with the class table, so that
// stored forms can create them by name.
#include "shell/core/Export.h"
KELVANE_API void RegisterAppClasses();
