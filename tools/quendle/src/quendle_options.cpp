#include "quendle_options.h"

#include <tclap/CmdLine.h>

#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <utility>
#include <vector>

#include "etrace/formatters/et_printf_format.h"

namespace {

// A printf format for one integer taken from the command line. TCLAP assigns
// the option text to it; a text that is not one integer conversion (with
// literal text around it), or whose result could outgrow its column, is
// refused there, as a parse error (the only exception TCLAP handles).
struct int_format_arg_t {
  typedef TCLAP::StringLike ValueCategory;

  std::string text;

  int_format_arg_t() = default;
  explicit int_format_arg_t(const std::string& spec) : text(spec) {}
  int_format_arg_t& operator=(const std::string& spec) {
    try {
      et_int_format_t check(spec);
    } catch (const std::invalid_argument& e) {
      throw TCLAP::ArgParseException(e.what());
    }
    text = spec;
    return *this;
  }
};

const char* const program_message =
    "Output trace file has the following format:\n"
    "<timestamp> (uiid.coreid) privc [PC] |chunk| disasm regs_value\n"
    "Example command that may be used to construct formatted trace file for core#0:\n"
    "/opt/velkor/bin/quendle -t trace.ctd -o out.std --cc --fd --uiid --hmask 1\n"
    "Formatted trace will be stored to file out.std:\n"
    "...\n"
    "(00000025.0) Mc [00400000b4] |00000297| auipc t0,0x00000 RD[05]=00000000400000b4\n"
    "(00000026.0) Mc [00400000b8] |01028293| addi t0,t0,16 RS1[05]=00000000400000b4 "
    "RD[05]=00000000400000c4\n"
    "...\n"
    "In trace above first instruction with PC=0x400000b4 and UIID=0x25 was executed on core#0 "
    "(Machine privilege level).\n"
    "In trace above second instruction with PC=0x400000b8 and UIID=0x26 was executed on core#0 "
    "(Machine privilege level)";

const char* const hmask_help =
    "Mask of selected harts/cores (default: 3).\n"
    "Examples:\n"
    "If hmask == 1, then hart (core) with id = 0 will be selected for trace.\n"
    "If hmask == 2, then hart (core) with id = 1 will be selected for trace.\n"
    "If hmask == 3, then harts (cores) with id = 0 and id = 1 will be selected for trace.\n";

const char* const iformat_help =
    "Format input selection (default: swt).\n"
    "Possible input formats:\n"
    "swt: this format is used for RTL simulation trace or for software simulation trace;\n"
    "hwt: this format is used for extended FPGA trace;\n"
    "rvt: extract rvt substream from hwt stream\n";

const char* const format_help =
    "Format output selection (default: swt).\n"
    "Possible output formats:\n"
    "swt: this format is used for RTL simulation trace or for software simulation trace;\n"
    "ingress: this format is used for software nexus trace;\n"
    "pconly: this format is used for PC only trace;\n"
    "raw: unformatted raw trace data";

std::string int_format_help(const char* what, const char* default_spec) {
  return std::string(what) +
         " output format for SWT formatter, must be valid for integers in sprintf(), without "
         "leading % sign (default: " +
         default_spec + ").";
}

}  // namespace

