#pragma once
// Writing a program's results where nothing may be lost without a word: every write and the
// close are checked, and a failure carries the path and the system's message.
#include "shell/core/Export.h"
#include <cstddef>
#include <string>

/// Writes Size bytes to the file Path, made anew (or emptied). Raises EStreamError
/// "Cannot write PATH: MESSAGE" (the system's message, such as "No space left on device")
/// when the file cannot be made, written or closed.
void WriteFileBytes(const std::string& Path, const void* Data, size_t Size);

/// Flushes and closes standard output (and so std::cout, which writes through it), as a
/// program's last step: output that the system took but could not keep shows only there.
/// Raises EStreamError "Cannot write standard output: MESSAGE" when it fails.
void CloseStandardOutput();
