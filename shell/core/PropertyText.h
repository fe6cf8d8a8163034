#pragma once
// The text of a published property's plain value (not an object, not an event), in the
// notation the headless tool reads and prints: floats as the shortest text that reads back to
// the same value, colours as #AARRGGBB, Booleans and enumerations by name, sets as [A, B],
// strings in double quotes. Recordings write their checks in it, so it is one function.
#include "shell/core/Export.h"
#include <optional>
#include <string>

class TObject;
struct TPropInfo;

/// The value of Prop on Instance; none for object and event properties.
std::optional<std::string> FormatPlainProperty(TObject* Instance, const TPropInfo& Prop);
/// The shortest decimal text that reads back to the same single.
KELVANE_API std::string FormatSingleText(float Value);
