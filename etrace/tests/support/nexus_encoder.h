#pragma once
// Writes Nexus program-trace messages for tests: 6 data bits and 2 framing
// bits per byte, fields least-significant bit first, fixed fields packed
// into the byte the previous field left partly used, variable fields in the
// fewest bytes that hold them.
//
//   nexus_encoder_t enc(true, 2);
//   enc.message(3, 1, {var(5)}, 7);  // Direct Branch, SRC 1, I-CNT 5, TSTAMP 7
//   std::string bytes = enc.str();
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace et_test {

// One field of a message: fixed width in bits, or 0 for variable length.
struct nexus_value_t {
  uint64_t value;
  unsigned width;
};

inline nexus_value_t fixed(uint64_t value, unsigned width) { return {value, width}; }
inline nexus_value_t var(uint64_t value) { return {value, 0}; }

class nexus_encoder_t {
public:
  explicit nexus_encoder_t(bool has_src = false, unsigned src_bits = 0)
      : has_src_(has_src), src_bits_(src_bits) {}

  // A whole message: TCODE, SRC when configured, the fields, TSTAMP when
  // given, then the end of the message.
  nexus_encoder_t& message(unsigned tcode, unsigned src,
                           std::initializer_list<nexus_value_t> fields,
                           std::optional<uint64_t> tstamp = std::nullopt);

  // Pieces, for messages the helper above cannot make.
  nexus_encoder_t& tcode(unsigned tcode);
  nexus_encoder_t& put(nexus_value_t field);
  // A variable field spread over at least min_bytes bytes (zero-extended).
  nexus_encoder_t& var_bytes(uint64_t value, unsigned min_bytes);
  // Ends the message: the last byte gets MSEO 3.
  nexus_encoder_t& end();
  nexus_encoder_t& idle(unsigned count = 1);
  nexus_encoder_t& raw(uint8_t byte);

  const std::vector<uint8_t>& bytes() const { return bytes_; }
  std::string str() const { return std::string(bytes_.begin(), bytes_.end()); }

private:
  void push(uint8_t mdo, uint8_t mseo);

  bool has_src_;
  unsigned src_bits_;
  std::vector<uint8_t> bytes_;
  uint8_t partial_ = 0;  // MDO bits of the byte being filled
  unsigned used_ = 0;    // how many of them
};

}  // namespace et_test
