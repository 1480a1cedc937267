#pragma once
// Builds trace files for tests with the project's own stream writer. Each
// builder owns one temporary file, removed when the builder goes away.
//
//   trace_builder_t trace({/*xlen*/ 32});
//   trace.hart(0).insn(make_insn(0, 0x80000000, 0x13));
//   mh_swt_reader_t reader(trace.finish(), 1, false, false, false, trace.config().geometry());
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "etrace/records/dct_object.h"
#include "etrace/records/et_insn.h"
#include "etrace/records/l2t_object.h"
#include "etrace/stream/et_record.h"
#include "etrace/stream/et_stream_geometry.h"
#include "etrace/stream/et_wire_format.h"
#include "etrace/stream/et_writer.h"

namespace et_test {

// The stream's width parameters, as a reader is configured with them.
struct trace_config_t {
  int xlen = 64;
  int flen = 64;
  int irf_data_width = 64;
  int paddr_width = 56;
  unsigned long cl_width = 512;
  unsigned long cl_chunks = 1;
  bool poison_enable = false;
  uint64_t ring_size = 0;  // writer ring mode when not 0

  // The stream geometry of these parameters.
  et_stream_geometry_t geometry() const {
    return et_stream_geometry_t{xlen,
                                flen,
                                static_cast<unsigned long>(paddr_width),
                                static_cast<unsigned long>(irf_data_width),
                                cl_width,
                                cl_chunks,
                                poison_enable};
  }
};

// A unique temporary file name (the file exists, empty), removed on destruction.
class temp_file_t {
public:
  temp_file_t();
  ~temp_file_t();
  temp_file_t(const temp_file_t&) = delete;
  temp_file_t& operator=(const temp_file_t&) = delete;
  const std::string& path() const { return path_; }

private:
  std::string path_;
};

// A committed instruction of hart 0 with no operands.
et_insn_t make_insn(uint64_t uiid, uint64_t pc, uint64_t chunk, uint8_t pril = 3);

class trace_builder_t {
public:
  explicit trace_builder_t(const trace_config_t& config = trace_config_t());
  ~trace_builder_t();
  trace_builder_t(const trace_builder_t&) = delete;
  trace_builder_t& operator=(const trace_builder_t&) = delete;

  const trace_config_t& config() const { return config_; }
  const std::string& path() const { return file_.path(); }
  // The writer itself, for single records; invalid after finish().
  et_writer_t& writer() { return *writer_; }

  trace_builder_t& hart(uint8_t hart);        // SWT_HART
  trace_builder_t& tsd1(uint8_t delta);       // TSD1
  trace_builder_t& advance(uint64_t cycles);  // TSD1 records adding up to cycles

  // SWT_IS with insn.uiid (the caller keeps uiids sequential per hart), pril, chunk.
  trace_builder_t& issue(const et_insn_t& insn);
  // The records after the issue, for every present field of insn: register
  // numbers and values (rs1, rs2, rs3, rsd, rd, frs1, frs2, frs3, frd), FR when
  // fr is set, VA, PA, STD, and CM when committed (an interrupt also sets bit
  // xlen-1 of the written cause).
  trace_builder_t& complete(const et_insn_t& insn);
  trace_builder_t& insn(const et_insn_t& insn) { return issue(insn).complete(insn); }
  trace_builder_t& insns(const std::vector<et_insn_t>& list);

  // Messages, which the writer has no operations for, packed through append().
  trace_builder_t& rvt(uint64_t word);                // SWT_RVT
  trace_builder_t& l2t(const l2t_object_t& message);  // code = letter
  trace_builder_t& dct_hart(uint8_t hart);            // SWT_DCT_HART
  trace_builder_t& dct(const dct_object_t& message);  // code = letter; hid is not written
  // Any record: header code, then fields of (value, bits), then byte padding.
  trace_builder_t& record(unsigned code, const std::vector<std::pair<uint64_t, unsigned>>& fields);

  // Closes the writer (completing the stream; std::runtime_error when that
  // fails) and returns the path. Later calls return the path again.
  const std::string& finish();
  // finish() and the file's bytes.
  std::vector<uint8_t> bytes();

private:
  trace_config_t config_;
  et_wire_format_t wire_;  // the widths of config_, for the messages
  temp_file_t file_;
  std::unique_ptr<et_writer_t> writer_;
};

// The bytes of a file (empty when it cannot be read).
std::vector<uint8_t> read_file(const std::string& path);

}  // namespace et_test
