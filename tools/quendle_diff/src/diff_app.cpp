#include "diff_app.h"

#include <tclap/CmdLine.h>

#include <cstdint>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "disasm/disassembler.h"
#include "disasm/isa_parser.h"
#include "etrace/formatters/et_swt_formatter.h"
#include "etrace/mh_swt_reader.h"
#include "etrace/records/et_annotator.h"
#include "etrace/records/et_insn.h"
#include "etrace/records/et_insn_compare.h"
#include "etrace/records/et_insn_fuse.h"
#include "etrace/records/et_object.h"
#include "etrace/stream/et_reader.h"
#include "logger/zarn_logger.h"
#include "soc_config.h"
#include "standard_output.h"

namespace {

constexpr const char* unit_tag = "TDT";

// The end-of-test store: sw (the 32-bit form only) to the MSI address.
constexpr uint64_t msi_address = 0x10040000;
bool is_end_of_test_store(const et_insn_t& insn) {
  return (insn.chunk & 0x707f) == 0x2023 && insn.pa_valid && insn.pa == msi_address;
}

// Report lines go through the process-wide logger; a message is built only
// when it will be written.
class report_t {
public:
  report_t() : logger_(*zarn_static_logger_t::get()) {}
  bool on() const { return logger_.patterns.default_level > zarn_logger_t::LOG_WARNING; }
  void line(const std::string& message) const {
    if (on()) logger_.log(zarn_logger_t::LOG_INFO, unit_tag, message.c_str());
  }

private:
  const zarn_logger_t& logger_;
};

// An error of one trace's reader, named by the trace: with two traces the
// reader's own text does not say which file it is about.
std::runtime_error trace_error(const std::string& name, const std::string& path,
                               const std::exception& error) {
  return std::runtime_error(name + " '" + path + "': " + error.what());
}

// The next committed instruction of a trace outside the skip ranges, or null.
// It lives in the reader's ring until the reader's next call.
et_insn_t* next_insn(const diff_trace_t& trace, const skip_ranges_t& skip) {
  try {
    while (et_object_t* object = trace.reader.get_next_object()) {
      if (object->kind != et_object_t::KIND_INSN) continue;
      et_insn_t& insn = object->insn;
      if (is_skipped(skip, insn.pc)) continue;
      if (!insn.committed) continue;
      return &insn;
    }
  } catch (const std::exception& e) {
    throw trace_error(trace.name, trace.path, e);
  }
  return nullptr;
}

class diff_run_t {
public:
  diff_run_t(const skip_ranges_t& skip, uint64_t xlen, et_swt_formatter_t& formatter,
             const disassembler_t& disassembler)
      : skip_(skip),
        xlen_(xlen),
        formatter_(formatter),
        disassembler_(disassembler),
        fields_(disassembler, {false, false}) {}

  int run(const diff_trace_t& t0, const diff_trace_t& t1) {
    const int result = compare_all(t0, t1);
    report_.line("instret = " + std::to_string(instret_));
    report_.line(result == 0 ? "Traces are equal." : "Traces are different.");
    return result;
  }

private:
  int compare_all(const diff_trace_t& t0, const diff_trace_t& t1) {
    for (;;) {
      et_insn_t* i0 = next_insn(t0, skip_);
      et_insn_t* i1 = next_insn(t1, skip_);
      if (i0 != nullptr && i1 == nullptr) return ended("No more instruction in " + t1.path);
      if (i0 == nullptr && i1 != nullptr) return ended("No more instruction in " + t0.path);
      if (i0 == nullptr) {
        report_.line("No more instruction in both traces.");
        return 0;
      }
      ++instret_;
      fields_.annotate(*i0);
      fields_.annotate(*i1);
      const unsigned r = i0->compare(*i1, xlen_);
      if (r == et_compare::equal) {
        if (is_end_of_test_store(*i0)) {
          report_.line("Traces are finished by storing to MSI address.");
          return 0;
        }
        continue;
      }
      i0->fill_disasm_fields(disassembler_, true);
      i1->fill_disasm_fields(disassembler_, true);
      const bool fused0 = i0->is_fused(), fused1 = i1->is_fused();
      if (fused0 != fused1) {
        const bool passed = fused0 ? soft_fusion(*i0, t0, *i1, t1) : soft_fusion(*i1, t1, *i0, t0);
        if (passed) continue;
        return -1;
      }
      if (report_.on()) {
        report_.line("Two different instructions. Reason: " + std::to_string(r));
        report_.line("From " + t0.path + ": \n" + formatter_.format(*i0));
        report_.line("From " + t1.path + ": \n" + formatter_.format(*i1));
      }
      return -1;
    }
  }

