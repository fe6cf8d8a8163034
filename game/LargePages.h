#pragma once
// Large pages for the driver's memory. Mesa's software device zeroes every texture and target it
// makes (some 43 MB before the game's first frame), one page fault per 4 KB page, which on a
// virtual machine costs about a fifth of the time to the first frame. The C library asks the
// kernel for 2 MB pages for its large blocks only when GLIBC_TUNABLES says so at the program's
// start, so the program starts itself once more with the setting.
#include <optional>
#include <string>
#include <string_view>

// The GLIBC_TUNABLES value to start again with, given the current value (null when unset) and
// the kernel's transparent huge page mode (the text of
// /sys/kernel/mm/transparent_hugepage/enabled, e.g. "always [madvise] never"); nothing when a
// new start would gain nothing: the setting is there already (the user's or ours), or the
// kernel gives large pages to all memory or to none.
std::optional<std::string> LargePagesTunables(const char* Current, std::string_view HugePageMode);

// Starts the program again (same arguments, same descriptors) with LargePagesTunables' value
// when there is one; returns when there is none or the new start failed.
void RestartWithLargePages(char** Argv);
