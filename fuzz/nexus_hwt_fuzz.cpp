// The Nexus decoder taking its instruction words from a small fixed HWT
// trace: the program's words in order, with trapped, uncommitted and
// environment-call records among them.
#include <cstring>
#include <memory>

#include "nexus_fuzz.h"
#include "support/elf_writer.h"
#include "support/trace_builder.h"

namespace {

et_test::trace_builder_t& hwt_trace() {
  static et_test::trace_builder_t trace;
  static const bool built = [] {
    const std::vector<uint8_t> words =
        et_test::pattern_bytes(fuzz::program_size, fuzz::program_seed);
    trace.hart(0);
    for (uint64_t k = 0; 4 * k < words.size(); ++k) {
      uint32_t word;
      std::memcpy(&word, &words[4 * k], sizeof word);
      et_insn_t insn = et_test::make_insn(k, fuzz::program_base + 4 * k, word);
      if (k % 13 == 5) {
        insn.trap = 1;
        insn.cause = 2;  // illegal instruction
      } else if (k % 17 == 3) {
        insn.trap = 1;
        insn.cause = 11;  // environment call
      } else if (k % 19 == 7) {
        insn.committed = 0;
      }
      trace.insn(insn);
    }
    trace.finish();
    return true;
  }();
  (void)built;
  return trace;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  et_test::trace_builder_t& trace = hwt_trace();
  const auto hwt = std::make_unique<mh_swt_reader_t>(trace.path(), 1, true, true, true,
                                                     trace.config().geometry());
  fuzz::input_t in(data, size);
  fuzz::decode_messages(in, {}, hwt);
  return 0;
}
