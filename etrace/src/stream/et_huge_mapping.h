#pragma once
// Zeroed memory mapped for a large buffer, in huge pages where the system
// grants them. The first touch of a small page costs some microseconds (tens
// on a virtual machine), more than filling the page does; a huge page costs
// about as much as one small page. The trace tools' big buffers (the reader's
// window, the input chunks, the output blocks) live in such mappings.
#include <cstddef>

class et_huge_mapping_t {
public:
  static constexpr std::size_t huge_page = std::size_t(2) << 20;

  // At least bytes, rounded up to whole huge pages and starting on a
  // huge-page boundary; throws std::bad_alloc when nothing can be mapped.
  explicit et_huge_mapping_t(std::size_t bytes);
  ~et_huge_mapping_t();
  et_huge_mapping_t(const et_huge_mapping_t&) = delete;
  et_huge_mapping_t& operator=(const et_huge_mapping_t&) = delete;

  char* data() const { return data_; }
  std::size_t size() const { return size_; }

private:
  char* data_;
  std::size_t size_;
};
