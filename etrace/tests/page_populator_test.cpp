// The page populator: it faults in every page of a mapping but the first,
// and stopping it mid-way returns at once.
#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>

#include "etrace/stream/et_huge_mapping.h"
#include "etrace/stream/et_page_populator.h"
#include "support/resident_pages.h"

using et_test::resident_pages;
using et_test::wait_until_resident;

namespace {

constexpr std::size_t huge_page = et_huge_mapping_t::huge_page;

}  // namespace

TEST(PagePopulator, FaultsInEveryPageButTheFirst) {
  if (!et_test::can_populate()) GTEST_SKIP() << "no MADV_POPULATE_WRITE on this system";
  for (const std::size_t pages : {std::size_t(2), std::size_t(4)}) {
    et_huge_mapping_t mapping(pages * huge_page);
    et_page_populator_t populator;
    populator.start(mapping.data(), mapping.size());
    EXPECT_TRUE(wait_until_resident(mapping.data() + huge_page, mapping.size() - huge_page))
        << pages << " huge pages";
    EXPECT_EQ(resident_pages(mapping.data(), huge_page), 0u) << pages << " huge pages";
  }
}

// A mapping of one huge page, or a part of one, is its filler's to touch.
TEST(PagePopulator, LeavesASinglePageAlone) {
  et_huge_mapping_t mapping(huge_page);
  {
    et_page_populator_t populator;
    populator.start(mapping.data(), huge_page);
  }
  EXPECT_EQ(resident_pages(mapping.data(), huge_page), 0u);
}

// Stopped at once, the populator ends at its next page: the mapping can go.
TEST(PagePopulator, StopsAtItsNextPage) {
  et_huge_mapping_t mapping(64 * huge_page);
  const auto started = std::chrono::steady_clock::now();
  {
    et_page_populator_t populator;
    populator.start(mapping.data(), mapping.size());
    populator.stop();
    populator.stop();  // again, and by the destructor: nothing to wait for
  }
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
  EXPECT_LT(resident_pages(mapping.data(), mapping.size()), mapping.size() / 4096);
}
