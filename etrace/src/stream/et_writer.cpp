#include "stream/et_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "stream/et_record.h"

namespace {

std::string system_error_text(int error)
{
  return error != 0 ? std::strerror(error) : "unknown error";
}

void store_le64(uint8_t* out, uint64_t word)
{
  for (int i = 0; i < 8; ++i) out[i] = uint8_t(word >> (8 * i));
}

}  // namespace

et_writer_t::et_writer_t(const std::string& path, uint64_t ring_size)
    : path_(path), piid_width_(10), ring_size_(ring_size)
{
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

et_writer_t::~et_writer_t()
{
  // Errors cannot leave a destructor; whatever could be written has been.
  try {
    // Complete the last word with TSD1 records of delta 0. When the pending
    // byte count is odd the last delta byte stays pending and is dropped.
    if (pending_bits_ != 0)
      for (unsigned count = pending_bits_ / 8; count <= 7; count += 2) record_tsd1(0);
    if (ring_size_ != 0)
      write_ring_to_file();
    else
      flush_staged();
  } catch (const std::exception&) {
  }
  file_.close();
}

void et_writer_t::configure(int xlen, int flen, int irf, int va, int pa)
{
  const struct {
    const char* name;
    int value;
  } widths[] = {{"xlen", xlen}, {"flen", flen}, {"irf", irf}, {"va", va}, {"pa", pa}};
  for (const auto& w : widths)
    if (w.value < 1 || w.value > 64)
      throw std::runtime_error(std::string("Error: trace writer width ") + w.name + " = " +
                               std::to_string(w.value) + " is outside 1 to 64");
  xlen_ = xlen;
  flen_ = flen;
  irf_ = irf;
  va_ = va;
  pa_ = pa;
}

void et_writer_t::throw_bad_bit_count(uint64_t bits)
{
  throw std::runtime_error("Error: trace writer cannot append " + std::to_string(bits) +
                           " bits at once (at most 64)");
}

unsigned et_writer_t::width(int configured, const char* record) const
{
  if (configured == 0)
    throw std::runtime_error(std::string("Error: trace writer: ") + record +
                             " written before configure()");
  return unsigned(configured);
}

void et_writer_t::emit_word(uint64_t word)
{
  if (ring_size_ != 0) {
    store_le64(&ring_[byte_count_ % ring_size_], word);
    byte_count_ += 8;
    return;
  }
  store_le64(&staged_[staged_bytes_], word);
  staged_bytes_ += 8;
  if (staged_bytes_ == staging_size) flush_staged();
}

void et_writer_t::flush_staged()
{
  const size_t size = staged_bytes_;
  staged_bytes_ = 0;
  write_bytes(staged_.get(), size);
}

void et_writer_t::write_bytes(const uint8_t* data, uint64_t size)
{
  if (size == 0) return;
  errno = 0;
  file_.write(reinterpret_cast<const char*>(data), std::streamsize(size));
  if (!file_)
    throw std::runtime_error("Error: fail to write trace file: " + path_ + ": " +
                             system_error_text(errno));
}

void et_writer_t::drop_old_sync_points()
{
  while (!sync_points_.empty() && sync_points_.front() + ring_size_ < byte_count_)
    sync_points_.pop_front();
}

void et_writer_t::write_ring_to_file()
{
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

void et_writer_t::piid_record(unsigned code, uint16_t piid, std::initializer_list<field_t> fields)
{
  append(code, 8);
  append(piid, unsigned(piid_width_));
  for (const field_t& field : fields) append(field.value, field.bits);
  end_record();
}

void et_writer_t::record_tsd1(uint8_t delta)
{
  append(MH_TSD1, 8);
  append(delta, 8);
}

void et_writer_t::record_swt_hart(uint8_t hart)
{
  append(MH_SWT_HART, 8);
  append(hart, 8);
}

void et_writer_t::record_swt_is(uint64_t uiid, uint8_t pril, uint64_t chunk)
{
  if (++issue_count_ == 0 && ring_size_ != 0) {
    // Every 256th issue record starts a point from which a kept ring can be
    // read; records always end on a byte boundary, so pending bits are bytes.
    drop_old_sync_points();
    sync_points_.push_back(byte_count_ + pending_bits_ / 8);
  }
  piid_record(MH_SWT_IS, uint16_t(uiid), {{pril, 2}, {chunk, 64}});
}

// The widths are looked up (and may throw) before the record's first bit is
// written: braced lists are evaluated before the call.

void et_writer_t::record_swt_irfra(uint16_t piid, uint8_t selector, uint8_t reg)
{
  piid_record(MH_SWT_IRFRA, piid, {{selector, 4}, {reg, 5}});
}

void et_writer_t::record_swt_irfrd(uint16_t piid, uint8_t selector, uint64_t value)
{
  piid_record(MH_SWT_IRFRD, piid, {{selector, 4}, {value, width(irf_, "SWT_IRFRD")}});
}

void et_writer_t::record_swt_irfwa(uint16_t piid, uint8_t reg)
{
  piid_record(MH_SWT_IRFWA, piid, {{reg, 5}});
}

void et_writer_t::record_swt_irfwd(uint16_t piid, uint64_t value)
{
  piid_record(MH_SWT_IRFWD, piid, {{value, width(irf_, "SWT_IRFWD")}});
}

void et_writer_t::record_swt_frfra(uint16_t piid, uint8_t selector, uint8_t reg)
{
  piid_record(MH_SWT_FRFRA, piid, {{selector, 4}, {reg, 5}});
}

void et_writer_t::record_swt_frfrd(uint16_t piid, uint8_t selector, uint64_t value)
{
  piid_record(MH_SWT_FRFRD, piid, {{selector, 4}, {value, width(flen_, "SWT_FRFRD")}});
}

void et_writer_t::record_swt_frfwa(uint16_t piid, uint8_t reg)
{
  piid_record(MH_SWT_FRFWA, piid, {{reg, 5}});
}

void et_writer_t::record_swt_frfwd(uint16_t piid, uint64_t value)
{
  piid_record(MH_SWT_FRFWD, piid, {{value, width(flen_, "SWT_FRFWD")}});
}

void et_writer_t::record_swt_fr(uint16_t piid, bool bit) { piid_record(MH_SWT_FR, piid, {{bit, 1}}); }

void et_writer_t::record_swt_va(uint16_t piid, uint64_t address)
{
  piid_record(MH_SWT_VA, piid, {{address, width(va_, "SWT_VA")}});
}

void et_writer_t::record_swt_pa(uint16_t piid, uint64_t address)
{
  piid_record(MH_SWT_PA, piid, {{address, width(pa_, "SWT_PA")}});
}

void et_writer_t::record_swt_std(uint16_t piid, uint64_t data)
{
  const unsigned data_width = std::max(width(xlen_, "SWT_STD"), width(flen_, "SWT_STD"));
  piid_record(MH_SWT_STD, piid, {{data, data_width}});
}

void et_writer_t::record_swt_cm(uint16_t piid, uint64_t pc, bool frcm, bool trap, uint64_t cause,
                                bool trig)
{
  const unsigned interrupt_bit = width(xlen_, "SWT_CM") - 1;
  piid_record(MH_SWT_CM, piid,
              {{pc, width(va_, "SWT_CM")}, {frcm, 1}, {trap, 1}, {cause >> interrupt_bit, 1}, {cause, 6}, {trig, 1}});
}
