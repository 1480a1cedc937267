#pragma once
// Bit input of the binary trace record stream: one little-endian bit stream,
// every field least-significant bit first, records padded to whole bytes.
//
// The stream is read in chunks of up to 512 KB (et_chunk_ring.h), so that
// neither a system call nor a stdio call is made per record; fields are then
// cut out of the chunk with unaligned 64-bit loads. A regular file can be
// read ahead by a helper thread; a pipe gives what it holds. The stream is
// accounted in 16-byte blocks, the
// unit in which the trace tools have always loaded it, so the position in
// error texts stays the same.
//
// A decoder copies the read position into a cursor, a local variable, and
// stores it back when done: kept in registers, the position does not have to
// be reloaded after every byte stored into a record.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

class et_chunk_ring_t;
class mh_bit_reader_t;
class mh_unchecked_bits_t;

// The n bits (1 to 64) at bit position pos of data, least-significant first;
// reads the nine bytes from pos / 8 on.
inline uint64_t mh_extract_bits(const uint8_t* data, std::size_t pos, unsigned n) {
  const uint8_t* p = data + (pos >> 3);
  const unsigned shift = unsigned(pos & 7);
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap64(v);
#endif
  uint64_t value = v >> shift;
  // A field that starts inside a byte can reach into a ninth byte.
  if (shift + n > 64) value |= uint64_t(p[8]) << (64 - shift);
  return value & (~uint64_t(0) >> (64 - n));
}

class mh_bit_cursor_t {
public:
  static constexpr bool checked = true;

  // The next n bits (1 to 64), least-significant first. At the end of the
  // data throws std::underflow_error with an empty text.
  inline uint64_t get(int n);

  // Consumes n bits of any count; ends the data like get.
  void skip(uint64_t n) {
    while (n > 64) {
      get(64);
      n -= 64;
    }
    if (n != 0) get(int(n));
  }

  // Drops the padding bits up to the next byte boundary.
  void align_to_byte() { pos_ = (pos_ + 7) & ~std::size_t(7); }
  bool at_byte_boundary() const { return (pos_ & 7) == 0; }

  // Whole bytes loaded after the read position: a decoder that needs no more
  // than these can read them unchecked (mh_unchecked_bits_t), from
  // next_byte() on, at a byte boundary.
  std::size_t bytes_ahead() const { return (end_ - pos_) >> 3; }
  const uint8_t* next_byte() const { return data_ + (pos_ >> 3); }
  // Continues n bytes further, after what was read unchecked.
  void advance_bytes(std::size_t n) { pos_ += n * 8; }

private:
  friend class mh_bit_reader_t;

  mh_bit_cursor_t(mh_bit_reader_t* reader, const uint8_t* data, std::size_t pos, std::size_t end)
      : reader_(reader), data_(data), pos_(pos), end_(end) {}

  mh_bit_reader_t* reader_;
  const uint8_t* data_;  // the loaded bytes (of the reader's current chunk)
  std::size_t pos_;      // next unread bit, counted from data_[0]
  std::size_t end_;      // number of valid bits from data_[0] on
};

class mh_bit_reader_t {
public:
  // The unit of input accounting in bytes.
  static constexpr std::size_t block_bytes = 16;

  // Reads from input, which stays the caller's; path only names it in texts.
  mh_bit_reader_t(FILE* input, std::string path);
  ~mh_bit_reader_t();
  // Reads a regular file ahead in a helper thread from now on; for its
  // owner to call once it is built.
  void start_read_ahead();
  // The input is a regular file (not a pipe or a stream in memory).
  bool reads_regular_file() const;
  // A regular file's bytes from where the reader started; 0 for other inputs.
  uint64_t file_bytes() const;

  mh_bit_reader_t(const mh_bit_reader_t&) = delete;
  mh_bit_reader_t& operator=(const mh_bit_reader_t&) = delete;

  // The read position, to decode from; store() it back afterwards. After an
  // exception the position need not be stored: the data has ended or the
  // stream is unusable.
  mh_bit_cursor_t cursor() { return mh_bit_cursor_t(this, data_, pos_, end_); }
  void store(const mh_bit_cursor_t& cursor) {
    data_ = cursor.data_;
    pos_ = cursor.pos_;
    end_ = cursor.end_;
  }

  // The next n bits (1 to 64), through a cursor of its own.
  uint64_t get_bits(int n) {
    mh_bit_cursor_t c = cursor();
    const uint64_t value = c.get(n);
    store(c);
    return value;
  }

  // Starts again where reading began, as if newly made: for a regular file,
  // which is read by position.
  void rewind();

  // The file position after the last 16-byte block that the bits read up to
  // the cursor needed: where a block-by-block reader would stand, as ftell
  // reports it.
  long block_position(const mh_bit_cursor_t& cursor) const;

private:
  friend class mh_bit_cursor_t;

  // Makes n bits available after the cursor (carrying the unread bytes over
  // to the front of the next chunk) or ends the data.
  mh_bit_cursor_t fill(mh_bit_cursor_t cursor, unsigned n);

  FILE* const input_;
  const std::string path_;
  std::unique_ptr<et_chunk_ring_t> chunks_;
  // No data yet: a cursor at 0 of 0 bits, whose first read fills.
  static const uint8_t no_data_[16];
  const uint8_t* data_ = no_data_;  // stored cursor data
  std::size_t pos_ = 0;             // stored cursor position
  std::size_t end_ = 0;             // stored count of valid bits
  uint64_t buffer_start_ = 0;       // stream byte held in data_[0]
  long start_offset_ = 0;           // file position where reading began
  bool at_eof_ = false;             // the input has no more bytes
  bool holding_chunk_ = false;      // data_ lies in a chunk taken from chunks_
};

// The bits of one record that lies wholly in a cursor's loaded bytes (see
// mh_bit_cursor_t::bytes_ahead), read without the end check. Positions count
// from the record's first byte, so that once the decoder is inlined the
// compiler knows where each field of fixed width lies: a load at a constant
// offset and a constant shift. A plain value that the compiler keeps in
// registers, unlike a cursor, whose address the refilling and error paths
// take.
class mh_unchecked_bits_t {
public:
  static constexpr bool checked = false;

  explicit mh_unchecked_bits_t(const uint8_t* record) : data_(record) {}

  uint64_t get(int n) {
    const uint64_t value = mh_extract_bits(data_, pos_, unsigned(n));
    pos_ += unsigned(n);
    return value;
  }
  void skip(uint64_t n) { pos_ += n; }
  void align_to_byte() { pos_ = (pos_ + 7) & ~std::size_t(7); }
  // Bytes read, after align_to_byte.
  std::size_t bytes() const { return pos_ >> 3; }

private:
  const uint8_t* data_;
  std::size_t pos_ = 0;
};

inline uint64_t mh_bit_cursor_t::get(int n) {
  if (__builtin_expect(pos_ + unsigned(n) > end_, 0)) *this = reader_->fill(*this, unsigned(n));
  const uint64_t value = mh_extract_bits(data_, pos_, unsigned(n));
  pos_ += unsigned(n);
  return value;
}
