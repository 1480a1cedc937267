#include "stream/mh_rvt_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "stream/et_record.h"

namespace {

// The byte length of a payload of piid + the given bits, padding included.
constexpr uint8_t payload_bytes(unsigned long bits) { return uint8_t((bits + 7) / 8); }

}  // namespace

mh_rvt_reader_t::mh_rvt_reader_t(const std::string& path, int xlen, int flen,
                                 unsigned long paddr_width, unsigned long irf_data_width)
    : et_reader_t(path),
      flen_(flen),
      va_width_(xlen),
      paddr_width_(paddr_width),
      irf_data_width_(irf_data_width)
{
  check_width("XLEN", xlen);
  check_width("FLEN", flen);
  check_width("PADDR_WIDTH", paddr_width);
  check_width("IRF_DATA_WIDTH", irf_data_width);

  const unsigned long piid = 10;
  const unsigned long xlen_bits = unsigned(va_width_);
  const unsigned long flen_bits = unsigned(flen_);
  uint8_t* len = payload_bytes_;
  len[MH_TSD1] = 1;
  len[MH_SWT_RVT] = 8;
  len[MH_SWT_HART] = 1;
  len[MH_SWT_IS] = payload_bytes(piid + 2 + 64);
  len[MH_SWT_IRFRA] = payload_bytes(piid + 4 + 5);
  len[MH_SWT_IRFRD] = payload_bytes(piid + 4 + irf_data_width_);
  len[MH_SWT_IRFWA] = payload_bytes(piid + 5);
  len[MH_SWT_IRFWD] = payload_bytes(piid + irf_data_width_);
  len[MH_SWT_FRFRA] = payload_bytes(piid + 4 + 5);
  len[MH_SWT_FRFRD] = payload_bytes(piid + 4 + flen_bits);
  len[MH_SWT_FRFWA] = payload_bytes(piid + 5);
  len[MH_SWT_FRFWD] = payload_bytes(piid + flen_bits);
  len[MH_SWT_FR] = payload_bytes(piid + 1);
  len[MH_SWT_VA] = payload_bytes(piid + xlen_bits);
  len[MH_SWT_PA] = payload_bytes(piid + paddr_width_);
  len[MH_SWT_STD] = payload_bytes(piid + std::max(xlen_bits, flen_bits));
  len[MH_SWT_CM] = payload_bytes(piid + xlen_bits + 10);

  file_ = open_trace(path, fd_);
}

mh_rvt_reader_t::~mh_rvt_reader_t()
{
  if (file_ != nullptr) fclose(file_);  // closes fd_ too
}

et_object_t* mh_rvt_reader_t::get_next_object() { throw std::runtime_error("Not suitable call"); }

bool mh_rvt_reader_t::read_bytes(void* into, std::size_t size)
{
  errno = 0;
  const std::size_t got = fread(into, 1, size, file_);
  position_ += got;
  if (got == size) return true;
  // A failing read is no end of the data: the rest of the trace is lost.
  if (ferror(file_))
    throw std::runtime_error("Error: fail to read trace file: " + path + " at position " +
                             std::to_string(position_) + ": " +
                             std::strerror(errno != 0 ? errno : EIO));
  return false;
}

unsigned long mh_rvt_reader_t::extract(void* buffer, unsigned long n)
{
  if (failure_) std::rethrow_exception(failure_);
  unsigned long count = 0;
  try {
    copy_words(static_cast<uint8_t*>(buffer), n, count);
  } catch (...) {
    // The words copied before a bad record are returned first; the error
    // follows at the next call.
    if (count == 0) throw;
    failure_ = std::current_exception();
  }
  return count;
}

void mh_rvt_reader_t::copy_words(uint8_t* out, unsigned long n, unsigned long& count)
{
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