  int ended(const std::string& message) {
    report_.line(message);
    return -1;
  }

  // A, a fused record, against the fusion of B with the next instruction of
  // B's trace. B is copied first: reading on moves its reader's ring past it.
  bool soft_fusion(const et_insn_t& a, const diff_trace_t& a_trace, const et_insn_t& b,
                   const diff_trace_t& b_trace) {
    const et_insn_t first = b;
    et_insn_t* next = next_insn(b_trace, skip_);
    if (next == nullptr) {
      report_.line("Fusion comparison failed, no more instruction in " + b_trace.path);
      return false;
    }
    next->fill_disasm_fields(disassembler_, true);
    et_insn_t fused{};
    const unsigned e = fused.fuse(first, *next);
    if (e != et_fuse::fused) {
      if (report_.on()) {
        report_.line("Soft fusion failed (" + b_trace.path + "). Reason: " + std::to_string(e));
        report_.line("From " + b_trace.path + " (insn#0): \n" + formatter_.format(first));
        report_.line("From " + b_trace.path + " (insn#1): \n" + formatter_.format(*next));
      }
      return false;
    }
    const unsigned c = a.compare(fused, xlen_);
    if (c == et_compare::equal) return true;
    if (report_.on()) {
      report_.line("Two different instructions. Reason: " + std::to_string(c));
      report_.line("From " + a_trace.path + " (fused): \n" + formatter_.format(a));
      report_.line("From " + b_trace.path + ": \n" + formatter_.format(first) +
                   formatter_.format(*next));
    }
    return false;
  }

