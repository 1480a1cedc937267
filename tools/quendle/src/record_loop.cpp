#include "record_loop.h"

#include <cstdint>

#include "disasm/insn_ids.h"
#include "etrace/et_always_inline.h"
#include "etrace/formatters/et_message_line.h"
#include "etrace/records/et_mode.h"
#include "etrace/records/et_object.h"

namespace {

// Per record: the identifiers are looked up at compile time.
bool is_trap_return(std::uint64_t id) {
  constexpr std::uint64_t mret = insn_id("mret"), sret = insn_id("sret"), uret = insn_id("uret");
  return id == mret || id == sret || id == uret;
}

}  // namespace

record_loop_t::record_loop_t(const quendle_options_t& o, et_base_formatter_t& formatter,
                             const disassembler_t& disassembler, output_file_t& out)
    : o_(o),
      formatter_(formatter),
      buffered_(dynamic_cast<et_buffered_formatter_t*>(&formatter)),
      // The text only for the "swt" listing.
      annotator_(disassembler, {o.format == "swt", o.iformat == "hwt"}),
      out_(out),
      stream_(out),
      // The time stamps of message lines follow the "swt" switches in every
      // text format.
      message_timestamp_(o.ts, o.ts_format),
      mode_mask_(construct_et_mode_from_string(o.mode)),
      flush_every_record_(buffered_ != nullptr && buffered_->flushes_every_record()) {}

bool record_loop_t::writes_in_background(const et_base_formatter_t& formatter) {
  const auto* buffered = dynamic_cast<const et_buffered_formatter_t*>(&formatter);
  return buffered == nullptr || !buffered->flushes_every_record();
}

// The per-record steps go into run's loop.

MH_ALWAYS_INLINE void record_loop_t::instruction(et_insn_t& insn) {
  if (!insn.committed) return;
  const unsigned long mode = convert_pril_to_et_mode(insn.pril);
  if (mode != 0 && (mode & mode_mask_) == 0) return;
  annotator_.annotate(insn);

  if (!o_.disable_interrupts) {
    write(insn);
  } else if (insn.interrupt) {
    ++depth_;  // the handler's instructions up to its return are left out
  } else if (is_trap_return(insn.insn_id)) {
    if (depth_ > 0)
      --depth_;
    else
      write(insn);
  } else if (depth_ == 0) {
    write(insn);
  }
}

MH_ALWAYS_INLINE void record_loop_t::write(const et_insn_t& insn) {
  if (buffered_ == nullptr) {
    formatter_.format(stream_, insn);
    return;
  }
  out_.write_record(*buffered_, insn);
  if (flush_every_record_) out_.flush();
}

void record_loop_t::run(et_reader_t& reader) {
  while (et_object_t* object = reader.get_next_object()) {
    switch (object->kind) {
      case et_object_t::KIND_INSN: instruction(object->insn); break;
      case et_object_t::KIND_RVT:
      case et_object_t::KIND_L2T:
      case et_object_t::KIND_DCT: message(*object); break;
      default: break;
    }
  }
}

void record_loop_t::message(const et_object_t& m) {
  line_.clear();
  append_message_line(line_, message_timestamp_, m);
  out_.write(line_.data(), line_.size());
}
