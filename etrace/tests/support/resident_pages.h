#pragma once
// Which pages of a mapping the system has faulted in, for the tests of the
// reader's page populator.
#include <cstddef>

namespace et_test {

// Pages of [data, data + bytes) (data page-aligned) that are resident now.
std::size_t resident_pages(const char* data, std::size_t bytes);
// Waits up to a minute for every page of the range to be resident.
bool wait_until_resident(const char* data, std::size_t bytes);
// The system can fault pages in on request (MADV_POPULATE_WRITE).
bool can_populate();

}  // namespace et_test
