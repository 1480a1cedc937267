// Writes the seed corpora of the fuzz targets, each file named after what it
// holds, from the project's own writers and fixtures:
//
//   quendle_fuzz_corpus <corpus directory>
//
// The output depends on nothing else, so the committed corpora can be
// rebuilt byte for byte.
#include <elf.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "etrace/records/dct_object.h"
#include "etrace/records/l2t_object.h"
#include "etrace/stream/et_record.h"
#include "fuzz_inputs.h"
#include "support/elf_writer.h"
#include "support/nexus_encoder.h"
#include "support/trace_builder.h"

namespace fs = std::filesystem;
using bytes_t = std::vector<uint8_t>;

namespace {

fs::path corpus;

void seed(const std::string& target, const std::string& name, const bytes_t& bytes) {
  fs::create_directories(corpus / target);
  et_test::write_file((corpus / target / name).string(), bytes);
}

void seed(const std::string& target, const std::string& name, const std::string& text) {
  seed(target, name, bytes_t(text.begin(), text.end()));
}

bytes_t operator+(bytes_t a, const bytes_t& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

bytes_t file_bytes(const std::string& relative) {
  std::ifstream in(std::string(QUENDLE_SOURCE_DIR) + "/" + relative, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + relative);
  return bytes_t(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

fuzz::swt_setup_t setup_of(const et_test::trace_config_t& c, unsigned long hart_mask) {
  fuzz::swt_setup_t s;
  s.geometry = c.geometry();
  s.hart_mask = hart_mask;
  return s;
}

et_reg_t reg(uint64_t number, uint64_t value) {
  et_reg_t r{};
  r.addr_valid = 1;
  r.addr = number;
  r.data_valid = 1;
  r.data = value;
  return r;
}

// Instructions with operands, memory addresses, a trap and an interrupt, on
// the given harts.
void instructions(et_test::trace_builder_t& trace, const std::vector<uint8_t>& harts) {
  const bytes_t words = et_test::pattern_bytes(64, 3);
  for (uint8_t hart : harts) {
    trace.hart(hart);
    for (uint64_t k = 0; k < 8; ++k) {
      uint32_t word;
      std::memcpy(&word, &words[8 * k], sizeof word);
      et_insn_t insn = et_test::make_insn(k, 0x80000000 + 4 * k, word);
      insn.rs1 = reg(k + 1, 0x1000 * k);
      insn.rd = reg(k + 2, ~k);
      if (k % 2 == 0) insn.frs1 = reg(k, 0x3ff0000000000000);
      if (k % 3 == 0) {
        insn.ea_valid = insn.pa_valid = insn.sd_valid = 1;
        insn.ea = insn.pa = 0x80001000 + 8 * k;
        insn.sd = k;
      }
      if (k == 5) insn.trap = 1, insn.cause = 2;
      if (k == 6) insn.interrupt = 1, insn.cause = 7;
      trace.tsd1(uint8_t(k)).insn(insn);
    }
  }
}

// One message of every L2T and DCT record, an RVT word after each.
void messages(et_test::trace_builder_t& trace) {
  trace.dct_hart(1);
  for (unsigned code = MH_SWT_L2T_URQ; code <= MH_SWT_DCT_DSR; ++code) {
    if (mh_message_shape(code) == MH_SHAPE_NONE) continue;
    if (code <= MH_SWT_L2T_HM2) {
      l2t_object_t m{};
      m.letter = uint8_t(code);
      trace.l2t(m);
    } else {
      dct_object_t m{};
      m.letter = uint8_t(code);
      trace.dct(m);
    }
    trace.rvt(0x0123456789abcdef + code);
  }
}

void swt_and_rvt_seeds() {
  // The demo's trace, with the widths of the demo's configuration.
  {
    fuzz::swt_setup_t s;
    s.geometry.paddr_width = 40;
    s.hart_mask = 3;
    seed("swt_reader", "sample_trace", s.bytes() + file_bytes("examples/sample.trace"));
  }
  struct shape_t {
    const char* name;
    et_test::trace_config_t config;
    std::vector<uint8_t> harts;
  };
  et_test::trace_config_t rv32;
  rv32.xlen = rv32.flen = rv32.irf_data_width = 32;
  rv32.paddr_width = 34;
  et_test::trace_config_t chunks;
  chunks.cl_width = 1024;
  chunks.cl_chunks = 4;
  chunks.poison_enable = true;
  for (const shape_t& shape : {shape_t{"rv64", {}, {0}}, shape_t{"rv32_two_harts", rv32, {0, 1}},
                               shape_t{"chunks_poison", chunks, {2}}}) {
    et_test::trace_builder_t insns(shape.config);
    instructions(insns, shape.harts);
    const bytes_t insn_bytes = insns.bytes();
    const fuzz::swt_setup_t s = setup_of(shape.config, 0xff);
    seed("swt_reader", std::string("insns_") + shape.name, s.bytes() + insn_bytes);

    et_test::trace_builder_t all(shape.config);
    instructions(all, shape.harts);
    messages(all);
    seed("swt_reader", std::string("messages_") + shape.name, s.bytes() + all.bytes());

    // The extractor takes RVT words between instructions, and no other message.
    et_test::trace_builder_t rvt(shape.config);
    rvt.rvt(1);
    instructions(rvt, shape.harts);
    rvt.rvt(2).rvt(3);
    const et_stream_geometry_t& g = s.geometry;
    const bytes_t rvt_setup = {uint8_t(g.xlen - 1), uint8_t(g.flen - 1), uint8_t(g.paddr_width - 1),
                               uint8_t(g.irf_data_width - 1), 15};
    seed("rvt_reader", std::string("words_") + shape.name, rvt_setup + rvt.bytes());
    seed("rvt_reader", std::string("messages_") + shape.name, rvt_setup + all.bytes());
  }
}

void xcfg_seeds() {
  const bytes_t soc = file_bytes("examples/soc.xml");
  seed("xcfg_string", "soc", std::string("swt.XLEN\n") + std::string(soc.begin(), soc.end()));
  seed("xcfg_string", "attribute_path",
       "core#id:1.isa#name\n<soc><core id=\"0\"><isa name=\"rv64gc\"/></core>"
       "<core id=\"1\"><isa name=\"rv32imac\">text</isa></core><swt><XLEN>0x20</XLEN></swt></soc>");
  const std::string nul(1, '\0');
  seed("xcfg_files", "nested_includes",
       "<soc><include name=\"a.xml\"/><swt><XLEN>64</XLEN></swt></soc>" + nul +
           "<cores><core id=\"0\"/><include name=\"b.xml\"/></cores>" + nul + "<flen>64</flen>");
  seed("xcfg_files", "include_cycle",
       "<soc><include name=\"a.xml\"/></soc>" + nul + "<a><include name=\"b.xml\"/></a>" + nul +
           "<b><include name=\"a.xml\"/></b>");
  seed("xcfg_files", "include_as_root",
       "<include name=\"a.xml\"/>" + nul + std::string(soc.begin(), soc.end()));
}

void text_seeds() {
  const std::string nul(1, '\0');
  for (const char* isa :
       {"rv64gc", "RV32IMAC_Zicsr_Zifencei", "rv64gcv_zvl256b_zve64d", "rv32imafc_zfh_zcf",
        "rv64imafdc_zba_zbb_zbc_zbs_zk_zvkn", "rv64i2p0_m", "rv64gc_xkgostk"})
    seed("isa_parser", isa, std::string(isa) + nul + "MSU");
  for (const auto& [name, range] :
       {std::pair<const char*, const char*>{"hexadecimal", "0x80000000:0x80000fff"},
        {"negative_and_octal", "-1:010"},
        {"text_after_the_end", "5:7:rest"},
        {"no_colon", "1"}})
    seed("skip_range", name, range);
  const std::string value = "\xef\xcd\xab\x89\x67\x45\x23\x81";
  for (const char* spec :
       {"10ld", "08lx", "-12llu", "#o", "+.5hhd", "-30s", ".3s", "'x", "ld cycles", "%%d%%"}) {
    std::string name = spec;
    for (char& c : name)
      if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    seed("printf_format", "spec_" + name, std::string(spec) + nul + value + "c.addi sp,-16");
  }
  // Whatever words the pattern gives.
  seed("disasm", "pattern", et_test::pattern_bytes(256, 11));
}

void nexus_seeds() {
  using et_test::fixed;
  using et_test::var;
  const uint64_t pc = fuzz::program_base;
  fuzz::nexus_setup_t plain;
  plain.disasm_log = plain.nexus_log = true;
  {
    et_test::nexus_encoder_t enc;
    enc.message(9, 0, {fixed(1, 4), var(0), var(pc >> 1)})
        .message(3, 0, {var(6)})
        .message(4, 0, {fixed(0, 2), var(4), var(0x40 >> 1)})
        .message(28, 0, {fixed(0, 2), var(8), var(0x20 >> 1), var(0x2d)})
        .message(30, 0, {var(3)})
        .message(27, 0, {fixed(1, 4), var(0x35)})
        .message(27, 0, {fixed(0, 4), var(5)})
        .idle(2)
        .message(11, 0, {fixed(1, 4), var(12), var((pc + 0x100) >> 1)}, 77)
        .message(12, 0, {fixed(1, 4), fixed(1, 2), var(3), var((pc + 0x200) >> 1)})
        .message(29, 0, {fixed(1, 4), fixed(0, 2), var(9), var((pc + 0x80) >> 1), var(0x13)})
        .message(33, 0, {fixed(0, 4), fixed(1, 2), var(5), var(0x7)})
        .message(2, 0, {var(1)})
        .message(8, 0, {fixed(1, 4), var(2)});
    for (const char* target : {"nexus_elf", "nexus_hwt"})
      seed(target, "walk", plain.bytes() + enc.bytes());
  }
  {
    fuzz::nexus_setup_t sources = plain;
    sources.has_src = true;
    sources.src_bits = 2;
    sources.src_mask = 0x5;
    sources.metrics_log = true;
    et_test::nexus_encoder_t enc(true, 2);
    enc.message(9, 0, {fixed(1, 4), var(0), var(pc >> 1)})
        .message(9, 2, {fixed(1, 4), var(0), var((pc + 0x400) >> 1)})
        .message(3, 1, {var(4)})
        .message(3, 2, {var(10)}, 5)
        .message(3, 0, {var(2)})
        .message(30, 2, {var(2)});
    for (const char* target : {"nexus_elf", "nexus_hwt"})
      seed(target, "sources", sources.bytes() + enc.bytes());
  }
}

void elf_seeds() {
  const bytes_t code = et_test::pattern_bytes(64, 5);
  for (const int elf_class : {ELFCLASS32, ELFCLASS64}) {
    et_test::elf_writer_t elf(elf_class);
    const size_t text = elf.add_section(
        et_test::elf_section_t::progbits(".text", SHF_ALLOC | SHF_EXECINSTR, 0x80000000, code));
    elf.add_section(
        et_test::elf_section_t::progbits(".data", SHF_ALLOC | SHF_WRITE, 0x80000040, code));
    elf.add_section(et_test::elf_section_t::nobits(".bss", 0x80000080, 0x40));
    elf.add_segment(PT_LOAD, 0x80000000, 0x80000000, 0xc0);
    elf.add_segment(PT_NOTE, 0, 0, 0);
    elf.add_symbol("_start", 0x80000000, text);
    seed("elf_accessor", elf_class == ELFCLASS32 ? "elf32" : "elf64", elf.image());
  }
  et_test::elf_writer_t mixed(ELFCLASS64);
  mixed.add_section(
      et_test::elf_section_t::progbits(".text", SHF_ALLOC | SHF_EXECINSTR, 0x1000, code));
  mixed.add_segment(PT_LOAD, 0x1000, 0x1000, 0x40);
  mixed.mix_classes();
  seed("elf_accessor", "mixed_classes", mixed.image());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: " << argv[0] << " <corpus directory>\n";
    return 2;
  }
  corpus = argv[1];
  try {
    swt_and_rvt_seeds();
    xcfg_seeds();
    text_seeds();
    nexus_seeds();
    elf_seeds();
  } catch (const std::exception& e) {
    std::cerr << e.what() << '\n';
    return 1;
  }
  return 0;
}
