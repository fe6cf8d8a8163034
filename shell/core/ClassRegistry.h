#pragma once
// The list of classes registered for streams (RegisterClass), for what goes through them all.
#include "shell/core/Export.h"
#include <vector>

class TMetaClass;

/// Every registered class, by name.
KELVANE_API std::vector<const TMetaClass*> RegisteredClasses();
