#include "quendle_app.h"

#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "disasm/disassembler.h"
#include "disasm/isa_parser.h"
#include "etrace/formatters/et_ingress_formatter.h"
#include "etrace/formatters/et_pconly_formatter.h"
#include "etrace/formatters/et_raw_formatter.h"
#include "etrace/formatters/et_swt_formatter.h"
#include "etrace/mh_swt_reader.h"
#include "etrace/stream/et_reader.h"
#include "etrace/stream/mh_rvt_reader.h"
#include "output_file.h"
#include "record_loop.h"
#include "soc_config.h"
#include "standard_output.h"
#include "xcfg/ConfigNode.h"

namespace {

// Reports an error met while writing out, keeping what was written: the file
// is flushed and closed on the way out.
int fail_keeping_output(output_file_t& out, const std::exception& e) {
  std::cerr << "ERROR: " << e.what() << std::endl;
  out.flush();
  return 1;
}

int extract_rvt(const quendle_options_t& o, const et_stream_geometry_t& geometry) {
  mh_rvt_reader_t extractor(o.trace, geometry);
  output_file_t out(o.output, std::ios::binary | std::ios::trunc, true);
  const unsigned long chunk = 1048576;
  std::vector<char> buffer(chunk);
  try {
    for (;;) {
      const unsigned long n = extractor.extract(buffer.data(), chunk);
      if (n == 0) break;
      out.write(buffer.data(), n);
    }
  } catch (const std::exception& e) {
    return fail_keeping_output(out, e);
  }
  out.close();
  return 0;
}

// Opening the output truncates it: refuse a path that names the trace or the
// configuration, through a link or under another name, before anything is
// opened for writing.
void refuse_output_over_input(const quendle_options_t& o) {
  struct stat output;
  if (stat(o.output.c_str(), &output) != 0) return;  // a new file
  const std::pair<const char*, const std::string*> inputs[] = {{"trace", &o.trace},
                                                               {"configuration", &o.config}};
  for (const auto& [what, path] : inputs) {
    struct stat input;
    if (stat(path->c_str(), &input) == 0 && input.st_dev == output.st_dev &&
        input.st_ino == output.st_ino)
      throw std::runtime_error("output file '" + o.output + "' is the " + what + " file '" + *path +
                               "'; refusing to overwrite it");
  }
}

std::unique_ptr<et_base_formatter_t> make_formatter(const quendle_options_t& o,
                                                    const et_stream_geometry_t& soc) {
  if (o.format == "swt")
    return std::make_unique<et_swt_formatter_t>(uint64_t(soc.xlen), uint64_t(soc.flen),
                                                soc.paddr_width, o.ts, o.uiid, o.cc, o.fr,
                                                o.profile, o.ts_format, o.uiid_format, "-30s");
  if (o.format == "ingress") return std::make_unique<et_ingress_formatter_t>(uint64_t(soc.xlen));
  if (o.format == "pconly") return std::make_unique<et_pconly_formatter_t>();
  if (o.format == "raw") return std::make_unique<et_raw_formatter_t>();
  throw std::runtime_error("unexpected output format '" + o.format + "'");
}

int run(const quendle_options_t& o) {
  refuse_output_over_input(o);
  const ConfigNodeClass::NodePtr root = load_soc_config(o.config);
  if (!root) return 255;

  const auto swt = config_node(*root, "swt", o.config);
  const et_stream_geometry_t geometry =
      read_stream_geometry(*swt, o.config, poison_enable_syntax_t::number);

  std::cout << "Selected harts mask: 0x" << std::hex << o.hmask << std::endl;

  // A trace that cannot be read at all is reported before the output is
  // opened, so an existing output stays as it was.
  et_reader_t::check_readable(o.trace);
  if (o.iformat == "rvt") return extract_rvt(o, geometry);

  auto reader = std::make_unique<mh_swt_reader_t>(o.trace, o.hmask, !o.show_rvt, !o.show_l2t,
                                                  !o.show_dct, geometry);
  std::unique_ptr<et_base_formatter_t> formatter = make_formatter(o, geometry);

  const auto cpu = config_node(*root, "module#id:cpu0", o.config);
  const std::string isa = config_text(*cpu, "module#id:cpu0", "isa", o.config);
  const std::string priv_modes = config_text(*cpu, "module#id:cpu0", "priv_modes", o.config);
  auto isa_parser = std::make_unique<isa_parser_t>();
  isa_parser->init(isa, priv_modes);
  auto disassembler = std::make_unique<disassembler_t>(isa_parser.get());

  // A format that flushes every record writes it in this thread, at once.
  output_file_t out(o.output, formatter->get_openmode(),
                    record_loop_t::writes_in_background(*formatter));
  try {
    record_loop_t(o, *formatter, *disassembler, out).run(*reader);
  } catch (const std::exception& e) {
    return fail_keeping_output(out, e);
  }
  out.close();
  return 0;
}

}  // namespace

int run_quendle(const quendle_options_t& options) {
  try {
    return run(options);
  } catch (const std::exception& e) {
    std::cerr << "ERROR: " << e.what() << std::endl;
    return 1;
  }
}

int quendle_main(int argc, const char* const* argv) {
  standard_output_watch_t standard_output;
  return standard_output.checked(run_quendle(parse_quendle_command_line(argc, argv)));
}