quendle_options_t parse_quendle_command_line(int argc, const char* const* argv) {
  quendle_options_t o;
  TCLAP::CmdLine cmd(program_message, ' ', "1.0", true);

  // Added in this order; TCLAP lists them in reverse.
  TCLAP::SwitchArg show_dct("", "show-dct", "Enable printing DCT messages (default: off).", cmd,
                            false);
  TCLAP::SwitchArg show_l2t("", "show-l2t", "Enable printing L2T messages (default: off).", cmd,
                            false);
  TCLAP::SwitchArg show_rvt("", "show-rvt", "Enable printing RVT messages (default: off).", cmd,
                            false);
  TCLAP::ValueArg<int_format_arg_t> uiid_format("", "swt-uiid-format",
                                                int_format_help("UIID", "08lx"), false,
                                                int_format_arg_t(o.uiid_format), "string", cmd);
  TCLAP::ValueArg<int_format_arg_t> ts_format("", "swt-ts-format",
                                              int_format_help("Timestamp", "10ld"), false,
                                              int_format_arg_t(o.ts_format), "string", cmd);
  TCLAP::SwitchArg disable_interrupts(
      "", "disable-interrupts",
      "This flag disable tracing of interrupts (tracing of interrupt is enabled by default).", cmd,
      false);
  TCLAP::ValueArg<std::string> mode("m", "mode",
                                    "Privilege modes that should be traced (default: MSU).", false,
                                    o.mode, "string", cmd);
  TCLAP::ValueArg<unsigned long> hmask("", "hmask", hmask_help, false, o.hmask, "number", cmd);
  TCLAP::SwitchArg profile("", "profile",
                           "Enable printing profile info based on timestamp data (default: off).",
                           cmd, false);
  TCLAP::SwitchArg fr("", "fr",
                      "Enable printing fetch redirect indications to output trace (default: off).",
                      cmd, false);
  TCLAP::SwitchArg cc("", "cc", "Enable printing code chunks to output trace (default: off).", cmd,
                      false);
  TCLAP::SwitchArg uiid("", "uiid",
                        "Enable printing unique instruction identifier (UIID) to output trace "
                        "(default: off).\nFormat: (uiid.coreid)",
                        cmd, false);
  TCLAP::SwitchArg ts("", "ts", "Enable printing timestamps to output trace (default: off).", cmd,
                      false);
  std::vector<std::string> iformats{"swt", "hwt", "rvt"};
  TCLAP::ValuesConstraint<std::string> iformat_values(iformats);
  TCLAP::ValueArg<std::string> iformat("", "iformat", iformat_help, false, o.iformat,
                                       &iformat_values, cmd);
  std::vector<std::string> formats{"swt", "ingress", "pconly", "raw"};
  TCLAP::ValuesConstraint<std::string> format_values(formats);
  TCLAP::ValueArg<std::string> format("f", "format", format_help, false, o.format, &format_values,
                                      cmd);
  TCLAP::ValueArg<std::string> config(
      "c", "config", "Configuration file with design-specific parameters (tamrincfg).", true, "",
      "string", cmd);
  TCLAP::ValueArg<std::string> output("o", "output", "Output file for formatted trace.", true, "",
                                      "string", cmd);
  TCLAP::ValueArg<std::string> trace("t", "trace", "Trace file to load.", true, "", "string", cmd);

  cmd.parse(argc, argv);

  o.trace = trace.getValue();
  o.output = output.getValue();
  o.config = config.getValue();
  o.format = format.getValue();
  o.iformat = iformat.getValue();
  o.ts = ts.getValue();
  o.uiid = uiid.getValue();
  o.cc = cc.getValue();
  o.fr = fr.getValue();
  o.profile = profile.getValue();
  o.hmask = hmask.getValue();
  o.mode = mode.getValue();
  o.disable_interrupts = disable_interrupts.getValue();
  o.ts_format = ts_format.getValue().text;
  o.uiid_format = uiid_format.getValue().text;
  o.show_rvt = show_rvt.getValue();
  o.show_l2t = show_l2t.getValue();
  o.show_dct = show_dct.getValue();

  // The message lines are text: inside the binary ingress records they would
  // leave a file that nothing can read. RVT extraction makes no formatter and
  // writes no message lines, so there the switches do nothing.
  if (o.format == "ingress" && o.iformat != "rvt" && (o.show_rvt || o.show_l2t || o.show_dct)) {
    std::string given;
    for (auto [on, name] : {std::pair<bool, const char*>{o.show_rvt, "--show-rvt"},
                            {o.show_l2t, "--show-l2t"},
                            {o.show_dct, "--show-dct"}})
      if (on) given += std::string(given.empty() ? "" : ", ") + name;
    std::cerr << "PARSE ERROR: " << given
              << " cannot be used with -f ingress: message lines would break its binary records"
              << std::endl;
    std::exit(1);
  }
  return o;
}
