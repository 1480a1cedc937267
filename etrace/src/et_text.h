#pragma once
// Number formatting shared by the one-line texts of the trace records.
// The texts are built by appending to one caller-owned string, so a caller
// that reuses its string formats records without allocating.
#include <cstdint>
#include <string>

namespace et_text {

// Lower-case hexadecimal without prefix, zero-padded to at least min_digits.
inline void hex(std::string& out, uint64_t value, int min_digits = 1)
{
  static const char digits[] = "0123456789abcdef";
  char buf[16];
  int n = 0;
  do {
    buf[n++] = digits[value & 0xf];
    value >>= 4;
  } while (value != 0);
  for (int i = n; i < min_digits; ++i) out.push_back('0');
  while (n > 0) out.push_back(buf[--n]);
}

// Unsigned decimal, right-aligned in at least width columns filled with fill.
inline void dec(std::string& out, uint64_t value, int width = 0, char fill = ' ')
{
  char buf[20];
  int n = 0;
  do {
    buf[n++] = char('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (int i = n; i < width; ++i) out.push_back(fill);
  while (n > 0) out.push_back(buf[--n]);
}

// label + decimal value, e.g. " ID=5".
inline void dec_field(std::string& out, const char* label, uint64_t value)
{
  out += label;
  dec(out, value);
}

// label + hexadecimal value of at least min_digits digits, e.g. " F=07".
inline void hex_field(std::string& out, const char* label, uint64_t value, int min_digits = 1)
{
  out += label;
  hex(out, value, min_digits);
}

// The text of any record with append_text, as a new string.
template <class Record>
std::string text_of(const Record& record)
{
  std::string out;
  record.append_text(out);
  return out;
}

}  // namespace et_text
