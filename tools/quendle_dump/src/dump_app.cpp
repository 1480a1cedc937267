#include "dump_app.h"

#include <tclap/CmdLine.h>

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "chunk_text.h"
#include "disasm/disassembler.h"
#include "logger/zarn_logger.h"
#include "standard_output.h"

namespace {

constexpr const char* unit_tag = "DecodeChunk";

// The instruction table takes some 800 KB in a few thousand small blocks.
// On virtual machines where a page fault is dear, faulting that memory in
// page by page costs a one-word run more than all the rest of its work; one
// heap block made resident in a single call and then freed back to the heap
// serves the table instead. Without the kernel's support this only keeps the
// block in the heap.
void populate_heap(std::size_t bytes) {
  mallopt(M_MMAP_THRESHOLD, int(2 * bytes));  // from the heap, not a mapping of its own
  mallopt(M_TRIM_THRESHOLD, int(4 * bytes));  // and kept there once freed
  void* block = std::malloc(bytes);
  if (block == nullptr) return;
  uintptr_t const page = uintptr_t(sysconf(_SC_PAGESIZE));
  uintptr_t const begin = (uintptr_t(block) + page - 1) & ~(page - 1);
  uintptr_t const end = (uintptr_t(block) + bytes) & ~(page - 1);
#ifdef MADV_POPULATE_WRITE
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#endif
  std::free(block);
}

void log_info(zarn_logger_t const& logger, std::ostringstream& message) {
  // The caller builds the text only when it will be written.
  logger.log(zarn_logger_t::LOG_INFO, unit_tag, message.str().c_str());
  message.str(std::string());
}

}  // namespace

int run_quendle_dump(uint64_t word, int xlen) {
  zarn_logger_t const* logger = zarn_static_logger_t::get();
  disassembler_t const disasm(xlen);
  bool const logging = logger->patterns.default_level > zarn_logger_t::LOG_WARNING;
  std::ostringstream message;
  if (logging) {
    message << "chunk = 0x" << std::hex << word << std::dec;
    log_info(*logger, message);
  }

  disasm_insn_t const* entry = disasm.get_disasm(word);
  if (logging) {
    message << "disasm: " << (entry ? entry->to_string(insn_t(word)) : std::string("unknown"));
    log_info(*logger, message);
    // An unknown word has the identifier -1, as in trace records.
    message << "topc: ";
    if (entry)
      message << entry->insn_id;
    else
      message << -1;
    log_info(*logger, message);
  }
  return 0;
}

int quendle_dump_main(int argc, const char* const* argv) {
  standard_output_watch_t standard_output;
  zarn_logger_t* logger = zarn_static_logger_t::get();
  logger->patterns.default_level = zarn_logger_t::LOG_DEBUG;
  logger->auto_recache_log_levels();
  logger->out = &std::cout;

  // TCLAP prints its own error text and usage and ends with status 1.
  TCLAP::CmdLine cmd("Core trace dumper.", ' ', "", true);
  TCLAP::ValueArg<std::string> chunk_arg("c", "chunk", "Chunk for decoding (in hex format)", true,
                                         "", "string");
  cmd.add(chunk_arg);
  TCLAP::ValueArg<int> xlen_arg("x", "xlen", "Xlen: 32 or 64", false, 64, "int");
  cmd.add(xlen_arg);
  cmd.parse(argc, argv);

  uint64_t word = 0;
  try {
    word = parse_chunk_text(chunk_arg.getValue());
  } catch (std::invalid_argument const& e) {
    std::cerr << "quendle_dump: " << e.what() << std::endl;
    return 1;
  }

  populate_heap(std::size_t(1) << 20);
  // The logger leaves write errors in the stream; lost output is no success.
  return standard_output.checked(run_quendle_dump(word, xlen_arg.getValue()));
}
