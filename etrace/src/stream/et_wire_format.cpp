#include "etrace/stream/et_wire_format.h"

et_wire_format_t::et_wire_format_t(const et_stream_geometry_t& geometry) {
  set(et_wire_size_t::XLEN, unsigned(geometry.xlen));
  set(et_wire_size_t::FLEN, unsigned(geometry.flen));
  set(et_wire_size_t::VA, geometry.va_width());
  set(et_wire_size_t::PADDR, unsigned(geometry.paddr_width));
  set(et_wire_size_t::IRF, unsigned(geometry.irf_data_width));
  set(et_wire_size_t::STD, geometry.std_width());
  set(et_wire_size_t::WD_WORDS, geometry.wd_words());
  set(et_wire_size_t::PSN, geometry.poison_enable ? geometry.wd_words() : 0);
  set(et_wire_size_t::CN, geometry.cn_width());
}

uint64_t et_wire_format_t::payload_bits(const et_wire_record_t& record) const {
  uint64_t total = 0;
  for (const et_wire_field_t& field : record) total += uint64_t(bits(field)) * count(field);
  return total;
}

uint64_t et_wire_format_t::record_bytes(unsigned long code) const {
  const et_wire_record_t* record = et_wire::find(code);
  if (record == nullptr) return 0;
  return 1 + (payload_bits(*record) + 7) / 8;
}
