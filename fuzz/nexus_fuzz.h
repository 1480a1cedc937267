#pragma once
// One decoding run of the Nexus targets: the configuration from the first
// bytes, the messages from the rest.
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "disasm/disassembler.h"
#include "etrace/mh_swt_reader.h"
#include "etrace/nexus/nexus_decoder.h"
#include "fuzz_inputs.h"
#include "fuzz_support.h"

namespace fuzz {

// A walk of more steps than this per message ends the run: with the default
// cap one short message could walk for hours.
constexpr uint64_t fuzz_walk_cap = 4096;

inline void decode_messages(input_t& in, const std::vector<std::string>& elf_paths,
                            const std::unique_ptr<mh_swt_reader_t>& hwt) {
  const quiet_streams_t quiet;  // the metrics lines
  const nexus_setup_t s = nexus_setup_t::read(in);
  const std::string path =
      scratch_dir_t::get().write("messages.nx", in.rest_data(), in.rest_size());
  nexus_decoder_t nexus(s.xlen, s.has_src, s.src_bits);
  nexus.set_walk_cap(fuzz_walk_cap);
  // Building the instruction table takes longer than a short walk.
  static const disassembler_t rv32(32), rv64(64);
  nexus.use_disassembler(s.xlen == 32 ? &rv32 : &rv64);
  if (s.nexus_log) nexus.enable_nexus_log();
  if (s.disasm_log) nexus.enable_disasm_log();
  if (s.metrics_log) nexus.enable_metrics_log();
  try {
    nexus.decode(s.src_mask, null_stream(), path, elf_paths, hwt, s.stop_on_error);
  } catch (const std::runtime_error& e) {
    if (*e.what() == '\0') fail("an error without a message");
  }
}

}  // namespace fuzz
