// When the game starts itself again asking the C library for large pages, and with what setting.
#include <gtest/gtest.h>

#include "game/LargePages.h"

namespace {

struct TCase {
  const char* Current;  // GLIBC_TUNABLES, or null when unset
  const char* Mode;     // the kernel's transparent huge page mode
  std::optional<std::string> Expected;
};

class LargePagesTest : public ::testing::TestWithParam<TCase> {};

TEST_P(LargePagesTest, StartsAgainOnlyWhenTheSettingGainsSomething) {
  const TCase& Case = GetParam();
  EXPECT_EQ(LargePagesTunables(Case.Current, Case.Mode), Case.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LargePagesTest,
    ::testing::Values(
        TCase{nullptr, "always [madvise] never\n", "glibc.malloc.hugetlb=1"},
        TCase{"", "always [madvise] never\n", "glibc.malloc.hugetlb=1"},
        // The user's own settings are kept.
        TCase{"glibc.malloc.arena_max=2", "always [madvise] never\n", "glibc.malloc.arena_max=2:glibc.malloc.hugetlb=1"},
        // Set already: by the first start (no loop), or by the user, whose choice stands.
        TCase{"glibc.malloc.hugetlb=1", "always [madvise] never\n", std::nullopt},
        TCase{"glibc.malloc.arena_max=2:glibc.malloc.hugetlb=0", "always [madvise] never\n", std::nullopt},
        // Large pages for all memory or for none: the setting changes nothing.
        TCase{nullptr, "[always] madvise never\n", std::nullopt},
        TCase{nullptr, "always madvise [never]\n", std::nullopt},
        // No such file (a kernel without transparent huge pages).
        TCase{nullptr, "", std::nullopt}));

}  // namespace
