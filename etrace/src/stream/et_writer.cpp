#include "etrace/stream/et_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <stdexcept>

#include "etrace/stream/et_record.h"

namespace {

std::string system_error_text(int error) {
  return error != 0 ? std::strerror(error) : "unknown error";
}

// A configured width: 1 to 64 bits.
template <class value_t>
void check_width(const char* name, value_t value) {
  if (value < 1 || value > 64)
    throw std::runtime_error(std::string("Error: trace writer width ") + name + " = " +
                             std::to_string(value) + " is outside 1 to 64");
}

void store_le64(uint8_t* out, uint64_t word) {
  for (int i = 0; i < 8; ++i) out[i] = uint8_t(word >> (8 * i));
}

}  // namespace

et_writer_t::et_writer_t(const std::string& path, uint64_t ring_size)
    : path_(path), ring_size_(ring_size) {
  if (ring_size % 8 != 0)
    throw std::runtime_error("Error: trace writer ring size " + std::to_string(ring_size) +
                             " is not a multiple of 8");
  errno = 0;
  file_.open(path, std::ios::out | std::ios::binary | std::ios::trunc);
  if (!file_)
    throw std::runtime_error("Error: fail to open trace file for writing: " + path + ": " +
                             system_error_text(errno));
  if (ring_size_ != 0)
    ring_.reset(new uint8_t[ring_size_]());
  else
    staged_.reset(new uint8_t[staging_size]);
}

et_writer_t::~et_writer_t() {
  if (closed_) return;
  const bool reported = !failure_.empty();
  try {
    close();
  } catch (const std::exception& e) {
    if (!reported) std::cerr << e.what() << std::endl;
  }
}

void et_writer_t::close() {
  if (closed_) return;
  // The padding records are written before the writer counts as closed; a
  // failure closes it all the same.
  try {
    // After a failed write the stream has a gap: nothing more is written.
    if (failure_.empty()) complete_stream();
  } catch (const std::exception&) {
    closed_ = true;
    file_.close();
    throw;
  }
  closed_ = true;
  // The file stream's own buffer is written here: on a full disk this is
  // where the last bytes fail.
  errno = 0;
  file_.close();
  if (file_.fail() && failure_.empty()) fail_write(errno);
  if (!failure_.empty()) throw std::runtime_error(failure_);
}

void et_writer_t::complete_stream() {
  // Complete the last word with TSD1 records of delta 0. When the pending
  // byte count is odd the last delta byte stays pending and is dropped.
  if (pending_bits_ != 0)
    for (unsigned count = pending_bits_ / 8; count <= 7; count += 2) record_tsd1(0);
  if (ring_size_ != 0)
    write_ring_to_file();
  else
    flush_staged();
}

void et_writer_t::configure(int xlen, int flen, int irf, int va, int pa) {
  check_width("xlen", xlen);
  check_width("flen", flen);
  check_width("irf", irf);
  check_width("va", va);
  check_width("pa", pa);
  wire_.set(et_wire_size_t::XLEN, unsigned(xlen));
  wire_.set(et_wire_size_t::FLEN, unsigned(flen));
  wire_.set(et_wire_size_t::IRF, unsigned(irf));
  wire_.set(et_wire_size_t::VA, unsigned(va));
  wire_.set(et_wire_size_t::PADDR, unsigned(pa));
  wire_.set(et_wire_size_t::STD, unsigned(std::max(xlen, flen)));
  configured_ = true;
}

void et_writer_t::configure(const et_stream_geometry_t& geometry) {
  check_width("xlen", geometry.xlen);
  check_width("flen", geometry.flen);
  check_width("irf", geometry.irf_data_width);
  check_width("va", geometry.xlen);
  check_width("pa", geometry.paddr_width);
  wire_ = et_wire_format_t(geometry);
  configured_ = true;
}

void et_writer_t::throw_bad_bit_count(uint64_t bits) {
  throw std::runtime_error("Error: trace writer cannot append " + std::to_string(bits) +
                           " bits at once (at most 64)");
}

void et_writer_t::throw_closed() const {
  throw std::logic_error("trace writer for '" + path_ + "' is closed");
}

void et_writer_t::require(unsigned code) const {
  const et_wire_record_t& record = *et_wire::find(code);
  if (!configured_ && et_wire::needs_geometry(record))
    throw std::runtime_error(std::string("Error: trace writer: ") + record.name +
                             " written before configure()");
}

void et_writer_t::emit_word(uint64_t word) {
  if (ring_size_ != 0) {
    store_le64(&ring_[byte_count_ % ring_size_], word);
    byte_count_ += 8;
    return;
  }
  store_le64(&staged_[staged_bytes_], word);
  staged_bytes_ += 8;
  if (staged_bytes_ == staging_size) flush_staged();
}

void et_writer_t::flush_staged() {
  const size_t size = staged_bytes_;
  staged_bytes_ = 0;
  write_bytes(staged_.get(), size);
}

void et_writer_t::write_bytes(const uint8_t* data, uint64_t size) {
  if (size == 0) return;
  errno = 0;
  file_.write(reinterpret_cast<const char*>(data), std::streamsize(size));
  if (!file_) fail_write(errno);
}