  const skip_ranges_t& skip_;
  const uint64_t xlen_;
  et_swt_formatter_t& formatter_;
  const disassembler_t& disassembler_;
  et_annotator_t fields_;  // the common path's fields, without text
  report_t report_;
  uint64_t instret_ = 0;
};

const char* const skip_range_help =
    "Skip diff check for PCs inside specified range (start:end).PCs with start <= address <= end "
    "will be skipped.(ex: --skip-range 0x1000:0x1fff or --skip-range 4096:8191)";

// A reader serves harts 0 to 7: a larger id would select nothing and two
// unrelated traces would compare equal.
class hart_id_constraint_t : public TCLAP::Constraint<uint64_t> {
public:
  std::string description() const override { return "a hart id from 0 to 7"; }
  std::string shortID() const override { return "int"; }
  bool check(const uint64_t& value) const override { return value < mh_swt_reader_t::max_harts; }
};

struct diff_options_t {
  std::string tr0, tr1, config;
  uint64_t th0 = 0, th1 = 0;
  bool ts = false, uiid = false, cc = false, fr = false;
  skip_ranges_t skip;
};

diff_options_t parse_command_line(int argc, const char* const* argv) {
  TCLAP::CmdLine cmd("Execution trace diff tool.", ' ', "", true);
  // Added in this order; TCLAP lists them in reverse.
  TCLAP::MultiArg<SkipRangeArg> skip_range("", "skip-range", skip_range_help, false, "string", cmd);
  TCLAP::SwitchArg fr("", "fr", "Enable printing fetch redirect indications to output trace.", cmd,
                      false);
  TCLAP::SwitchArg cc("", "cc", "Enable printing code chunks to output trace.", cmd, false);
  TCLAP::SwitchArg uiid("", "uiid", "Enable printing UIIDs to output trace.", cmd, false);
  TCLAP::SwitchArg ts("", "ts", "Enable printing timestamps to output trace.", cmd, false);
  TCLAP::ValueArg<std::string> config(
      "c", "config", "Configuration file with design-specific parameters (tamrincfg).", true, "",
      "string", cmd);
  std::vector<std::string> formats{"swt"};
  TCLAP::ValuesConstraint<std::string> format1_values(formats), format0_values(formats);
  TCLAP::ValueArg<std::string> tf1(
      "", "tf1", "Trace 1 format (default: swt).\nSee trace 0 format for detals\n", false, "swt",
      &format1_values, cmd);
  TCLAP::ValueArg<std::string> tf0("", "tf0",
                                   "Trace 0 format (default: swt).\nPossible input formats:\nswt: "
                                   "this format is used for RTL simulation trace or for software "
                                   "simulation trace;\n",
                                   false, "swt", &format0_values, cmd);
  hart_id_constraint_t hart1_ids, hart0_ids;
  TCLAP::ValueArg<uint64_t> th1("", "th1", "Hart id of trace 1", false, 0, &hart1_ids, cmd);
  TCLAP::ValueArg<uint64_t> th0("", "th0", "Hart id of trace 0", false, 0, &hart0_ids, cmd);
  TCLAP::ValueArg<std::string> tr1("", "tr1", "Trace file to diff.", true, "", "string", cmd);
  TCLAP::ValueArg<std::string> tr0("", "tr0", "Trace file to diff.", true, "", "string", cmd);
  cmd.parse(argc, argv);

  diff_options_t o;
  o.tr0 = tr0.getValue();
  o.tr1 = tr1.getValue();
  o.th0 = th0.getValue();
  o.th1 = th1.getValue();
  o.config = config.getValue();
  o.ts = ts.getValue();
  o.uiid = uiid.getValue();
  o.cc = cc.getValue();
  o.fr = fr.getValue();
  o.skip = skip_range.getValue();
  return o;
}

int run(const diff_options_t& o) {
  const ConfigNodeClass::NodePtr root = load_soc_config(o.config);
  if (!root) return 255;
  const auto swt = config_node(*root, "swt", o.config);
  const et_stream_geometry_t geometry =
      read_stream_geometry(*swt, o.config, poison_enable_syntax_t::switch_text);

  report_t report;
  report.line("trace0: " + o.tr0);
  report.line("trace1: " + o.tr1);

  // A geometry the readers refuse is the configuration's fault, not a trace's.
  geometry.check();
  auto open = [&](const char* name, const std::string& path,
                  uint64_t hart) -> std::unique_ptr<et_reader_t> {
    try {
      return std::make_unique<mh_swt_reader_t>(path, 1ul << hart, true, true, true, geometry);
    } catch (const std::exception& e) {
      throw trace_error(name, path, e);
    }
  };
  std::unique_ptr<et_reader_t> reader0 = open("trace0", o.tr0, o.th0);
  std::unique_ptr<et_reader_t> reader1 = open("trace1", o.tr1, o.th1);
  const uint64_t xlen = uint64_t(geometry.xlen);
  et_swt_formatter_t formatter(xlen, uint64_t(geometry.flen), geometry.paddr_width, o.ts, o.uiid,
                               o.cc, o.fr, false, "10ld", "08lx", "-30s");
  const auto cpu = config_node(*root, "module#id:cpu0", o.config);
  const std::string priv_modes = config_text(*cpu, "module#id:cpu0", "priv_modes", o.config);
  const std::string isa = config_text(*cpu, "module#id:cpu0", "isa", o.config);
  isa_parser_t isa_parser;
  isa_parser.init(isa, priv_modes);
  const disassembler_t disassembler(&isa_parser);

  const int result = diff_traces({*reader0, o.tr0, "trace0"}, {*reader1, o.tr1, "trace1"}, o.skip,
                                 xlen, formatter, disassembler);
  return result == 0 ? 0 : 255;
}

}  // namespace

int diff_traces(diff_trace_t trace0, diff_trace_t trace1, const skip_ranges_t& skip, uint64_t xlen,
                et_swt_formatter_t& formatter, const disassembler_t& disassembler) {
  return diff_run_t(skip, xlen, formatter, disassembler).run(trace0, trace1);
}

int quendle_diff_main(int argc, const char* const* argv) {
  standard_output_watch_t standard_output;
  zarn_logger_t* logger = zarn_static_logger_t::get();
  logger->patterns.default_level = zarn_logger_t::LOG_INFO;
  logger->auto_recache_log_levels();
  logger->out = &std::cout;

  const diff_options_t options = parse_command_line(argc, argv);
  int status = 1;
  try {
    status = run(options);
  } catch (const std::exception& e) {
    // The report lines already written stay written.
    std::cout.flush();
    std::cerr << "ERROR: " << e.what() << std::endl;
  }
  // A verdict whose report is lost is no verdict.
  return standard_output.checked(status);
}
