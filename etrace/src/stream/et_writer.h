#pragma once
// Writer of the binary trace record stream: one call per record. Bits are
// packed into 64-bit words; without a ring the words go to the file, in ring
// mode into a fixed-size memory ring that keeps the latest part of the stream
// and is written to the file, from a sync point on, when the stream is
// closed.
#include <cstdint>
#include <deque>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <string>

#include "etrace/stream/et_stream_geometry.h"
#include "etrace/stream/et_wire_format.h"

class et_writer_t {
public:
  // Creates or truncates the file. ring_size 0 writes straight to the file;
  // otherwise it is the ring's size in bytes, a multiple of 8. Throws
  // std::runtime_error when the file cannot be opened or the size is bad.
  et_writer_t(const std::string& path, uint64_t ring_size);
  // Closes the stream when the caller did not. A failure cannot be thrown
  // from here: it is written as one line on standard error, unless a write
  // already threw it.
  virtual ~et_writer_t();

  et_writer_t(const et_writer_t&) = delete;
  et_writer_t& operator=(const et_writer_t&) = delete;

  // Field widths in bits, each 1..64 (std::runtime_error otherwise): register
  // width, floating-point width, integer register value width, virtual-address
  // width and physical-address width. Records that carry such a field throw
  // until this has been called.
  void configure(int xlen, int flen, int irf, int va, int pa);
  // The widths of a stream geometry, virtual addresses XLEN wide, as the
  // stream reader reads them.
  void configure(const et_stream_geometry_t& geometry);

  // Appends the low `bits` bits (0..64) of value to the stream.
  void append(uint64_t value, uint64_t bits) {
    check_open();
    put_bits(value, bits);
  }

  // Each throws std::logic_error, writing nothing, once the stream is closed.
  void record_tsd1(uint8_t delta);
  void record_swt_hart(uint8_t hart);
  void record_swt_is(uint64_t uiid, uint8_t pril, uint64_t chunk);
  void record_swt_irfra(uint16_t piid, uint8_t selector, uint8_t reg);
  void record_swt_irfrd(uint16_t piid, uint8_t selector, uint64_t value);
  void record_swt_irfwa(uint16_t piid, uint8_t reg);
  void record_swt_irfwd(uint16_t piid, uint64_t value);
  void record_swt_frfra(uint16_t piid, uint8_t selector, uint8_t reg);
  void record_swt_frfrd(uint16_t piid, uint8_t selector, uint64_t value);
  void record_swt_frfwa(uint16_t piid, uint8_t reg);
  void record_swt_frfwd(uint16_t piid, uint64_t value);
  void record_swt_fr(uint16_t piid, bool bit);
  void record_swt_va(uint16_t piid, uint64_t address);
  void record_swt_pa(uint16_t piid, uint64_t address);
  void record_swt_std(uint16_t piid, uint64_t data);
  // The commit flags carry bit xlen-1 of cause as the interrupt bit and the
  // low 6 bits of cause as the cause code.
  void record_swt_cm(uint16_t piid, uint64_t pc, bool frcm, bool trap, uint64_t cause, bool trig);

  // Completes the stream: pads the last word with TSD1 records, writes the
  // ring in ring mode, and closes the file. Throws std::runtime_error naming
  // the file and the system's reason when any of it fails, and again when an
  // earlier write failed: the file is then incomplete. Later calls do nothing;
  // a later write throws std::logic_error.
  void close();

private:
  // Every write checks this first, so that nothing of it reaches the stream.
  void check_open() const {
    if (closed_) throw_closed();
  }
  [[noreturn]] void throw_closed() const;
  void put_bits(uint64_t value, uint64_t bits) {
    if (bits == 0) return;
    if (bits > 64) throw_bad_bit_count(bits);
    const uint64_t v = bits == 64 ? value : value & ((uint64_t(1) << bits) - 1);
    buffer_ |= v << pending_bits_;
    const unsigned total = pending_bits_ + unsigned(bits);
    if (total < 64) {
      pending_bits_ = uint8_t(total);
      return;
    }
    emit_word(buffer_);
    pending_bits_ = uint8_t(total - 64);
    // The bits of v that did not fit; none when exactly 64 were reached.
    buffer_ = pending_bits_ ? v >> (64 - (total - unsigned(bits))) : 0;
  }
  void emit_word(uint64_t word);
  void complete_stream();  // padding, then the ring or the staged words
  void flush_staged();
  void end_record() { put_bits(0, (8 - pending_bits_ % 8) % 8); }
  // Throws unless the widths that record `code` needs are configured.
  void require(unsigned code) const;
  // Header code, the values of the record's fields (et_wire_format.h) in
  // order, padding.
  template <unsigned code, class... values_t>
  void record(values_t... values);
  void drop_old_sync_points();
  void write_ring_to_file();
  void write_bytes(const uint8_t* data, uint64_t size);
  // Remembers the first failure and throws it.
  [[noreturn]] void fail_write(int error);
  [[noreturn]] static void throw_bad_bit_count(uint64_t bits);

  std::ofstream file_;
  std::string path_;     // for error messages
  std::string failure_;  // the first write failure, thrown once already
  bool closed_ = false;
  et_wire_format_t wire_;    // the field widths
  bool configured_ = false;  // configure has been called
  uint64_t ring_size_;
  uint64_t byte_count_ = 0;  // bytes stored into the ring so far (ring mode only)
  std::unique_ptr<uint8_t[]> ring_;
  std::deque<uint64_t> sync_points_{0};  // stream byte positions, oldest first
  uint8_t issue_count_ = 0;              // wraps every 256 issue records
  uint64_t buffer_ = 0;
  uint8_t pending_bits_ = 0;

  // Without a ring, words are staged here and written in blocks.
  static constexpr size_t staging_size = 8192;
  std::unique_ptr<uint8_t[]> staged_;
  size_t staged_bytes_ = 0;
};
