#pragma once
// The reader interface of the trace tools: a source of trace objects, read
// from one trace file.
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "etrace/records/et_object.h"

class et_reader_t {
public:
  explicit et_reader_t(std::string path) : path(std::move(path)) {}
  virtual ~et_reader_t() = default;

  et_reader_t(const et_reader_t&) = delete;
  et_reader_t& operator=(const et_reader_t&) = delete;

  // The next trace object, or null at the end of the trace. The object
  // belongs to the reader and stays valid only until the next call.
  virtual et_object_t* get_next_object() = 0;

  // Debugging hook of a reader; does nothing by default.
  virtual void dump_window() const {}

  // A trace file that cannot be opened, or read at a byte position, in one
  // wording for every reader; error is the failure's errno (EIO when none).
  static std::runtime_error open_error(const std::string& path, int error);
  static std::runtime_error read_error(const std::string& path, uint64_t position, int error);

  // Throws open_error or read_error for a file that cannot be read at all
  // (missing, no permission, a directory, a first read that fails), so a
  // program can say so before it opens its output. A pipe or a device is
  // left alone: a read there would take bytes from the reader.
  static void check_readable(const std::string& path);

protected:
  // Opens path read-only as a buffered stream and sets fd to its descriptor;
  // throws std::runtime_error with the system error text.
  static FILE* open_trace(const std::string& path, int& fd);

  std::string path;  // the trace file, "unknown" for a stream handed over
};
