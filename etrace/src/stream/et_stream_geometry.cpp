#include "etrace/stream/et_stream_geometry.h"

#include <stdexcept>
#include <string>

namespace {

[[noreturn]] void throw_bad_width(const char* name, const std::string& value) {
  throw std::runtime_error(std::string("Invalid ") + name + ": " + value +
                           " (a trace field width must be 1 to 64 bits)");
}

void check_width(const char* name, int value) {
  if (value < 1 || value > 64) throw_bad_width(name, std::to_string(value));
}

void check_width(const char* name, unsigned long value) {
  if (value < 1 || value > 64) throw_bad_width(name, std::to_string(value));
}

}  // namespace

void et_stream_geometry_t::check_widths() const {
  check_width("XLEN", xlen);
  check_width("FLEN", flen);
  check_width("PADDR_WIDTH", paddr_width);
  check_width("IRF_DATA_WIDTH", irf_data_width);
}

void et_stream_geometry_t::check() const {
  check_widths();
  if (cl_chunks == 0)
    throw std::runtime_error("Invalid CL_CHUNKS: 0 (a cache line needs at least one chunk)");
  const uint64_t words = cl_width / cl_chunks / 64;
  if (words > 8)
    throw std::runtime_error("Invalid cache-line geometry: CL_WIDTH " + std::to_string(cl_width) +
                             " in CL_CHUNKS " + std::to_string(cl_chunks) + " gives " +
                             std::to_string(words) + " data words per chunk (at most 8)");
}

bool operator==(const et_stream_geometry_t& a, const et_stream_geometry_t& b) {
  return a.xlen == b.xlen && a.flen == b.flen && a.paddr_width == b.paddr_width &&
         a.irf_data_width == b.irf_data_width && a.cl_width == b.cl_width &&
         a.cl_chunks == b.cl_chunks && a.poison_enable == b.poison_enable;
}
