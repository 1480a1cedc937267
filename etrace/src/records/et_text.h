#pragma once
// Number formatting shared by the one-line texts of the trace records and
// the "swt" listing. The texts are built by appending to one caller-owned
// string (or writing into a caller's buffer), so a caller that reuses it
// formats records without allocating.
#include <cstdint>
#include <cstring>
#include <string>

namespace et_text {

// The writers below put their digits at p and return the end; the string
// forms append through them. Callers make room: at most max(16, min_digits)
// hexadecimal or 20 decimal characters.

inline char* put_repeat(char* p, char c, std::size_t n) {
  std::memset(p, c, n);
  return p + n;
}

// The 256 two-digit lower-case hexadecimal texts, for writing a byte at a time.
struct hex_pairs_t {
  char text[512];
  constexpr hex_pairs_t() : text() {
    const char digits[] = "0123456789abcdef";
    for (int i = 0; i < 256; ++i) {
      text[2 * i] = digits[i >> 4];
      text[2 * i + 1] = digits[i & 0xf];
    }
  }
};
constexpr hex_pairs_t hex_pairs;

// The eight hexadecimal digits of a 32-bit value as eight characters, most
// significant first, computed on all digits at once (most fields are 8 or
// 16 digits long).
inline std::uint64_t hex8(std::uint64_t v) {
  std::uint64_t x = v & 0xffffffff;
  x = (x | (x << 16)) & 0x0000ffff0000ffff;
  x = (x | (x << 8)) & 0x00ff00ff00ff00ff;
  x = (x | (x << 4)) & 0x0f0f0f0f0f0f0f0f;  // nibble i in byte i
  const std::uint64_t letters = ((x + 0x0606060606060606) >> 4) & 0x0101010101010101;
  return __builtin_bswap64(x + 0x3030303030303030 + letters * ('a' - '0' - 10));
}
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "hex8 stores little-endian words");

// Lower-case hexadecimal with at least min_digits digits.
inline char* put_hex(char* p, std::uint64_t v, unsigned min_digits) {
  unsigned n = v == 0 ? 1 : unsigned(64 - __builtin_clzll(v) + 3) / 4;
  if (min_digits > 16) p = put_repeat(p, '0', min_digits - 16);
  if (n < min_digits) n = min_digits < 16 ? min_digits : 16;
  if (n == 16 || n == 8) {
    std::uint64_t text = hex8(v);
    if (n == 16) {
      const std::uint64_t high = hex8(v >> 32);
      std::memcpy(p, &high, 8);
      p += 8;
    }
    std::memcpy(p, &text, 8);
    return p + 8;
  }
  char* const end = p + n;
  char* q = end;
  for (; q - p >= 2; v >>= 8) {
    q -= 2;
    std::memcpy(q, &hex_pairs.text[2 * (v & 0xff)], 2);
  }
  if (q > p) *--q = hex_pairs.text[2 * (v & 0xf) + 1];
  return end;
}

inline char* put_dec(char* p, std::uint64_t v) {
  char buf[20];
  unsigned n = 0;
  do {
    buf[n++] = char('0' + v % 10);
    v /= 10;
  } while (v != 0);
  while (n > 0) *p++ = buf[--n];
  return p;
}

// Lower-case hexadecimal without prefix, zero-padded to at least min_digits.
inline void hex(std::string& out, uint64_t value, int min_digits = 1)
{
  if (min_digits > 16) out.append(std::size_t(min_digits - 16), '0');
  const unsigned digits = min_digits < 1 ? 1u : min_digits > 16 ? 16u : unsigned(min_digits);
  char buf[16];
  out.append(buf, std::size_t(put_hex(buf, value, digits) - buf));
}

// Unsigned decimal, right-aligned in at least width columns filled with fill.
inline void dec(std::string& out, uint64_t value, int width = 0, char fill = ' ')
{
  char buf[20];
  const std::size_t n = std::size_t(put_dec(buf, value) - buf);
  if (width > 0 && n < std::size_t(width)) out.append(std::size_t(width) - n, fill);
  out.append(buf, n);
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
