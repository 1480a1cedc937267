#pragma once
// RVT extractor: walks a binary trace record stream by the byte lengths of
// its records and copies out the 8-byte payloads of the RVT records, without
// decoding anything else. It accepts only the control and instruction
// records besides; a message record has no length here and is an error.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

#include "etrace/stream/et_reader.h"
#include "etrace/stream/et_stream_geometry.h"

class mh_rvt_reader_t : public et_reader_t {
public:
  // Opens the trace file; the geometry's field widths give the lengths of
  // the instruction records (its cache-line layout is not used). Throws
  // std::runtime_error for a width outside 1 to 64
  // (et_stream_geometry_t::check_widths), before the file is opened, and
  // when the file cannot be opened.
  mh_rvt_reader_t(const std::string& path, const et_stream_geometry_t& geometry);
  // The same with the four widths.
  mh_rvt_reader_t(const std::string& path, int xlen, int flen, unsigned long paddr_width,
                  unsigned long irf_data_width);
  ~mh_rvt_reader_t() override;

  // Not offered by this reader: throws std::runtime_error("Not suitable call").
  et_object_t* get_next_object() override;

  // Copies the next RVT words, in stream order, into buffer until at least n
  // bytes are there or the stream ends, and returns the number of bytes
  // written; 0 once the stream is exhausted. The buffer must hold n bytes
  // rounded up to a multiple of 8. A record the extractor cannot take ends
  // the extraction: the words before it are returned first, then every call
  // throws its std::runtime_error.
  unsigned long extract(void* buffer, unsigned long n);

private:
  // The loop of extract: copies words to out, counting bytes in count, which
  // holds what was copied when a bad record throws.
  void copy_words(uint8_t* out, unsigned long n, unsigned long& count);
  // Reads size bytes; false when the file ends first.
  bool read_bytes(void* into, std::size_t size);

  int fd_ = -1;
  FILE* file_ = nullptr;
  // Payload bytes after the header byte, by header code (et_wire_format.h);
  // 0 = not accepted.
  uint8_t payload_bytes_[256] = {};
  uint64_t position_ = 0;       // byte offset in the file of the next byte read
  std::exception_ptr failure_;  // the error that ended the extraction
};
