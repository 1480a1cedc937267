#pragma once
// One register operand of an instruction record. The stream delivers register
// numbers and values in separate records, so the two halves are independent.
#include <cstdint>
#include <string>

struct et_reg_t {
  uint8_t addr_valid;  // addr present
  uint64_t addr;       // register number 0..31
  uint8_t data_valid;  // data present
  uint64_t data;       // register value

  // "[0a]=00000000000000ff"; "??" / 16 "?" for a missing half.
  std::string to_string() const;
  void append_text(std::string& out) const;
};
