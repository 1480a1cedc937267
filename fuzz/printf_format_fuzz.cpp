// The printf formats that quendle takes from its command line. The input is
// the format text, a NUL byte, then the value (8 bytes) and the text to
// convert. An accepted integer format must write what snprintf writes and
// pass quendle's option parser; a string conversion must write what
// snprintf writes, into no more than the room it documents.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "etrace/formatters/et_printf_format.h"
#include "fuzz_support.h"
#include "quendle_options.h"
#include "support/printf_reference.h"

namespace {

void check_integer(const std::string& spec, uint64_t value) {
  et_int_format_t format(spec);
  // Exactly the room format() documents.
  const std::unique_ptr<char[]> out(new char[et_int_format_t::max_output]);
  const size_t n = format.format(out.get(), value);
  if (n > et_int_format_t::max_output) fuzz::fail("longer than max_output: " + spec);
  if (std::string(out.get(), n) != et_test::c_printf_integer(spec, value))
    fuzz::fail("not printf's text for " + spec);

  const char* argv[] = {"quendle", "-c",  "soc.xml",         "-t",        "in.trace",
                        "-o",      "out", "--swt-ts-format", spec.c_str()};
  const fuzz::quiet_streams_t quiet;
  if (parse_quendle_command_line(9, argv).ts_format != spec) fuzz::fail("the option lost " + spec);
}

void check_string(const std::string& spec, const std::string& text) {
  et_str_format_t format(spec);
  const std::string expected = [&] {
    std::vector<char> buffer(et_str_format_t::max_width + text.size() + 1);
    std::snprintf(buffer.data(), buffer.size(), ("%" + spec).c_str(), text.c_str());
    return std::string(buffer.data());
  }();
  const std::unique_ptr<char[]> out(new char[et_str_format_t::max_width + text.size()]);
  const size_t n = format.format(out.get(), text.data(), text.size());
  if (std::string(out.get(), n) != expected) fuzz::fail("not printf's text for " + spec);

  // The column form: a 40-character array, with the room it documents.
  char column[40] = {};
  std::memcpy(column, text.data(), std::min(text.size(), sizeof column));
  const size_t room = std::max(sizeof column, size_t(et_str_format_t::max_width + 32));
  const std::unique_ptr<char[]> wide(new char[room]);
  const std::unique_ptr<char[]> plain(new char[et_str_format_t::max_width + sizeof column]);
  const size_t m = format.format_array(wide.get(), column);
  const size_t p = format.format(plain.get(), column, strnlen(column, sizeof column));
  if (std::string(wide.get(), m) != std::string(plain.get(), p))
    fuzz::fail("the array form differs for " + spec);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t nul = input.find('\0');
  const std::string spec = input.substr(0, nul);
  uint64_t value = 0;
  std::string text;
  if (nul != std::string::npos) {
    const std::string rest = input.substr(nul + 1);
    std::memcpy(&value, rest.data(), std::min<size_t>(rest.size(), 8));
    if (rest.size() > 8) text = rest.substr(8);
    text = text.substr(0, text.find('\0'));  // what %s would read
  }
  try {
    check_integer(spec, value);
  } catch (const std::invalid_argument& e) {
    if (*e.what() == '\0') fuzz::fail("an error without a message");
  }
  try {
    check_string(spec, text);
  } catch (const std::invalid_argument& e) {
    if (*e.what() == '\0') fuzz::fail("an error without a message");
  }
  return 0;
}
