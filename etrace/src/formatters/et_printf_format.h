// printf-style conversions for user-supplied output formats.
//
// The time-stamp and uiid formats of the "swt" listing come from the command
// line, so they are untrusted: instead of handing them to printf, each is
// parsed once into a conversion object that accepts exactly one conversion
// (with literal text around it) and renders it into a caller's bounded
// buffer. The output is byte for byte what printf gives for the same format
// (in the C locale).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

// What sprintf writes for "%" + spec and one 64-bit integer: literal text,
// "%%" and exactly one integer conversion, with flags, width, precision,
// length and one of d i o u x X (for example "10ld", "08lx", "ld cycles",
// "d%%"). The argument is read as the type that the length modifier names.
class et_int_format_t {
public:
  // Longest text that format() can produce, terminating zero excluded: the
  // room of a 32-character sprintf buffer. A spec whose longest result would
  // not fit is refused.
  static constexpr std::size_t max_output = 31;

  et_int_format_t() = default;
  // Throws std::invalid_argument naming what is wrong with the text.
  explicit et_int_format_t(const std::string& spec);

  // Writes the text (no terminating zero) and returns its length, at most
  // max_output. out must have room for max_output characters.
  std::size_t format(char* out, std::uint64_t value) const {
    if (text_length_ != 0) return format_with_text(out, value);
    return convert(out, value);
  }

  const std::string& spec() const { return spec_; }

private:
  // The conversion alone; out has room for max_output.
  std::size_t convert(char* out, std::uint64_t value) const {
    return plain_ ? format_plain(out, value) : format_general(out, value);
  }
  // The plain conversions (no precision, no "#", no sign flag in effect):
  // the defaults and most user formats, written without the general path.
  std::size_t format_plain(char* out, std::uint64_t value) const;
  // Every other conversion.
  std::size_t format_general(char* out, std::uint64_t value) const;
  // The conversion between its literal texts.
  std::size_t format_with_text(char* out, std::uint64_t value) const;
  // The argument as printf reads it, as a magnitude and a sign.
  std::uint64_t magnitude(std::uint64_t value, bool& negative) const;
  // Reads the conversion that starts at text[i] (after its "%"); returns
  // the index after it.
  std::size_t parse_conversion(const std::string& text, std::size_t i);

  std::string spec_ = "d";
  bool left_ = false, plus_ = false, space_ = false, alt_ = false, zero_ = false;
  bool plain_ = true;
  unsigned width_ = 0;
  int precision_ = -1;        // -1: none given
  unsigned value_bits_ = 32;  // the argument type that the length modifier names
  bool signed_ = true;
  unsigned base_ = 10;
  bool upper_ = false;
  // The literal texts before and after the conversion ("%%" already made
  // "%"), one after the other in text_.
  char text_[max_output] = {};
  std::size_t before_length_ = 0;
  std::size_t text_length_ = 0;
};

// One string conversion: the flag "-", width, precision and "s" (the
// disassembly column "-30s").
class et_str_format_t {
public:
  static constexpr unsigned max_width = 255;

  et_str_format_t() = default;
  explicit et_str_format_t(const std::string& spec);

  // Writes at most max(width, text length) characters, no terminating zero,
  // and returns the count; out must have room for max_width + text length.
  std::size_t format(char* out, const char* text, std::size_t text_len) const;

  // The same for the zero-terminated text in an array of N characters. A
  // left-aligned conversion of the whole text copies the array whole and
  // pads in blocks of 32 (fixed-size copies, no library calls): out must have
  // room for max(N, max_width + 32) characters; what lies past the returned
  // count is scratch.
  template <std::size_t N>
  std::size_t format_array(char* out, const char (&text)[N]) const {
    const std::size_t n = strnlen(text, N);
    if (!left_ || precision_ >= 0) return format(out, text, n);
    std::memcpy(out, text, N);
    for (std::size_t i = n; i < width_; i += sizeof blanks_)
      std::memcpy(out + i, blanks_, sizeof blanks_);
    return n > width_ ? n : width_;
  }

  const std::string& spec() const { return spec_; }

private:
  static constexpr char blanks_[32] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                       ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                       ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};

  std::string spec_ = "s";
  bool left_ = false;
  unsigned width_ = 0;
  int precision_ = -1;
};
