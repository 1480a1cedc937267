#pragma once
// CRC-32 string hash (reflected, polynomial 0xEDB88320): the logger uses it to
// recognise level names by one number instead of string comparisons.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace str_hash_detail {

constexpr std::array<uint32_t, 256> make_crc32_table() {
  std::array<uint32_t, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[i] = c;
  }
  return table;
}

inline constexpr std::array<uint32_t, 256> crc32_table = make_crc32_table();

}  // namespace str_hash_detail

// The same CRC-32 as str_hash_runtime, usable in constant expressions, so that
// the values compared against are fixed when the program is built.
constexpr uint32_t str_hash(std::string_view text) {
  uint32_t crc = 0xFFFFFFFFu;
  for (char ch : text)
    crc = str_hash_detail::crc32_table[(crc ^ static_cast<unsigned char>(ch)) & 0xFFu] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

uint32_t str_hash_runtime(const std::string& text);
