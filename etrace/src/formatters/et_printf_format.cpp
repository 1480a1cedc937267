#include "etrace/formatters/et_printf_format.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "etrace/records/et_text.h"

namespace {

// Width and precision beyond the output's room can never fit. Within it, the
// constructor renders the longest conversion (a sign or "0x" before the
// precision's digits: two characters more at most) to see whether it fits.
constexpr unsigned max_int_width = et_int_format_t::max_output;
constexpr unsigned max_int_precision = et_int_format_t::max_output;
constexpr std::size_t longest_conversion = et_int_format_t::max_output + 2;

[[noreturn]] void refuse(const std::string& spec, const std::string& why) {
  throw std::invalid_argument("invalid format '" + spec + "': " + why);
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Reads a decimal number of text at i of at most `limit`; refuses larger
// ones, naming spec.
unsigned read_number(const std::string& text, std::size_t& i, unsigned limit, const char* what,
                     const std::string& spec) {
  unsigned n = 0;
  while (i < text.size() && is_digit(text[i])) {
    n = n * 10 + unsigned(text[i] - '0');
    if (n > limit) refuse(spec, std::string(what) + " above " + std::to_string(limit));
    ++i;
  }
  return n;
}

// The characters after the string conversion: nothing is allowed there.
void refuse_rest(const std::string& spec, std::size_t i) {
  if (i == spec.size()) return;
  if (spec.find("%n", i) != std::string::npos) refuse(spec, "%n is not allowed");
  if (spec.find('%', i) != std::string::npos) refuse(spec, "only one conversion is allowed");
  refuse(spec, "unexpected text '" + spec.substr(i) + "' after the conversion");
}

// The character at text[i] where a conversion was expected.
void refuse_conversion(const std::string& text, std::size_t i, const char* expected,
                       const std::string& spec) {
  if (i == text.size()) refuse(spec, std::string("missing conversion (one of ") + expected + ")");
  char c = text[i];
  if (c == 'n') refuse(spec, "%n is not allowed");
  if (c == '*') refuse(spec, "'*' width or precision is not allowed");
  if (c == '%') refuse(spec, "only one conversion is allowed");
  refuse(spec, std::string("'") + c + "' is not a conversion of " + expected);
}

// A "%" at text[i] after the one conversion: another conversion, or a "%"
// that starts none (printf's behaviour for either is not one integer).
[[noreturn]] void refuse_second(const std::string& text, std::size_t i, const std::string& spec) {
  std::size_t j = i + 1;
  while (j < text.size() && std::strchr("-+ #0'123456789.*hljztLq", text[j]) != nullptr) ++j;
  if (j == text.size()) refuse(spec, "a lone '%' at the end (\"%%\" writes a percent sign)");
  if (text[j] == 'n') refuse(spec, "%n is not allowed");
  if (std::strchr("diouxXcsfFeEgGaApm", text[j]) != nullptr)
    refuse(spec, "only one conversion is allowed");
  refuse(spec,
         "a lone '%' before '" + std::string(1, text[j]) + "' (\"%%\" writes a percent sign)");
}

}  // namespace

et_int_format_t::et_int_format_t(const std::string& spec) : spec_(spec) {
  // The text that sprintf would be given.
  const std::string text = "%" + spec;
  if (spec.find('\0') != std::string::npos) refuse(spec, "a zero byte is not allowed");
  std::string before, after;
  bool converted = false;
  for (std::size_t i = 0; i < text.size();) {
    std::string& literal = converted ? after : before;
    if (text[i] != '%') {
      literal += text[i++];
    } else if (text.compare(i, 2, "%%") == 0) {
      literal += '%';
      i += 2;
    } else if (converted) {
      refuse_second(text, i, spec);
    } else {
      i = parse_conversion(text, i + 1);
      converted = true;
    }
  }
  if (!converted) refuse(spec, "no conversion (one of d i o u x X)");

  // The longest conversion is that of the largest magnitude of the argument
  // type: all ones when unsigned, the most negative number when signed.
  char scratch[longest_conversion];
  std::size_t longest = 0;
  for (std::uint64_t v : {~std::uint64_t(0), std::uint64_t(1) << 7, std::uint64_t(1) << 15,
                          std::uint64_t(1) << 31, std::uint64_t(1) << 63})
    longest = std::max(longest, convert(scratch, v));
  if (before.size() + after.size() + longest > max_output)
    refuse(spec, "the text can be longer than " + std::to_string(max_output) + " characters");
  std::memcpy(text_, before.data(), before.size());
  std::memcpy(text_ + before.size(), after.data(), after.size());
  before_length_ = before.size();
  text_length_ = before.size() + after.size();
}

std::size_t et_int_format_t::parse_conversion(const std::string& text, std::size_t i) {
  // Flags. The grouping flag "'" is accepted: it has no effect in the C
  // locale, which the programs never change.
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c == '-')
      left_ = true;
    else if (c == '+')
      plus_ = true;
    else if (c == ' ')
      space_ = true;
    else if (c == '#')
      alt_ = true;
    else if (c == '0')
      zero_ = true;
    else if (c == '\'')
      continue;
    else
      break;
  }
  width_ = read_number(text, i, max_int_width, "width", spec_);
  if (i < text.size() && text[i] == '.') {
    ++i;
    precision_ = int(read_number(text, i, max_int_precision, "precision", spec_));
  }
  // Length modifier: picks the type printf would read the argument as.
  value_bits_ = 32;
  if (text.compare(i, 2, "hh") == 0) {
    value_bits_ = 8;
    i += 2;
  } else if (text.compare(i, 2, "ll") == 0) {
    value_bits_ = 64;
    i += 2;
  } else if (i < text.size() && text[i] == 'h') {
    value_bits_ = 16;
    ++i;
  } else if (i < text.size() && std::strchr("ljzt", text[i]) != nullptr) {
    value_bits_ = 64;
    ++i;
  }

  const char* expected = "d i o u x X";
  if (i == text.size() || std::strchr("dioxXu", text[i]) == nullptr)
    refuse_conversion(text, i, expected, spec_);
  char conv = text[i++];
  signed_ = conv == 'd' || conv == 'i';
  base_ = conv == 'o' ? 8 : (conv == 'x' || conv == 'X') ? 16 : 10;
  upper_ = conv == 'X';
  // "#" does nothing to a decimal conversion, "+" and " " nothing to an
  // unsigned one.
  plain_ = precision_ < 0 && (!alt_ || base_ == 10) && (!signed_ || (!plus_ && !space_));
  return i;
}

