#pragma once
// Registers the creatable control classes with the class table, so that form streams can
// create them by name.
#include "shell/core/Export.h"
KELVANE_API void RegisterControlClasses();
