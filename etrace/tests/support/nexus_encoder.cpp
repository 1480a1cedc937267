#include "support/nexus_encoder.h"

#include <stdexcept>

namespace et_test {

void nexus_encoder_t::push(uint8_t mdo, uint8_t mseo) {
  bytes_.push_back(static_cast<uint8_t>((mdo & 0x3F) << 2 | mseo));
  partial_ = 0;
  used_ = 0;
}

nexus_encoder_t& nexus_encoder_t::tcode(unsigned tcode) {
  if (used_ != 0) throw std::logic_error("previous Nexus message not ended");
  push(static_cast<uint8_t>(tcode), 0);
  return *this;
}

nexus_encoder_t& nexus_encoder_t::put(nexus_value_t field) {
  if (field.width == 0) return var_bytes(field.value, 1);
  for (unsigned i = 0; i < field.width; ++i) {
    const uint64_t bit = i < 64 ? (field.value >> i) & 1 : 0;
    partial_ = static_cast<uint8_t>(partial_ | bit << used_);
    if (++used_ == 6) push(partial_, 0);
  }
  return *this;
}

nexus_encoder_t& nexus_encoder_t::var_bytes(uint64_t value, unsigned min_bytes) {
  // The field takes what is left of a partly used byte, then whole bytes.
  unsigned bytes = 0;
  for (;;) {
    const unsigned room = 6 - used_;
    partial_ = static_cast<uint8_t>(partial_ | (value & ((1u << room) - 1)) << used_);
    value = room < 64 ? value >> room : 0;
    ++bytes;
    if (value == 0 && bytes >= min_bytes) {
      push(partial_, 1);
      return *this;
    }
    push(partial_, 0);
  }
}

nexus_encoder_t& nexus_encoder_t::end() {
  if (used_ != 0)
    push(partial_, 3);
  else if (!bytes_.empty())
    bytes_.back() |= 3;
  return *this;
}

nexus_encoder_t& nexus_encoder_t::idle(unsigned count) {
  bytes_.insert(bytes_.end(), count, 0xFF);
  return *this;
}

nexus_encoder_t& nexus_encoder_t::raw(uint8_t byte) {
  bytes_.push_back(byte);
  return *this;
}

nexus_encoder_t& nexus_encoder_t::message(unsigned code, unsigned src,
                                          std::initializer_list<nexus_value_t> fields,
                                          std::optional<uint64_t> tstamp) {
  tcode(code);
  if (has_src_ && src_bits_ > 0) put(fixed(src, src_bits_));
  for (const nexus_value_t& f : fields) put(f);
  if (tstamp) put(var(*tstamp));
  return end();
}

}  // namespace et_test