namespace {

// Two digits at a time: "00" to "99", and the byte values in upper-case
// hexadecimal (the lower-case ones are the record texts' et_text::hex_pairs).
struct digit_pairs_t {
  char decimal[200];
  char upper[512];
  constexpr digit_pairs_t() : decimal(), upper() {
    for (int i = 0; i < 100; ++i) {
      decimal[2 * i] = char('0' + i / 10);
      decimal[2 * i + 1] = char('0' + i % 10);
    }
    for (int i = 0; i < 256; ++i) {
      upper[2 * i] = "0123456789ABCDEF"[i >> 4];
      upper[2 * i + 1] = "0123456789ABCDEF"[i & 0xf];
    }
  }
};
constexpr digit_pairs_t digit_pairs;

constexpr std::uint64_t powers_of_ten[20] = {1ull,
                                             10ull,
                                             100ull,
                                             1000ull,
                                             10000ull,
                                             100000ull,
                                             1000000ull,
                                             10000000ull,
                                             100000000ull,
                                             1000000000ull,
                                             10000000000ull,
                                             100000000000ull,
                                             1000000000000ull,
                                             10000000000000ull,
                                             100000000000000ull,
                                             1000000000000000ull,
                                             10000000000000000ull,
                                             100000000000000000ull,
                                             1000000000000000000ull,
                                             10000000000000000000ull};

// Both are inlined into the conversions: they are most of their work.
#define ET_ALWAYS_INLINE inline __attribute__((always_inline))

// Number of digits of v in base 8, 10 or 16 (1 for 0), without dividing.
ET_ALWAYS_INLINE unsigned digit_count(std::uint64_t v, unsigned base) {
  const unsigned bits = unsigned(64 - __builtin_clzll(v | 1));
  if (base == 16) return (bits + 3) / 4;
  if (base == 8) return (bits + 2) / 3;
  const unsigned guess = bits * 1233 >> 12;  // bits * log10(2), at most one too small
  const unsigned n = guess + (v >= powers_of_ten[guess] ? 1 : 0);
  return n == 0 ? 1 : n;
}

// Writes the n low digits of v so that they end just before end.
ET_ALWAYS_INLINE void write_digits(char* end, std::uint64_t v, unsigned n, unsigned base,
                                   bool upper) {
  char* p = end;
  if (base == 16) {
    const char* pairs = upper ? digit_pairs.upper : et_text::hex_pairs.text;
    for (; n >= 2; n -= 2, v >>= 8) std::memcpy(p -= 2, &pairs[2 * (v & 0xff)], 2);
    if (n != 0) *--p = pairs[2 * (v & 0xf) + 1];
  } else if (base == 10) {
    // Four digits per step of the division chain, as two independent pairs.
    for (; n >= 4; n -= 4, v /= 10000) {
      const unsigned four = unsigned(v % 10000);
      std::memcpy(p -= 2, &digit_pairs.decimal[2 * (four % 100)], 2);
      std::memcpy(p -= 2, &digit_pairs.decimal[2 * (four / 100)], 2);
    }
    for (; n >= 2; n -= 2, v /= 100) std::memcpy(p -= 2, &digit_pairs.decimal[2 * (v % 100)], 2);
    if (n != 0) *--p = char('0' + v % 10);
  } else {
    for (; n != 0; --n, v >>= 3) *--p = char('0' + (v & 7));
  }
}

}  // namespace

