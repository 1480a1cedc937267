#pragma once
// Number formatting shared by the one-line texts of the trace records and
// the "swt" listing. The texts are built by appending to one caller-owned
// string (or writing into a caller's buffer), so a caller that reuses it
// formats records without allocating.
#include <cstdint>
#include <cstring>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>  // part of every x86-64
#endif

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

#if defined(__SSE2__)
// The 8 or 16 low hexadecimal digits of v, most significant first, made
// all at once (most fields are 8 or 16 digits long): the bytes in print
// order are split into their two nibbles, and every nibble becomes a digit
// or a letter in the same instruction.
inline char* put_hex_block(char* p, std::uint64_t v, unsigned n) {
  const __m128i bytes = _mm_cvtsi64_si128(std::int64_t(__builtin_bswap64(n == 16 ? v : v << 32)));
  const __m128i low = _mm_set1_epi8(0x0f);
  const __m128i nibbles =
      _mm_unpacklo_epi8(_mm_and_si128(_mm_srli_epi16(bytes, 4), low), _mm_and_si128(bytes, low));
  const __m128i letters =
      _mm_and_si128(_mm_cmpgt_epi8(nibbles, _mm_set1_epi8(9)), _mm_set1_epi8('a' - '0' - 10));
  const __m128i text = _mm_add_epi8(_mm_add_epi8(nibbles, _mm_set1_epi8('0')), letters);
  if (n == 16)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), text);
  else
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), text);
  return p + n;
}
#endif

// Lower-case hexadecimal with at least min_digits digits.
inline char* put_hex(char* p, std::uint64_t v, unsigned min_digits) {
  unsigned n = v == 0 ? 1 : unsigned(64 - __builtin_clzll(v) + 3) / 4;
  if (min_digits > 16) p = put_repeat(p, '0', min_digits - 16);
  if (n < min_digits) n = min_digits < 16 ? min_digits : 16;
#if defined(__SSE2__)
  if (n == 16 || n == 8) return put_hex_block(p, v, n);
#endif
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
inline void hex(std::string& out, uint64_t value, int min_digits = 1) {
  if (min_digits > 16) out.append(std::size_t(min_digits - 16), '0');
  const unsigned digits = min_digits < 1 ? 1u : min_digits > 16 ? 16u : unsigned(min_digits);
  char buf[16];
  out.append(buf, std::size_t(put_hex(buf, value, digits) - buf));
}

// Unsigned decimal, right-aligned in at least width columns filled with fill.
inline void dec(std::string& out, uint64_t value, int width = 0, char fill = ' ') {
  char buf[20];
  const std::size_t n = std::size_t(put_dec(buf, value) - buf);
  if (width > 0 && n < std::size_t(width)) out.append(std::size_t(width) - n, fill);
  out.append(buf, n);
}

// label + decimal value, e.g. " ID=5".
inline void dec_field(std::string& out, const char* label, uint64_t value) {
  out += label;
  dec(out, value);
}

// label + hexadecimal value of at least min_digits digits, e.g. " F=07".
inline void hex_field(std::string& out, const char* label, uint64_t value, int min_digits = 1) {
  out += label;
  hex(out, value, min_digits);
}

// The text of any record with append_text, as a new string.
template <class Record>
std::string text_of(const Record& record) {
  std::string out;
  record.append_text(out);
  return out;
}

}  // namespace et_text
