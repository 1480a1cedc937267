#include "et_printf_format.h"

#include <cstring>
#include <stdexcept>

namespace {

// Width and precision are capped so that the longest conversion, a sign or
// "0x" and the padded digits, still fits et_int_format_t::max_output.
constexpr unsigned max_int_width = et_int_format_t::max_output;
constexpr unsigned max_int_precision = et_int_format_t::max_output - 3;

[[noreturn]] void refuse(const std::string& spec, const std::string& why) {
  throw std::invalid_argument("invalid format '" + spec + "': " + why);
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Reads a decimal number of at most `limit`; refuses larger ones.
unsigned read_number(const std::string& spec, std::size_t& i, unsigned limit, const char* what) {
  unsigned n = 0;
  while (i < spec.size() && is_digit(spec[i])) {
    n = n * 10 + unsigned(spec[i] - '0');
    if (n > limit)
      refuse(spec, std::string(what) + " above " + std::to_string(limit));
    ++i;
  }
  return n;
}

// The characters after the conversion: nothing is allowed there.
void refuse_rest(const std::string& spec, std::size_t i) {
  if (i == spec.size()) return;
  if (spec.find("%n", i) != std::string::npos) refuse(spec, "%n is not allowed");
  if (spec.find('%', i) != std::string::npos)
    refuse(spec, "only one conversion is allowed");
  refuse(spec, "unexpected text '" + spec.substr(i) + "' after the conversion");
}

void refuse_conversion(const std::string& spec, std::size_t i, const char* expected) {
  if (i == spec.size()) refuse(spec, std::string("missing conversion (one of ") + expected + ")");
  char c = spec[i];
  if (c == 'n') refuse(spec, "%n is not allowed");
  if (c == '*') refuse(spec, "'*' width or precision is not allowed");
  if (c == '%') refuse(spec, "only one conversion is allowed");
  refuse(spec, std::string("'") + c + "' is not a conversion of " + expected);
}

}  // namespace

et_int_format_t::et_int_format_t(const std::string& spec) : spec_(spec) {
  std::size_t i = 0;
  // Flags. The grouping flag "'" is accepted: it has no effect in the C
  // locale, which the programs never change.
  for (; i < spec.size(); ++i) {
    char c = spec[i];
    if (c == '-') left_ = true;
    else if (c == '+') plus_ = true;
    else if (c == ' ') space_ = true;
    else if (c == '#') alt_ = true;
    else if (c == '0') zero_ = true;
    else if (c == '\'') continue;
    else break;
  }
  width_ = read_number(spec, i, max_int_width, "width");
  if (i < spec.size() && spec[i] == '.') {
    ++i;
    precision_ = int(read_number(spec, i, max_int_precision, "precision"));
  }
  // Length modifier: picks the type printf would read the argument as.
  value_bits_ = 32;
  if (spec.compare(i, 2, "hh") == 0) { value_bits_ = 8; i += 2; }
  else if (spec.compare(i, 2, "ll") == 0) { value_bits_ = 64; i += 2; }
  else if (i < spec.size() && spec[i] == 'h') { value_bits_ = 16; ++i; }
  else if (i < spec.size() && std::strchr("ljzt", spec[i]) != nullptr) { value_bits_ = 64; ++i; }

  const char* expected = "d i o u x X";
  if (i == spec.size() || std::strchr("dioxXu", spec[i]) == nullptr || spec[i] == '\0')
    refuse_conversion(spec, i, expected);
  char conv = spec[i++];
  signed_ = conv == 'd' || conv == 'i';
  base_ = conv == 'o' ? 8 : (conv == 'x' || conv == 'X') ? 16 : 10;
  upper_ = conv == 'X';
  refuse_rest(spec, i);
}

std::size_t et_int_format_t::format(char* out, std::uint64_t value) const {
  std::uint64_t v = value;
  if (value_bits_ < 64) v &= (std::uint64_t(1) << value_bits_) - 1;
  char sign = 0;
  if (signed_) {
    if (value_bits_ < 64 && (v >> (value_bits_ - 1)) != 0) v |= ~std::uint64_t(0) << value_bits_;
    if (std::int64_t(v) < 0) {
      sign = '-';
      v = 0 - v;
    } else if (plus_) {
      sign = '+';
    } else if (space_) {
      sign = ' ';
    }
  }

  char digits[24];  // reversed; 22 octal digits hold 64 bits
  std::size_t n = 0;
  const char* set = upper_ ? "0123456789ABCDEF" : "0123456789abcdef";
  // Shifts for the power-of-two bases; the division only for decimal.
  if (base_ == 16) {
    for (std::uint64_t m = v; m != 0; m >>= 4) digits[n++] = set[m & 0xf];
  } else if (base_ == 8) {
    for (std::uint64_t m = v; m != 0; m >>= 3) digits[n++] = set[m & 7];
  } else {
    // Two digits per division.
    static const char pairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    std::uint64_t m = v;
    for (; m >= 100; m /= 100) {
      const unsigned r = unsigned(m % 100);
      digits[n++] = pairs[2 * r + 1];
      digits[n++] = pairs[2 * r];
    }
    if (m >= 10) {
      digits[n++] = pairs[2 * m + 1];
      digits[n++] = pairs[2 * m];
    } else if (m != 0) {
      digits[n++] = char('0' + m);
    }
  }
  if (n == 0 && precision_ != 0) digits[n++] = '0';

  std::size_t zeros = precision_ > int(n) ? std::size_t(precision_) - n : 0;
  if (alt_ && base_ == 8 && zeros == 0 && (n == 0 || digits[n - 1] != '0')) zeros = 1;
  const char* prefix = (alt_ && base_ == 16 && v != 0) ? (upper_ ? "0X" : "0x") : "";
  std::size_t prefix_len = std::strlen(prefix);

  std::size_t body = (sign ? 1 : 0) + prefix_len + zeros + n;
  std::size_t pad = width_ > body ? width_ - body : 0;
  bool zero_pad = zero_ && !left_ && precision_ < 0;

  char* p = out;
  if (!left_ && !zero_pad) p = static_cast<char*>(std::memset(p, ' ', pad)) + pad;
  if (sign) *p++ = sign;
  std::memcpy(p, prefix, prefix_len);
  p += prefix_len;
  if (zero_pad) zeros += pad;
  p = static_cast<char*>(std::memset(p, '0', zeros)) + zeros;
  while (n > 0) *p++ = digits[--n];
  if (left_) p = static_cast<char*>(std::memset(p, ' ', pad)) + pad;
  return std::size_t(p - out);
}

et_str_format_t::et_str_format_t(const std::string& spec) : spec_(spec) {
  std::size_t i = 0;
  while (i < spec.size() && spec[i] == '-') {
    left_ = true;
    ++i;
  }
  width_ = read_number(spec, i, max_width, "width");
  if (i < spec.size() && spec[i] == '.') {
    ++i;
    precision_ = int(read_number(spec, i, max_width, "precision"));
  }
  if (i == spec.size() || spec[i] != 's') refuse_conversion(spec, i, "s");
  refuse_rest(spec, i + 1);
}

std::size_t et_str_format_t::format(char* out, const char* text, std::size_t text_len) const {
  std::size_t n = text_len;
  if (precision_ >= 0 && n > std::size_t(precision_)) n = std::size_t(precision_);
  std::size_t pad = width_ > n ? width_ - n : 0;
  char* p = out;
  if (!left_) p = static_cast<char*>(std::memset(p, ' ', pad)) + pad;
  std::memcpy(p, text, n);
  p += n;
  if (left_) p = static_cast<char*>(std::memset(p, ' ', pad)) + pad;
  return std::size_t(p - out);
}
