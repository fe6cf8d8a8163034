#include "game/LargePages.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {
constexpr std::string_view Setting = "glibc.malloc.hugetlb=1";
}

std::optional<std::string> LargePagesTunables(const char* Current, std::string_view HugePageMode) {
  // Only "madvise" mode gives large pages to the memory that asks and to no other.
  if (HugePageMode.find("[madvise]") == std::string_view::npos) return std::nullopt;
  const std::string_view Now = Current ? Current : "";
  if (Now.find("glibc.malloc.hugetlb=") != std::string_view::npos) return std::nullopt;
  return Now.empty() ? std::string(Setting) : std::string(Now) + ":" + std::string(Setting);
}

void RestartWithLargePages(char** Argv) {
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizer's allocator does not read the setting.
  (void)Argv;
#else
  std::stringstream Text;
  {
    // Closed before the new start, which would inherit it.
    std::ifstream Mode("/sys/kernel/mm/transparent_hugepage/enabled");
    Text << Mode.rdbuf();
  }
  const char* Current = std::getenv("GLIBC_TUNABLES");
  const std::string Saved = Current ? Current : "";
  const std::optional<std::string> Value = LargePagesTunables(Current, Text.str());
  if (!Value || setenv("GLIBC_TUNABLES", Value->c_str(), 1) != 0) return;
  execv("/proc/self/exe", Argv);
  // Not started again: go on as before.
  if (Current) setenv("GLIBC_TUNABLES", Saved.c_str(), 1);
  else unsetenv("GLIBC_TUNABLES");
#endif
}
