// The C library's own text for an integer format, for checking the
// formatters' conversions against it.
#pragma once

#include <cstdint>
#include <string>

namespace et_test {

// snprintf of "%" + spec with value passed as the argument type that the
// length modifier of the spec's first conversion names (int for none, "h"
// and "hh"; 64 bits for "l", "ll", "j", "z" and "t"). spec must hold a
// conversion; the result must fit 127 characters.
std::string c_printf_integer(const std::string& spec, std::uint64_t value);

}  // namespace et_test
