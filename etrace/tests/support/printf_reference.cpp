#include "support/printf_reference.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace et_test {

std::string c_printf_integer(const std::string& spec, std::uint64_t value) {
  const std::string format = "%" + spec;
  // Find the first "%" that is not "%%", then its length modifier.
  std::size_t i = 0;
  while (i < format.size() && (format[i] != '%' || format.compare(i, 2, "%%") == 0))
    i += format[i] == '%' ? 2 : 1;
  if (i >= format.size()) throw std::invalid_argument("no conversion in '" + spec + "'");
  ++i;
  while (i < format.size() && std::strchr("-+ #0'123456789.", format[i]) != nullptr) ++i;
  const std::size_t length_start = i;
  while (i < format.size() && std::strchr("hljzt", format[i]) != nullptr) ++i;
  const std::string length = format.substr(length_start, i - length_start);
  const bool wide = length.find_first_of("ljzt") != std::string::npos;
  const bool is_signed = i < format.size() && (format[i] == 'd' || format[i] == 'i');

  char text[128];
  int n;
  if (!wide && is_signed)  // narrower arguments are promoted to int
    n = std::snprintf(text, sizeof text, format.c_str(), int(std::int32_t(value)));
  else if (!wide)
    n = std::snprintf(text, sizeof text, format.c_str(), unsigned(value));
  else if (is_signed)
    n = std::snprintf(text, sizeof text, format.c_str(), (long long)(value));
  else
    n = std::snprintf(text, sizeof text, format.c_str(), (unsigned long long)(value));
  if (n < 0 || std::size_t(n) >= sizeof text)
    throw std::runtime_error("snprintf failed on '" + spec + "'");
  return std::string(text, std::size_t(n));
}

}  // namespace et_test
