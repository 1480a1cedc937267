#pragma once
// The leading bytes of the inputs that configure a target, read by the
// targets and written by the corpus generator.
#include <cstdint>
#include <vector>

#include "etrace/stream/et_stream_geometry.h"
#include "fuzz_support.h"

namespace fuzz {

// The stream reader's configuration: eight bytes.
struct swt_setup_t {
  et_stream_geometry_t geometry{64, 64, 56, 64, 512, 1, false};  // cl_width: up to 255 * 64
  unsigned long hart_mask = 1;                                   // harts 0 to 7
  bool skip_rvt = false, skip_l2t = false, skip_dct = false;

  static swt_setup_t read(input_t& in) {
    swt_setup_t s;
    et_stream_geometry_t& g = s.geometry;
    // Widths of 1 to 64 bits, which the reader takes; the geometry may be one
    // it refuses.
    g.xlen = 1 + in.byte() % 64;
    g.flen = 1 + in.byte() % 64;
    g.paddr_width = 1 + in.byte() % 64;
    g.irf_data_width = 1 + in.byte() % 64;
    g.cl_width = 64ul * in.byte();
    g.cl_chunks = in.byte() % 16;
    s.hart_mask = in.byte();
    const uint8_t flags = in.byte();
    s.skip_rvt = flags & 1;
    s.skip_l2t = flags & 2;
    s.skip_dct = flags & 4;
    g.poison_enable = flags & 8;
    return s;
  }
  std::vector<uint8_t> bytes() const {
    const et_stream_geometry_t& g = geometry;
    return {uint8_t(g.xlen - 1),
            uint8_t(g.flen - 1),
            uint8_t(g.paddr_width - 1),
            uint8_t(g.irf_data_width - 1),
            uint8_t(g.cl_width / 64),
            uint8_t(g.cl_chunks),
            uint8_t(hart_mask),
            uint8_t(skip_rvt | skip_l2t << 1 | skip_dct << 2 | g.poison_enable << 3)};
  }
};

// The Nexus decoder's configuration: three bytes.
struct nexus_setup_t {
  unsigned long xlen = 64;
  bool has_src = false;
  unsigned long src_bits = 0;  // 0 to 27
  unsigned long src_mask = 1;  // sources 0 to 7
  bool nexus_log = false, disasm_log = false, metrics_log = false, stop_on_error = false;

  static nexus_setup_t read(input_t& in) {
    nexus_setup_t s;
    const uint8_t shape = in.byte();
    s.xlen = shape & 1 ? 32 : 64;
    s.has_src = shape & 2;
    // Every width the format allows, 0 to 27 bits.
    s.src_bits = shape >> 2;
    if (s.src_bits > 27) s.src_bits %= 28;
    s.src_mask = in.byte();
    const uint8_t logs = in.byte();
    s.nexus_log = logs & 1;
    s.disasm_log = logs & 2;
    s.metrics_log = logs & 4;
    s.stop_on_error = logs & 8;
    return s;
  }
  std::vector<uint8_t> bytes() const {
    return {uint8_t((xlen == 32) | has_src << 1 | src_bits << 2), uint8_t(src_mask),
            uint8_t(nexus_log | disasm_log << 1 | metrics_log << 2 | stop_on_error << 3)};
  }
};

// The program image both Nexus targets walk: fixed pseudo-random bytes, so a
// mix of branches, jumps and everything else, at program_base.
constexpr uint64_t program_base = 0x1000;
constexpr size_t program_size = 4096;
constexpr uint32_t program_seed = 7;

}  // namespace fuzz
