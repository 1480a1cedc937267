#include "chunk_text.h"

#include <stdexcept>

uint64_t parse_chunk_text(const std::string& text) {
  try {
    return std::stoull(text, nullptr, 16);
  } catch (std::invalid_argument const&) {
    throw std::invalid_argument("invalid chunk '" + text + "': not a hexadecimal number");
  } catch (std::out_of_range const&) {
    throw std::invalid_argument("invalid chunk '" + text + "': value does not fit in 64 bits");
  }
}
