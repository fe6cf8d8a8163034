#pragma once
// The names of the virtual keys, as scripts and recordings write them: Return, Escape, Tab,
// space, BackSpace, Insert, Delete, Left, Right, Up, Down, Home, End, PageUp, PageDown, the
// letters A to Z, the digits 0 to 9 and F1 to F12. A key without a name is written as its code.
#include <cstdint>
#include <string>

#include "shell/core/Export.h"

/// The name of Key, or its code in decimal when it has none ("-" for 0, no key).
KELVANE_API std::string KeyName(uint16_t Key);
/// The key named Name (in any case), "-" for none, or a code of two digits or more (0 to 65535):
/// a single digit names the digit's key; false for anything else.
KELVANE_API bool KeyFromName(const std::string& Name, uint16_t& Key);
