// quendle's record loop with a formatter that has only the formatter
// interface: its records reach the output file through a stream, in order
// with the message lines, in the file mode it asks for.
#include "record_loop.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "disasm/disassembler.h"
#include "etrace/mh_swt_reader.h"
#include "output_file.h"
#include "support/quendle_run.h"
#include "support/trace_builder.h"

namespace {

using et_test::make_insn;

// Writes "pc=<hex>;" per record and flushes after a record of hart 1; opens
// the file for appending.
class appending_formatter_t : public et_base_formatter_t {
public:
  void format(std::ostream& os, const et_insn_t& insn) override {
    os << "pc=" << std::hex << insn.pc << ';';
    if (insn.hart == 1) os << std::flush;
  }
  std::ios::openmode get_openmode() const override { return std::ios::out | std::ios::app; }
};

// The interface's own open mode: the file is truncated.
class plain_formatter_t : public et_base_formatter_t {
public:
  void format(std::ostream& os, const et_insn_t& insn) override { os << insn.uiid << '\n'; }
};

struct loop_case_t {
  const char* what;
  bool show_rvt, ts, disable_interrupts;
  const char* want;  // after the file's earlier contents when the format appends
};

TEST(RecordLoop, AFormatterOfTheInterfaceOnly) {
  et_test::trace_config_t config;
  et_test::trace_builder_t trace(config);
  et_insn_t pending = make_insn(6, 0x108, 0x13);
  pending.committed = 0;  // never written
  et_insn_t intr = make_insn(2, 0x10c, 0x13);
  intr.interrupt = intr.trap = 1;
  intr.cause = 7;
  trace.insn(make_insn(0, 0x100, 0x13)).advance(5).rvt(0xab);
  trace.hart(1).insn(make_insn(0, 0x200, 0x13)).hart(0).insn(make_insn(1, 0x104, 0x13));
  trace.insn(intr).insn(make_insn(3, 0x800, 0x13)).insn(make_insn(4, 0x804, 0x30200073));
  trace.insn(make_insn(5, 0x110, 0x13)).insn(pending);
  const std::string& path = trace.finish();

  const loop_case_t cases[] = {
      {"records only", false, false, false, "pc=100;pc=200;pc=104;pc=10c;pc=800;pc=804;pc=110;"},
      {"with a message line", true, true, false,
       "pc=100;<          5 > RVT D=00000000000000ab\npc=200;pc=104;pc=10c;pc=800;pc=804;pc=110;"},
      {"without the handler", true, false, true,
       "pc=100;RVT D=00000000000000ab\npc=200;pc=104;pc=110;"},
  };
  const disassembler_t disassembler(64);
  for (const loop_case_t& c : cases) {
    SCOPED_TRACE(c.what);
    quendle_test::output_path_t out_path;
    {
      output_file_t earlier(out_path.path(), std::ios::out, false);
      earlier.write("kept;", 5);
      earlier.close();
    }
    quendle_options_t o;
    o.show_rvt = c.show_rvt;
    o.ts = c.ts;
    o.disable_interrupts = c.disable_interrupts;
    mh_swt_reader_t reader(path, 3, !o.show_rvt, true, true, config.geometry());
    appending_formatter_t formatter;
    output_file_t out(out_path.path(), formatter.get_openmode(),
                      record_loop_t::writes_in_background(formatter));
    record_loop_t(o, formatter, disassembler, out).run(reader);
    out.close();
    EXPECT_EQ(quendle_test::read_text(out_path.path()), std::string("kept;") + c.want);
  }

  // The interface's open mode truncates.
  quendle_test::output_path_t out_path;
  {
    output_file_t earlier(out_path.path(), std::ios::out, false);
    earlier.write("gone;", 5);
    earlier.close();
  }
  mh_swt_reader_t reader(path, 1, true, true, true, config.geometry());
  plain_formatter_t formatter;
  output_file_t out(out_path.path(), formatter.get_openmode(),
                    record_loop_t::writes_in_background(formatter));
  record_loop_t(quendle_options_t(), formatter, disassembler, out).run(reader);
  out.close();
  EXPECT_EQ(quendle_test::read_text(out_path.path()), "0\n1\n2\n3\n4\n5\n");
}

}  // namespace
