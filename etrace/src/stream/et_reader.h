#pragma once
// The reader interface of the trace tools: a source of trace objects, read
// from one trace file.
#include <cstdio>
#include <string>

#include "records/et_object.h"

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

protected:
  // Opens path read-only as a buffered stream and sets fd to its descriptor;
  // throws std::runtime_error with the system error text.
  static FILE* open_trace(const std::string& path, int& fd);

  std::string path;  // the trace file, "unknown" for a stream handed over
};
