#include "etrace/stream/mh_rvt_reader.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "etrace/stream/et_record.h"
#include "etrace/stream/et_wire_format.h"

mh_rvt_reader_t::mh_rvt_reader_t(const std::string& path, const et_stream_geometry_t& geometry)
    : et_reader_t(path) {
  geometry.check_widths();
  // The stream's own records, the RVT words and the instruction records.
  const et_wire_format_t wire(geometry);
  for (const et_wire_record_t& record : et_wire::records)
    if (record.group == et_wire_group_t::STREAM || record.group == et_wire_group_t::RVT ||
        record.group == et_wire_group_t::INSN)
      payload_bytes_[record.code] = uint8_t(wire.record_bytes(record.code) - 1);

  file_ = open_trace(path, fd_);
}

mh_rvt_reader_t::mh_rvt_reader_t(const std::string& path, int xlen, int flen,
                                 unsigned long paddr_width, unsigned long irf_data_width)
    : mh_rvt_reader_t(path, et_stream_geometry_t{xlen, flen, paddr_width, irf_data_width}) {}

mh_rvt_reader_t::~mh_rvt_reader_t() {
  if (file_ != nullptr) fclose(file_);  // closes fd_ too
}

et_object_t* mh_rvt_reader_t::get_next_object() { throw std::runtime_error("Not suitable call"); }

bool mh_rvt_reader_t::read_bytes(void* into, std::size_t size) {
  errno = 0;
  const std::size_t got = fread(into, 1, size, file_);
  position_ += got;
  if (got == size) return true;
  // A failing read is no end of the data: the rest of the trace is lost.
  if (ferror(file_))
    throw read_error(path, position_, errno);
  return false;
}

unsigned long mh_rvt_reader_t::extract(void* buffer, unsigned long n) {
  if (failure_) std::rethrow_exception(failure_);
  unsigned long count = 0;
  try {
    copy_words(static_cast<uint8_t*>(buffer), n, count);
  } catch (...) {
    // The error stands for every later call: the stream cannot be walked
    // past a record of unknown length. The words copied before it are
    // returned first, and the error follows at the next call.
    failure_ = std::current_exception();
    if (count == 0) throw;
  }
  return count;
}

void mh_rvt_reader_t::copy_words(uint8_t* out, unsigned long n, unsigned long& count) {
  uint8_t discard[256];
  while (count < n) {
    const uint64_t header_position = position_;
    uint8_t code;
    if (!read_bytes(&code, 1)) break;
    const uint8_t length = payload_bytes_[code];
    if (length == 0)
      throw std::runtime_error("Unknown header: " + std::to_string(code) + " at position " +
                               std::to_string(header_position) + "!");
    if (code == MH_SWT_RVT) {
      // Words are stored as they stand: the stream is little-endian.
      if (!read_bytes(out + count, length)) break;
      count += length;
    } else if (!read_bytes(discard, length)) {
      break;
    }
  }
}