std::uint64_t et_int_format_t::magnitude(std::uint64_t value, bool& negative) const {
  std::uint64_t v = value;
  if (value_bits_ < 64) v &= (std::uint64_t(1) << value_bits_) - 1;
  negative = false;
  if (signed_) {
    if (value_bits_ < 64 && (v >> (value_bits_ - 1)) != 0) v |= ~std::uint64_t(0) << value_bits_;
    if (std::int64_t(v) < 0) {
      negative = true;
      v = 0 - v;
    }
  }
  return v;
}

std::size_t et_int_format_t::format_plain(char* out, std::uint64_t value) const {
  bool negative;
  const std::uint64_t v = magnitude(value, negative);
  const unsigned n = digit_count(v, base_);
  const unsigned body = n + (negative ? 1 : 0);
  const unsigned length = width_ > body ? width_ : body;
  // Fill the whole field with one fixed-size store (out has room for
  // max_output), then put the sign and the digits over it.
  const bool zero_pad = zero_ && !left_;
  std::memset(out, zero_pad ? '0' : ' ', max_output);
  if (negative) *(left_ || zero_pad ? out : out + (length - body)) = '-';
  write_digits(left_ ? out + body : out + length, v, n, base_, upper_);
  return length;
}

std::size_t et_int_format_t::format_with_text(char* out, std::uint64_t value) const {
  char converted[max_output];
  const std::size_t n = convert(converted, value);
  std::memcpy(out, text_, before_length_);
  std::memcpy(out + before_length_, converted, n);
  std::memcpy(out + before_length_ + n, text_ + before_length_, text_length_ - before_length_);
  return text_length_ + n;
}

std::size_t et_int_format_t::format_general(char* out, std::uint64_t value) const {
  bool negative;
  const std::uint64_t v = magnitude(value, negative);
  char sign = 0;
  if (negative)
    sign = '-';
  else if (signed_ && plus_)
    sign = '+';
  else if (signed_ && space_)
    sign = ' ';

  // printf writes no digit for 0 at precision 0.
  const unsigned n = v == 0 && precision_ == 0 ? 0 : digit_count(v, base_);
  std::size_t zeros = precision_ > int(n) ? std::size_t(precision_) - n : 0;
  // "#o" makes the first digit a 0.
  if (alt_ && base_ == 8 && zeros == 0 && (n == 0 || v != 0)) zeros = 1;
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
  write_digits(p + n, v, n, base_, upper_);
  p += n;
  if (left_) p = static_cast<char*>(std::memset(p, ' ', pad)) + pad;
  return std::size_t(p - out);
}

et_str_format_t::et_str_format_t(const std::string& spec) : spec_(spec) {
  std::size_t i = 0;
  while (i < spec.size() && spec[i] == '-') {
    left_ = true;
    ++i;
  }
  width_ = read_number(spec, i, max_width, "width", spec);
  if (i < spec.size() && spec[i] == '.') {
    ++i;
    precision_ = int(read_number(spec, i, max_width, "precision", spec));
  }
  if (i == spec.size() || spec[i] != 's') refuse_conversion(spec, i, "s", spec);
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
