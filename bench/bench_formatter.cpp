// Speed of the "swt" line, of one record of every format through the
// formatter interface, and of the user-supplied integer conversions behind
// the time-stamp and uiid columns, on a small mix of instructions (register,
// immediate, load, store, floating-point, branch and compressed forms) whose
// disassembly fields are filled by the disassembler.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "disasm/disasm_insn.h"
#include "disasm/disassembler.h"
#include "etrace/formatters/et_ingress_formatter.h"
#include "etrace/formatters/et_pconly_formatter.h"
#include "etrace/formatters/et_printf_format.h"
#include "etrace/formatters/et_raw_formatter.h"
#include "etrace/formatters/et_swt_formatter.h"
#include "etrace/records/et_insn.h"

namespace {

et_reg_t reg(uint64_t addr, uint64_t data) { return et_reg_t{1, addr, 1, data}; }

// The mix, one record per word, with every operand register given a value.
std::vector<et_insn_t> make_records() {
  const uint32_t words[] = {
      0x00c58533,  // add    a0, a1, a2
      0x00150513,  // addi   a0, a0, 1
      0x00853583,  // ld     a1, 8(a0)
      0x00b53823,  // sd     a1, 16(a0)
      0x00c5f553,  // fadd.s fa0, fa1, fa2
      0x00b50463,  // beq    a0, a1, 8
      0x00000505,  // c.addi a0, 1
  };
  const disassembler_t disassembler(64);
  std::vector<et_insn_t> records;
  uint64_t cycle = 1000, pc = 0x80000000;
  for (int pass = 0; pass < 64; ++pass) {
    for (uint32_t word : words) {
      et_insn_t in{};
      in.uiid = records.size();
      in.hart = uint16_t(pass & 1);
      in.pril = 3;
      in.committed = 1;
      in.pc = pc;
      in.chunk = word;
      in.commit_cycle = cycle;
      in.fill_disasm_fields(disassembler, true);
      in.rs1 = reg(11, cycle * 3);
      in.rs2 = reg(12, cycle * 5);
      in.rd = reg(10, cycle * 7);
      in.frs1 = reg(11, 0x3f800000);
      in.frs2 = reg(12, 0x40000000);
      in.frd = reg(10, 0x40400000);
      in.ea_valid = 1;
      in.ea = 0x80001000 + 8 * (records.size() % 64);
      in.pa_valid = 1;
      in.pa = in.ea;
      in.sd_valid = 1;
      in.sd = cycle;
      records.push_back(in);
      pc += (word & 3) == 3 ? 4 : 2;
      cycle += 1 + records.size() % 5;
    }
  }
  return records;
}

// One record of each format by the buffer path, as the formatter program
// builds them in its output file's buffer.
void BM_Record(benchmark::State& state, std::unique_ptr<et_buffered_formatter_t> (*make)()) {
  const std::vector<et_insn_t> records = make_records();
  const std::unique_ptr<et_buffered_formatter_t> formatter = make();
  char record[et_buffered_formatter_t::max_record];
  uint64_t bytes = 0;
  for (auto _ : state) {
    for (const et_insn_t& in : records) {
      bytes += formatter->build_record(record, in);
      benchmark::DoNotOptimize(record);
    }
  }
  state.SetItemsProcessed(int64_t(state.iterations() * records.size()));
  state.SetBytesProcessed(int64_t(bytes));
}
// "swt" with the time-stamp, uiid and chunk columns, as
// `quendle -f swt --cc --uiid --ts` writes it.
BENCHMARK_CAPTURE(
    BM_Record, swt, +[]() -> std::unique_ptr<et_buffered_formatter_t> {
      return std::make_unique<et_swt_formatter_t>(64, 64, 40, true, true, true, false, false,
                                                  "10ld", "08lx", "-30s");
    });
BENCHMARK_CAPTURE(
    BM_Record, raw, +[]() -> std::unique_ptr<et_buffered_formatter_t> {
      return std::make_unique<et_raw_formatter_t>();
    });
BENCHMARK_CAPTURE(
    BM_Record, pconly, +[]() -> std::unique_ptr<et_buffered_formatter_t> {
      return std::make_unique<et_pconly_formatter_t>();
    });
BENCHMARK_CAPTURE(
    BM_Record, ingress, +[]() -> std::unique_ptr<et_buffered_formatter_t> {
      return std::make_unique<et_ingress_formatter_t>(64);
    });

// The default conversions of the two columns, one that takes the general
// path (a precision), and one with text around the conversion.
void BM_IntFormat(benchmark::State& state, const char* spec) {
  const et_int_format_t format(spec);
  char out[et_int_format_t::max_output];
  uint64_t value = 12345, length = 0;
  for (auto _ : state) {
    length += format.format(out, value);
    benchmark::DoNotOptimize(out);
    value += 7919;
  }
  benchmark::DoNotOptimize(length);
  state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK_CAPTURE(BM_IntFormat, timestamp_10ld, "10ld");
BENCHMARK_CAPTURE(BM_IntFormat, uiid_08lx, "08lx");
BENCHMARK_CAPTURE(BM_IntFormat, precision_12_8lu, "12.8lu");
// Literal text after the conversion.
BENCHMARK_CAPTURE(BM_IntFormat, text_ld_cycles, "ld cycles");

}  // namespace

BENCHMARK_MAIN();
