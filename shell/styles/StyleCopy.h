#pragma once
// Style objects as object streams: reading one (a fresh copy of a style item), writing one with
// its tree, and cloning through the two. The class table creates every object, so the copy is
// what a stream of the same object would give.
#include "shell/core/Export.h"
#include <cstddef>
#include <cstdint>
#include <vector>

class TComponent;

/// Reads an object stream (signature and one root object) and returns the new root; it and its
/// descendants belong to the root, the root to nobody. Raises what the reader raises.
KELVANE_API TComponent* ReadStyleObject(const uint8_t* Data, size_t Size);
inline TComponent* ReadStyleObject(const std::vector<uint8_t>& Data) { return ReadStyleObject(Data.data(), Data.size()); }
/// Source and its stored tree children as an object stream.
KELVANE_API std::vector<uint8_t> WriteStyleObject(TComponent& Source);
/// A copy of Source and its stored tree children, owned by nobody.
KELVANE_API TComponent* CloneStyleObject(TComponent& Source);
