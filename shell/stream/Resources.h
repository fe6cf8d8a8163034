#pragma once
// The resource table: blocks of bytes built into the program (form streams, styles, the icon),
// found by name and type without regard to case. Built-in resources register themselves before
// main; tools and tests may add or replace one at run time.
#include "shell/core/Export.h"
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

/// Raw data, the type of form streams and style files.
inline const std::string RT_RCDATA = "RCDATA";

/// A built-in resource; Data must live as long as the program (static storage).
KELVANE_API void RegisterResource(const std::string& Name, const std::string& Type, const uint8_t* Data, size_t Size);
/// Adds a resource or replaces one of that name and type, keeping a copy of Data.
KELVANE_API void SetResource(const std::string& Name, const std::string& Type, std::vector<uint8_t> Data);
/// Removes a resource added with SetResource; a built-in one of that name shows again.
KELVANE_API bool RemoveResource(const std::string& Name, const std::string& Type);
/// The bytes of a resource, valid until the resource is next set or removed.
KELVANE_API std::optional<std::span<const uint8_t>> FindResource(const std::string& Name, const std::string& Type);
/// Every resource's name and type, for tools.
KELVANE_API std::vector<std::pair<std::string, std::string>> ResourceNames();
