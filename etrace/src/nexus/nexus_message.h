#pragma once
// One Nexus message as the decoder read it: what the instruction walk needs
// of it, with its source's state after it, so that the walk keeps its own
// state and never reaches into the decoder's.
//
//   while (nexus.read_message()) walk(nexus.message());
#include <cstddef>
#include <cstdint>

// The fields a message can carry.
enum class nexus_field_t : uint8_t {
  src,
  sync,
  btype,
  etype,
  ecode,
  evcode,
  cdf,
  rcode,
  icnt,
  uaddr,
  faddr,
  hist,
  bcnt,
  ownership,
  tstamp,
  count_
};

// What a message does to its source's branch history.
enum class nexus_hist_use_t : uint8_t {
  none,          // leaves it
  set,           // replaces it by `hist`
  reverse_held,  // reverses the bits held (a message of that kind without HIST)
};

struct nexus_message_t {
  uint8_t tcode = 0;
  uint32_t src = 0;  // 0 without a SRC field
  // As carried, addresses not doubled; 0 for a field the message lacks.
  // I-CNT, B-CNT, ECODE and the ownership value keep their low 32 bits.
  uint64_t fields[static_cast<std::size_t>(nexus_field_t::count_)] = {};
  // Halfwords the walk covers: the I-CNT carried (0 without one), all ones
  // for a Resource Full with history, the source's saved I-CNT for a Repeat
  // Branch.
  uint64_t icnt = 0;
  // The history `hist_use` sets, outcomes least-significant bit first above
  // a leading 1.
  uint64_t hist = 0;
  nexus_hist_use_t hist_use = nexus_hist_use_t::none;
  uint32_t bcnt = 1;  // how many times the walk repeats; 1 but for a Repeat Branch
  // The source's running GLOBAL TSTAMP and last addresses (doubled) after it.
  uint64_t timestamp = 0;
  uint64_t full_address = 0;
  uint64_t unique_address = 0;

  uint64_t field(nexus_field_t id) const { return fields[static_cast<std::size_t>(id)]; }
  // The branch history its source holds after this message.
  uint64_t history_after(uint64_t held) const;
};
