#include "quendle_app.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ConfigNode.h"
#include "soc_config.h"
#include "records/et_disasm_cache.h"
#include "disasm_insn.h"
#include "disassembler.h"
#include "formatters/et_ingress_formatter.h"
#include "records/et_mode.h"
#include "records/et_object.h"
#include "formatters/et_pconly_formatter.h"
#include "formatters/et_printf_format.h"
#include "formatters/et_raw_formatter.h"
#include "formatters/et_swt_formatter.h"
#include "insn_ids.h"
#include "isa_parser.h"
#include "stream/mh_rvt_reader.h"
#include "mh_swt_reader.h"

namespace {

// The output file's buffer: a file buffer that also lets a line be built in
// place, straight into its put area, instead of in a line buffer of its own
// and then copied.
class output_filebuf_t : public std::filebuf {
public:
  // Room for n characters at the put position, written out first when the
  // buffer has less; null when the file cannot be written.
  char* room(std::size_t n) {
    if (std::size_t(epptr() - pptr()) < n &&
        (overflow(traits_type::eof()) == traits_type::eof() || std::size_t(epptr() - pptr()) < n))
      return nullptr;
    return pptr();
  }
  // Takes the n characters built at room() into the output.
  void commit(std::size_t n) { pbump(int(n)); }
};

// Opens the output file with a large buffer: records are written one by one.
class output_file_t {
public:
  output_file_t(const std::string& path, std::ios::openmode mode) : path_(path) {
    buffer_.resize(1 << 20);
    buf_.pubsetbuf(buffer_.data(), std::streamsize(buffer_.size()));
    if (buf_.open(path, mode | std::ios::out) == nullptr)
      throw std::runtime_error("cannot open output file '" + path + "': " + std::strerror(errno));
  }
  std::ostream& stream() { return stream_; }
  // Room for one line of at most n characters, or null when the stream has
  // failed (the failure is reported by close()).
  char* line_room(std::size_t n) {
    if (!stream_.good()) return nullptr;
    char* room = buf_.room(n);
    if (room == nullptr) stream_.setstate(std::ios::badbit);
    return room;
  }
  void commit(std::size_t n) { buf_.commit(n); }
  // Closes the file; a write that failed (a full disk) is an error, not success.
  void close() {
    if (buf_.close() == nullptr) stream_.setstate(std::ios::failbit);
    if (stream_.fail()) throw std::runtime_error("cannot write output file '" + path_ + "'");
  }

private:
  std::string path_;
  std::vector<char> buffer_;  // declared before the file buffer, so it outlives it
  output_filebuf_t buf_;
  std::ostream stream_{&buf_};
};

// Reports an error met while writing out, keeping what was written: the file
// is flushed and closed on the way out.
int fail_keeping_output(output_file_t& out, const std::exception& e) {
  std::cerr << "ERROR: " << e.what() << std::endl;
  out.stream().flush();
  return 1;
}

int extract_rvt(const quendle_options_t& o, const et_stream_geometry_t& geometry) {
  mh_rvt_reader_t extractor(o.trace, geometry);
  output_file_t out(o.output, std::ios::binary | std::ios::trunc);
  const unsigned long chunk = 1048576;
  std::vector<char> buffer(chunk);
  try {
    for (;;) {
      const unsigned long n = extractor.extract(buffer.data(), chunk);
      if (n == 0) break;
      out.stream().write(buffer.data(), std::streamsize(n));
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
      throw std::runtime_error("output file '" + o.output + "' is the " + what + " file '" +
                               *path + "'; refusing to overwrite it");
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

bool is_trap_return(std::uint64_t id) {
  return id == insn_id("mret") || id == insn_id("sret") || id == insn_id("uret");
}

// Writes the selected instructions and messages of the reader to out.
class record_loop_t {
public:
  record_loop_t(const quendle_options_t& o, et_base_formatter_t& formatter,
                const disassembler_t& disassembler, output_file_t& out)
      : o_(o),
        formatter_(formatter),
        swt_(dynamic_cast<const et_swt_formatter_t*>(&formatter)),
        disasm_(disassembler, o.format == "swt"),  // the text only for the "swt" listing
        file_(out),
        out_(out.stream()),
        mode_mask_(construct_et_mode_from_string(o.mode)),
        hwt_(o.iformat == "hwt"),
        ts_format_(o.ts_format) {}

  void run(et_reader_t& reader) {
    while (et_object_t* object = reader.get_next_object()) {
      switch (object->kind) {
        case et_object_t::KIND_INSN: instruction(object->insn); break;
        case et_object_t::KIND_RVT: message("RVT ", object->rvt); break;
        case et_object_t::KIND_L2T: message("L2T ", object->l2t); break;
        case et_object_t::KIND_DCT: message("DCT ", object->dct); break;
        default: break;
      }
    }
  }

private:
  void instruction(et_insn_t& insn) {
    if (!insn.committed) return;
    const unsigned long mode = convert_pril_to_et_mode(insn.pril);
    if (mode != 0 && (mode & mode_mask_) == 0) return;
    disasm_.fill(insn);
    if (hwt_) derive_destination(insn);

    if (!o_.disable_interrupts) {
      write(insn);
    } else if (insn.interrupt) {
      ++depth_;  // the handler's instructions up to its return are left out
    } else if (is_trap_return(insn.insn_id)) {
      if (depth_ > 0)
        --depth_;
      else
        write(insn);
    } else if (depth_ == 0) {
      write(insn);
    }
  }

  // An "swt" line is built in place in the file's buffer: the same text as
  // the formatter's format(), without a copy through a line buffer.
  void write(const et_insn_t& insn) {
    if (swt_ == nullptr) {
      formatter_.format(out_, insn);
    } else if (char* line = file_.line_room(et_swt_formatter_t::max_line)) {
      file_.commit(swt_->build_line(line, insn));
    }
  }

  // FPGA traces carry no destination register numbers: take them from the
  // instruction word, and keep only the destination and store flags.
  static void derive_destination(et_insn_t& insn) {
    using namespace insn_flag;
    const std::uint64_t before = insn.flags;
    insn.flags &= RD | FRD | STORE | RDH;
    if (before & RD) {
      insn.rd.addr_valid = 1;
      insn.rd.addr = insn.get_irda();
    } else if (before & FRD) {
      insn.frd.addr_valid = 1;
      insn.frd.addr = insn.get_frda();
    }
  }

  template <typename message_t>
  void message(const char* tag, const message_t& m) {
    line_.clear();
    if (o_.ts) {
      char stamp[et_int_format_t::max_output];
      line_ += "< ";
      line_.append(stamp, ts_format_.format(stamp, m.cycle));
      line_ += " > ";
    }
    line_ += tag;
    m.append_text(line_);
    line_ += '\n';
    out_.write(line_.data(), std::streamsize(line_.size()));
  }

  const quendle_options_t& o_;
  et_base_formatter_t& formatter_;
  const et_swt_formatter_t* const swt_;  // the formatter when it is the "swt" one
  disasm_cache_t disasm_;
  output_file_t& file_;
  std::ostream& out_;
  const unsigned long mode_mask_;
  const bool hwt_;
  const et_int_format_t ts_format_;
  unsigned depth_ = 0;  // interrupt nesting while interrupts are left out
  std::string line_;    // reused for the message lines
};

int run(const quendle_options_t& o) {
  refuse_output_over_input(o);
  const ConfigNodeClass::NodePtr root = load_soc_config(o.config);
  if (!root) return 255;

  const auto swt = config_node(*root, "swt", o.config);
  const et_stream_geometry_t geometry =
      read_stream_geometry(*swt, o.config, poison_enable_syntax_t::number);

  std::cout << "Selected harts mask: 0x" << std::hex << o.hmask << std::endl;

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

  output_file_t out(o.output, formatter->get_openmode());
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
  return run_quendle(parse_quendle_command_line(argc, argv));
}