void et_writer_t::fail_write(int error) {
  if (failure_.empty())
    failure_ = "Error: fail to write trace file: " + path_ + ": " + system_error_text(error);
  throw std::runtime_error(failure_);
}

void et_writer_t::drop_old_sync_points() {
  while (!sync_points_.empty() && sync_points_.front() + ring_size_ < byte_count_)
    sync_points_.pop_front();
}

void et_writer_t::write_ring_to_file() {
  if (byte_count_ < ring_size_) {
    write_bytes(ring_.get(), byte_count_);
    return;
  }
  drop_old_sync_points();
  const uint64_t begin = sync_points_.empty() ? byte_count_ : sync_points_.front();
  const uint64_t begin_offset = begin % ring_size_;
  const uint64_t end_offset = byte_count_ % ring_size_;
  if (begin == byte_count_ || begin_offset >= end_offset) {
    // The kept bytes wrap around the end of the ring.
    write_bytes(&ring_[begin_offset], ring_size_ - begin_offset);
    write_bytes(ring_.get(), end_offset);
  } else {
    write_bytes(&ring_[begin_offset], end_offset - begin_offset);
  }
}

// That the writer is open, and every width, is checked (and may throw)
// before the record's first bit is written. The record's fields come from the
// wire-format table at compile time: the fixed widths are constants, the
// others the configured ones.
template <unsigned code, class... values_t>
void et_writer_t::record(values_t... values) {
  constexpr const et_wire_record_t& layout = et_wire::record_of<code>();
  static_assert(sizeof...(values) == layout.field_count, "one value for each field");
  check_open();
  if constexpr (et_wire::needs_geometry(layout)) require(code);
  const uint64_t value[] = {uint64_t(values)...};
  put_bits(code, et_wire::header_bits);
  for (std::size_t i = 0; i < sizeof...(values); ++i)
    put_bits(value[i], wire_.bits(layout.fields[i]));
  end_record();
}

void et_writer_t::record_tsd1(uint8_t delta) { record<MH_TSD1>(delta); }

void et_writer_t::record_swt_hart(uint8_t hart) { record<MH_SWT_HART>(hart); }

void et_writer_t::record_swt_is(uint64_t uiid, uint8_t pril, uint64_t chunk) {
  check_open();  // before the issue count and the sync points change
  if (++issue_count_ == 0 && ring_size_ != 0) {
    // Every 256th issue record starts a point from which a kept ring can be
    // read; records always end on a byte boundary, so pending bits are bytes.
    drop_old_sync_points();
    sync_points_.push_back(byte_count_ + pending_bits_ / 8);
  }
  // The piid is the uiid's low bits.
  record<MH_SWT_IS>(uiid, pril, chunk);
}

void et_writer_t::record_swt_irfra(uint16_t piid, uint8_t selector, uint8_t reg) {
  record<MH_SWT_IRFRA>(piid, selector, reg);
}

void et_writer_t::record_swt_irfrd(uint16_t piid, uint8_t selector, uint64_t value) {
  record<MH_SWT_IRFRD>(piid, selector, value);
}

void et_writer_t::record_swt_irfwa(uint16_t piid, uint8_t reg) { record<MH_SWT_IRFWA>(piid, reg); }

void et_writer_t::record_swt_irfwd(uint16_t piid, uint64_t value) {
  record<MH_SWT_IRFWD>(piid, value);
}

void et_writer_t::record_swt_frfra(uint16_t piid, uint8_t selector, uint8_t reg) {
  record<MH_SWT_FRFRA>(piid, selector, reg);
}

void et_writer_t::record_swt_frfrd(uint16_t piid, uint8_t selector, uint64_t value) {
  record<MH_SWT_FRFRD>(piid, selector, value);
}

void et_writer_t::record_swt_frfwa(uint16_t piid, uint8_t reg) { record<MH_SWT_FRFWA>(piid, reg); }

void et_writer_t::record_swt_frfwd(uint16_t piid, uint64_t value) {
  record<MH_SWT_FRFWD>(piid, value);
}

void et_writer_t::record_swt_fr(uint16_t piid, bool bit) { record<MH_SWT_FR>(piid, bit); }

void et_writer_t::record_swt_va(uint16_t piid, uint64_t address) {
  record<MH_SWT_VA>(piid, address);
}

void et_writer_t::record_swt_pa(uint16_t piid, uint64_t address) {
  record<MH_SWT_PA>(piid, address);
}

void et_writer_t::record_swt_std(uint16_t piid, uint64_t data) { record<MH_SWT_STD>(piid, data); }

void et_writer_t::record_swt_cm(uint16_t piid, uint64_t pc, bool frcm, bool trap, uint64_t cause,
                                bool trig) {
  check_open();  // a closed writer says so before a width it lacks
  require(MH_SWT_CM);
  const unsigned interrupt_bit = wire_.size(et_wire_size_t::XLEN) - 1;
  record<MH_SWT_CM>(piid, pc, frcm, trap, cause >> interrupt_bit, cause, trig);
}
