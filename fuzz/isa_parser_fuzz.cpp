// The ISA string parser: the input is the ISA string, then a NUL byte and
// the privilege-mode text. A bad string makes the parser hand its error line
// to a handler that throws it back here, instead of ending the process.
#include <string>

#include "disasm/isa_parser.h"
#include "fuzz_support.h"

namespace {

struct isa_error_t {
  std::string line;
};

[[noreturn]] void throw_line(const std::string& line) { throw isa_error_t{line}; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool handler_set = (isa_parser_t::set_error_handler(throw_line), true);
  (void)handler_set;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t nul = input.find('\0');
  const std::string isa = input.substr(0, nul);
  const std::string priv = nul == std::string::npos ? std::string() : input.substr(nul + 1);
  isa_parser_t parser;
  try {
    parser.init(isa, priv);
  } catch (const isa_error_t& e) {
    const std::string head = "error: bad --isa option '";
    // The string is shown as given: its own newlines stay in the line.
    if (e.line.compare(0, head.size(), head) != 0 || e.line.back() != '\n')
      fuzz::fail("not the parser's error line: " + e.line);
    return 0;
  }
  const uint32_t xlen = parser.get_max_xlen();
  if (xlen != 32 && xlen != 64) fuzz::fail("XLEN " + std::to_string(xlen));
  return 0;
}
